// Credit memos of the demo company posted by the server after an invoice received ten
// yoghurts: the goods leave the oldest receipts first, and a refusal changes nothing.
#include <gtest/gtest.h>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class CrMemoPostingTest : public SqliteFixture {
protected:
    CrMemoPostingTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('B1', 'DEMO', 1, 'SD-520', 'V03', '9001', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('B1', 'B1-1', 'DEMO', 1, 1, '1008', 10, 1, 9.50, 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        EXPECT_EQ(Server().PostPurchase("B1", keys), 0) << Server().LastRefusalText();
    }

    void ArrangeCrMemo(int documentType, double quantity) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, ToInvoiceNo, "
             "VendorCreditMemoNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id) VALUES ('C1', 'DEMO', " + std::to_string(documentType) +
             ", 'SD-540', 'V03', '9001', 'CN-1', 46350, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        if (quantity > 0)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('C1', 'C1-1', 'DEMO', 1, 1, "
                 "'1008', " + std::to_string(quantity) + ", 1, " + std::to_string(quantity * 0.95) +
                 ", 20, 'DOM', 'VAT20')");
    }

    double Remaining(const std::string& where) {
        return Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE " + where).AsFloat();
    }
};

TEST_F(CrMemoPostingTest, GoodsLeaveTheOldestReceiptsAndARefusalChangesNothing) {
    const struct {
        const char* Name;
        int DocumentType;
        double Quantity;
        bool OlderReceipt;   // eight more yoghurts received before the invoice
        bool NegativeStock;  // the company allows negative stock
        const char* Refusal;
        double InvoiceLeft, OlderLeft;
    } cases[] = {
        {"four of the invoice's ten", 11, 4, false, false, nullptr, 6, 0},
        {"the older batch goes first", 11, 12, true, false, nullptr, 6, 0},
        {"more than is in stock", 11, 12, false, false, "err_PostPurchCrMemoNoStock", 10, 0},
        {"more than is in stock, negative stock allowed", 11, 12, false, true, nullptr, 0, 0},
        {"a credit memo without lines", 11, 0, false, false, "err_PostPurchNoLines", 10, 0},
        {"an invoice is no credit memo", 1, 4, false, false, "err_PostPurchDocumentNotFound", 10, 0},
    };
    const std::string invoiceReceipt = "Line_Id = 'B1-1'";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Exec("DELETE FROM G_ItemEntry WHERE Id = 'OLDER'");
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = 10, Opened = 1 WHERE " + invoiceReceipt);
        if (c.OlderReceipt)
            Exec("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, Store_Id, "
                 "BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, Opened, TransactionNo) VALUES "
                 "('OLDER', 'DEMO', 'I008', 'X', 6, 46000, 'S01', 'BG-SOF', 8, 8, 7.6, 1, 0)");
        Exec(std::string("UPDATE C_CompanySetup SET AllowNegativeQTY = ") + (c.NegativeStock ? "1" : "0"));
        ArrangeCrMemo(c.DocumentType, c.Quantity);
        const int64_t entries = Count("G_LEntry") + Count("G_ItemEntry") + Count("G_VATEntry") + Count("G_ContragentEntry");
        const Variant lastNo = Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PCRM'");
        TVariantArray keys;
        const int result = Server().PostPurchCrMemo("C1", keys);
        EXPECT_NEAR(Remaining(invoiceReceipt), c.InvoiceLeft, 1e-9);
        if (c.OlderReceipt) {
            EXPECT_NEAR(Remaining("Id = 'OLDER'"), c.OlderLeft, 1e-9);
        }
        if (c.Refusal != nullptr) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Refusal));
            EXPECT_EQ(Count("D_PurchHeader", "Id = 'C1'"), 1);
            EXPECT_EQ(Count("D_PurchCrMemoHeader"), 0);
            EXPECT_EQ(Count("G_LEntry") + Count("G_ItemEntry") + Count("G_VATEntry") + Count("G_ContragentEntry"), entries);
            EXPECT_EQ(Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PCRM'").AsInteger(), lastNo.AsInteger());
        } else {
            ASSERT_EQ(result, 0) << Server().LastRefusalText();
            EXPECT_EQ(Count("D_PurchHeader", "Id = 'C1'"), 0);
            EXPECT_EQ(Value("SELECT Quantity FROM G_ItemEntry WHERE Document_Id = '" + keys[0].AsString() + "'").AsFloat(),
                      -c.Quantity);
            Exec("DELETE FROM G_ItemEntry WHERE Document_Id = '" + keys[0].AsString() + "'");
            Exec("DELETE FROM D_PurchCrMemoLine");
            Exec("DELETE FROM D_PurchCrMemoHeader");
        }
        Exec("DELETE FROM D_PurchaseLine WHERE Master_Id = 'C1'");
        Exec("DELETE FROM D_PurchHeader WHERE Id = 'C1'");
    }
}

}  // namespace
}  // namespace tavrek::testing
