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

    void ArrangeCrMemo(int documentType, double quantity, const std::string& appliesTo = "", const char* vendor = "V03",
                       const std::string& vendorNo = "CN-1") {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, ToInvoiceNo, "
             "VendorCreditMemoNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('C1', 'DEMO', " + std::to_string(documentType) +
             ", 'SD-540', '" + vendor + "', '9001', '" + vendorNo + "', 46350, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', '" +
             appliesTo + "')");
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
        const char* OlderStore;  // eight more yoghurts received before the invoice there, or none
        bool NegativeStock;  // the company allows negative stock
        const char* Refusal;
        double InvoiceLeft, OlderLeft;
    } cases[] = {
        {"four of the invoice's ten", 11, 4, nullptr, false, nullptr, 6, 0},
        {"all ten empty the receipt", 11, 10, nullptr, false, nullptr, 0, 0},
        {"the older batch goes first", 11, 12, "S01", false, nullptr, 6, 0},
        {"the older batch goes first, all of both", 11, 18, "S01", false, nullptr, 0, 0},
        {"an older batch of another store stays", 11, 4, "S02", false, nullptr, 6, 8},
        {"more than is in the store", 11, 12, "S02", false, "err_PostPurchCrMemoNoStock", 10, 8},
        {"more than is in stock", 11, 12, nullptr, false, "err_PostPurchCrMemoNoStock", 10, 0},
        {"more than is in stock, negative stock allowed", 11, 12, nullptr, true, nullptr, 0, 0},
        {"a credit memo without lines", 11, 0, nullptr, false, "err_PostPurchNoLines", 10, 0},
        {"an invoice is no credit memo", 1, 4, nullptr, false, "err_PostPurchDocumentNotFound", 10, 0},
    };
    const std::string invoiceReceipt = "Line_Id = 'B1-1'";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Exec("DELETE FROM G_ItemEntry WHERE Id = 'OLDER'");
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = 10, Opened = 1 WHERE " + invoiceReceipt);
        if (c.OlderStore != nullptr)
            Exec(std::string("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, "
                             "Store_Id, BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, Opened, TransactionNo) "
                             "VALUES ('OLDER', 'DEMO', '1008', 'X', 6, 46000, '") +
                 c.OlderStore + "', 'BG-SOF', 8, 8, 7.6, 1, 0)");
        Exec(std::string("UPDATE C_CompanySetup SET AllowNegativeQTY = ") + (c.NegativeStock ? "1" : "0"));
        ArrangeCrMemo(c.DocumentType, c.Quantity);
        const int64_t entries = Count("G_LEntry") + Count("G_ItemEntry") + Count("G_VATEntry") + Count("G_ContragentEntry");
        const Variant lastNo = Value("SELECT LastNo FROM S_NoSeries WHERE Id = 'PCRM'");
        TVariantArray keys;
        const int result = Server().PostPurchCrMemo("C1", keys);
        EXPECT_NEAR(Remaining(invoiceReceipt), c.InvoiceLeft, 1e-9);
        EXPECT_EQ(Value("SELECT Opened FROM G_ItemEntry WHERE " + invoiceReceipt).AsInteger(), c.InvoiceLeft > 0 ? 1 : 0);
        if (c.OlderStore != nullptr) {
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

// A vendor's number may be posted once among its credit memos and once among its invoices:
// the credit memo posting looks among credit memos, the invoice posting among invoices.
// A memo kept out of the VAT ledger has its VAT entries marked so, and its posted view says so.
TEST_F(CrMemoPostingTest, AMemoOutOfTheVATLedgerStaysOutOfIt) {
    ArrangeCrMemo(11, 1);
    Exec("UPDATE D_PurchHeader SET DoNotIncInVATLedger = 1 WHERE Id = 'C1'");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchCrMemo("C1", keys), 0) << Server().LastRefusalText();
    const std::string posted = "'" + keys.at(0).AsString() + "'";
    EXPECT_EQ(Count("G_VATEntry", "Document_Id = " + posted + " AND DoNotIncInVATLedger = 1"),
              Count("G_VATEntry", "Document_Id = " + posted));
    EXPECT_GT(Count("G_VATEntry", "Document_Id = " + posted), 0);
    EXPECT_EQ(Value("SELECT NotIncludeVatLedger FROM D_PurchCrMemoHeader WHERE Id = " + posted).AsInteger(), 1);
}

TEST_F(CrMemoPostingTest, AVendorsNumberIsRefusedTwiceOnlyAmongItsOwnKind) {
    enum TKind { kInvoice, kMemo };
    const struct {
        const char* Name;
        TKind Posted;  // the kind of document already posted under the number
        const char* PostedVendor;
        int Annulled, Global;
        TKind Posting;
        const char* Number;
        const char* Refusal;
    } cases[] = {
        {"a memo of a number already credited", kMemo, "V03", 0, 0, kMemo, "CN-7", "err_PostPurchDuplicateVendorCrMemo"},
        {"the credited one annulled", kMemo, "V03", 1, 0, kMemo, "CN-8", nullptr},
        {"another vendor's memo of the number", kMemo, "V01", 0, 0, kMemo, "CN-9", nullptr},
        {"a global memo of the number", kMemo, "V03", 0, 1, kMemo, "CN-10", nullptr},
        {"an invoice of the number is no memo", kInvoice, "V03", 0, 0, kMemo, "CN-11", nullptr},
        {"memos without the vendor's number", kMemo, "V03", 0, 0, kMemo, "", nullptr},
        {"an invoice of a number already invoiced", kInvoice, "V03", 0, 0, kInvoice, "F-12",
         "err_PostPurchDuplicateVendorInvoice"},
        {"a memo of the number is no invoice", kMemo, "V03", 0, 0, kInvoice, "F-13", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const std::string number = c.Number;
        if (c.Posted == kMemo)
            Exec("INSERT INTO D_PurchCrMemoHeader (Id, Comp_Id, DocumentType, DocumentNo, Contragent_Id, VendorCreditMemoNo, "
                 "VendorInvoiceNo, Annul, IsGlobalCrMemo) VALUES ('PX', 'DEMO', 13, 'X', '" + std::string(c.PostedVendor) +
                 "', '" + number + "', '" + number + "', " + std::to_string(c.Annulled) + ", " + std::to_string(c.Global) + ")");
        else
            Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocumentNo, Contragent_Id, VendorInvoiceNo, "
                 "Annul, IsGlobalInvoice) VALUES ('PX', 'DEMO', 6, 'X', '" + std::string(c.PostedVendor) + "', '" + number + "', " +
                 std::to_string(c.Annulled) + ", " + std::to_string(c.Global) + ")");
        const char* open = c.Posting == kMemo ? "C1" : "B2";
        if (c.Posting == kMemo) {
            ArrangeCrMemo(11, 1, "", "V03", number);
        } else {
            Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                 "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
                 "('B2', 'DEMO', 1, 'SD-520', 'V03', '" + number + "', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
                 "('B2', 'B2-1', 'DEMO', 1, 1, '1008', 1, 1, 0.95, 20, 'DOM', 'VAT20')");
        }
        TVariantArray keys;
        const int result = c.Posting == kMemo ? Server().PostPurchCrMemo(open, keys) : Server().PostPurchase(open, keys);
        if (c.Refusal != nullptr) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Refusal));
            EXPECT_EQ(Count("D_PurchHeader", std::string("Id = '") + open + "'"), 1) << "the document stays open";
        } else {
            EXPECT_EQ(result, 0) << Server().LastRefusalText();
        }
        for (const char* table : {"D_PurchCrMemoHeader", "D_PurchInvoiceHeader"})
            Exec(std::string("DELETE FROM ") + table + " WHERE Id = 'PX'");
        // Posted lines keep the open lines' keys, which the next case uses again.
        Exec("DELETE FROM D_PurchCrMemoLine WHERE Id = 'C1-1'");
        Exec("DELETE FROM D_PurchInvoiceLine WHERE Id = 'B2-1'");
        Exec(std::string("DELETE FROM D_PurchaseLine WHERE Master_Id = '") + open + "'");
        Exec(std::string("DELETE FROM D_PurchHeader WHERE Id = '") + open + "'");
    }
}

// The invoice owes 11.40 (ten yoghurts at 0.95 and 20 % VAT); a memo for four takes off 4.56.
TEST_F(CrMemoPostingTest, ASetOffMemoLowersWhatTheInvoiceOwesUntilItIsAnnulled) {
    const std::string invoice = Value("SELECT Id FROM D_PurchInvoiceHeader").AsString();
    const struct {
        const char* Name;
        double InvoiceOpen;  // what is still owed on the invoice when the memo is posted
        const char* Vendor;
        const char* Refusal;
        double InvoiceLeft, MemoLeft;
    } cases[] = {
        {"the memo is taken off whole", 11.40, "V03", nullptr, 6.84, 0},
        {"the memo covers what is left and keeps the rest", 2.00, "V03", nullptr, 0, 2.56},
        {"a paid invoice", 0, "V03", "err_CrMemoInvoiceNotOpen", 0, 0},
        {"another vendor's invoice", 11.40, "V01", "err_CrMemoInvoiceNotOpen", 11.40, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = 10, Opened = 1 WHERE Line_Id = 'B1-1'");
        Exec("UPDATE G_ContragentEntry SET Remaining = -" + std::to_string(c.InvoiceOpen) + ", Remaining_ACY = -" +
             std::to_string(c.InvoiceOpen) + ", Opened = " + (c.InvoiceOpen > 0 ? "1" : "0") + " WHERE Document_Id = '" +
             invoice + "'");
        Exec("UPDATE D_PurchInvoiceHeader SET Remaining = " + std::to_string(c.InvoiceOpen));
        ArrangeCrMemo(11, 4, invoice, c.Vendor);
        TVariantArray keys;
        const int result = Server().PostPurchCrMemo("C1", keys);
        const auto owed = [&] { return Value("SELECT Remaining FROM D_PurchInvoiceHeader").AsFloat(); };
        EXPECT_NEAR(owed(), c.InvoiceLeft, 1e-9);
        EXPECT_NEAR(Value("SELECT -Remaining FROM G_ContragentEntry WHERE Document_Id = '" + invoice + "'").AsFloat(),
                    c.InvoiceLeft, 1e-9);
        if (c.Refusal != nullptr) {
            EXPECT_LT(result, 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Refusal));
            EXPECT_EQ(Count("D_PurchCrMemoHeader"), 0);
            EXPECT_EQ(Count("G_ContragentEntryDetail"), 0);
        } else {
            ASSERT_EQ(result, 0) << Server().LastRefusalText();
            const std::string memo = keys[0].AsString();
            EXPECT_NEAR(Value("SELECT Remaining FROM D_PurchCrMemoHeader").AsFloat(), c.MemoLeft, 1e-9);
            EXPECT_NEAR(Value("SELECT Remaining FROM G_ContragentEntry WHERE Document_Id = '" + memo + "'").AsFloat(),
                        c.MemoLeft, 1e-9);
            Variant unapplied;
            EXPECT_LT(Server().AnnulDocument(invoice, 0, "", TDateTime::FromDate(2026, 12, 1), 1, unapplied), 0);
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText("err_AnnulCrMemoApplied"));
            ASSERT_EQ(Server().AnnulDocument(memo, 2, "", TDateTime::FromDate(2026, 12, 1), 0, unapplied), 0)
                << Server().LastRefusalText();
            EXPECT_NEAR(owed(), c.InvoiceOpen, 1e-9);
            EXPECT_EQ(Value("SELECT Opened FROM G_ContragentEntry WHERE Document_Id = '" + invoice + "'").AsInteger(), 1);
            EXPECT_EQ(Count("G_ContragentEntryDetail"), 0);
            Exec("DELETE FROM G_ItemEntry WHERE Document_Id = '" + memo + "'");
            for (const char* table : {"G_ContragentEntry", "G_LEntry", "G_VATEntry"})
                Exec(std::string("DELETE FROM ") + table + " WHERE Document_Id = '" + memo + "'");
            Exec("DELETE FROM D_PurchCrMemoLine");
            Exec("DELETE FROM D_PurchCrMemoHeader");
        }
        Exec("DELETE FROM D_PurchaseLine WHERE Master_Id = 'C1'");
        Exec("DELETE FROM D_PurchHeader WHERE Id = 'C1'");
    }
}

// Protocols are made from posted invoices and posted credit memos, once each, and post as
// their kind: the VAT 20 % of 9.50 is 1.90 on the invoice and of 3.80 is 0.76 on the memo.
TEST_F(CrMemoPostingTest, AProtocolIsMadeOnceFromAPostedDocumentAndPostsAsItsKind) {
    const std::string invoice = Value("SELECT Id FROM D_PurchInvoiceHeader").AsString();
    ArrangeCrMemo(11, 4);
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchCrMemo("C1", keys), 0) << Server().LastRefusalText();
    const std::string memo = keys[0].AsString();
    const struct {
        const char* Name;
        const char* Procedure;
        std::string Document;
        const char* Refusal;
        int CrMemo;
        double VAT;
    } cases[] = {
        {"from the invoice", "usp_CreatePurchaseProtocol", invoice, nullptr, 0, 1.90},
        {"a second one from the invoice", "usp_CreatePurchaseProtocol", invoice, "err_PurchProtocolExists", 0, 0},
        {"a credit memo is no invoice", "usp_CreatePurchaseProtocol", memo, "err_PostPurchDocumentNotFound", 0, 0},
        {"from the credit memo", "usp_CreatePurchaseCrMemoProtocol", memo, nullptr, 1, 0.76},
        {"an invoice is no credit memo", "usp_CreatePurchaseCrMemoProtocol", invoice, "err_PostPurchDocumentNotFound", 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const int64_t protocols = Count("D_GlobalPurchHeader");
        TRequestResult answer;
        ASSERT_EQ(Server().RequestValue(-1, std::string("exec dbo.") + c.Procedure + " 'DEMO', 'BG-SOF', '" + c.Document +
                                                "', 'ADMIN'",
                                        "Quantity,Item_id", TFilter(), answer, false),
                  1);
        if (c.Refusal != nullptr) {
            EXPECT_EQ(answer.Value().AsString(), "-1");
            EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Refusal));
            EXPECT_EQ(Count("D_GlobalPurchHeader"), protocols);
            continue;
        }
        const std::string protocol = answer.Value().AsString();
        EXPECT_EQ(Value("SELECT AppliesToDoc_Id FROM D_GlobalPurchHeader WHERE Id = '" + protocol + "'").AsString(),
                  c.Document);
        EXPECT_NEAR(Value("SELECT VATValue FROM D_GlobalPurchHeader WHERE Id = '" + protocol + "'").AsFloat(), c.VAT, 1e-9);
        TVariantArray posted;
        EXPECT_LT(Server().PostPurchProtocol(protocol, 1 - c.CrMemo, posted), 0) << "posted as the other kind";
        ASSERT_EQ(Server().PostPurchProtocol(protocol, c.CrMemo, posted), 0) << Server().LastRefusalText();
        const double sign = c.CrMemo == 1 ? -1 : 1;
        EXPECT_NEAR(Value("SELECT SUM(Amount) FROM G_VATEntry WHERE Document_Id = '" + posted[0].AsString() + "'").AsFloat(),
                    sign * c.VAT, 1e-9);
    }
}

}  // namespace
}  // namespace tavrek::testing
