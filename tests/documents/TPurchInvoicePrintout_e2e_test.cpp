#include "documents/TPurchInvoicePrintout.h"

#include <gtest/gtest.h>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// A posted invoice of V03 (ten yoghurts at 0.95, VAT 20 %), a posted debit memo on it (a
// forgotten transport of 5.00) and a posted credit memo for four of the yoghurts, each printed
// on its subtype's layout as posting prints it by its print group.
class DocumentPrintouts : public SqliteFixture {
protected:
    std::string Post(const std::string& id, int type, const char* subType, const char* vendorNo, const char* code,
                     double quantity, double price) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "VendorCreditMemoNo, ToInvoiceNo, InvoiceDate, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, "
             "VATBusPostGroup_Id, BusinessGroup_Id) VALUES ('" + id + "', 'DEMO', " + std::to_string(type) + ", '" +
             subType + "', 'V03', '" + vendorNo + "', '" + vendorNo + "', " + (type == 1 ? "NULL" : "'9001'") +
             ", 46345, 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "DirectUnitCost_ACY, UnitCost_LCY, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('" +
             id + "', '" + id + "-1', 'DEMO', 1, " + (std::string(code) == "1008" ? "1" : "2") + ", '" + code + "', " +
             std::to_string(quantity) + ", 1, " + std::to_string(price) + ", " + std::to_string(price) + ", " +
             std::to_string(quantity * price) +
             ", 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        const int result = type == 11 ? Server().PostPurchCrMemo(id, keys, 0) : Server().PostPurchase(id, keys);
        if (result < 0) throw std::runtime_error(Server().LastRefusalText());
        return keys.at(0).AsString();
    }
};

TEST_F(DocumentPrintouts, EachPostedDocumentPrintsOnItsOwnLayoutWithTheVendorsNumber) {
    const std::string invoice = Post("B1", 1, "SD-520", "9001", "1008", 10, 0.95);
    const std::string debit = Post("D1", 12, "SD-530", "DN-7", "602", 1, 5.00);
    const std::string credit = Post("C1", 11, "SD-540", "CN-3", "1008", 4, 0.95);
    const struct {
        const char* Name;
        std::string Id;
        const char* PrintGroup;
        bool Printed;
        const char* Title;
        const char* VendorNo;
        const char* ToInvoice;
        double TotalVAT;
    } cases[] = {
        {"invoice", invoice, "10010", true, "ФАКТУРА ЗА ПОКУПКА", "9001", "", 11.40},
        {"debit memo", debit, "10020", true, "ДЕБИТНО ИЗВЕСТИЕ ЗА ПОКУПКА", "DN-7", "9001", 6.00},
        {"credit memo", credit, "10040", true, "КРЕДИТНО ИЗВЕСТИЕ ЗА ПОКУПКА", "CN-3", "9001", 4.56},
        // A print form of another kind prints the document on its own kind's layout.
        {"a credit memo is no invoice", credit, "PurchInvoice", true, "КРЕДИТНО ИЗВЕСТИЕ ЗА ПОКУПКА", "CN-3", "9001", 4.56},
        {"an invoice is no credit memo", invoice, "PurchCrMemo", true, "ФАКТУРА ЗА ПОКУПКА", "9001", "", 11.40},
        {"no such document", "NO-SUCH", "PurchInvoice", false, "", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPrintRequest request;
        request.Keys = {Variant(c.Id)};
        request.PrintFormCode = c.PrintGroup;
        TPurchInvoicePrintout printout;
        ASSERT_EQ(TPurchInvoicePrintout::Load(request, printout), c.Printed);
        if (!c.Printed) continue;
        EXPECT_TRUE(printout.Posted);
        EXPECT_EQ(printout.Title, c.Title);
        EXPECT_EQ(printout.VendorInvoiceNo, c.VendorNo);
        EXPECT_EQ(printout.ToInvoiceNo, c.ToInvoice);
        EXPECT_NEAR(printout.TotalVAT, c.TotalVAT, 1e-9);
        ASSERT_EQ(printout.Lines.size(), 1u);
    }
}

// The VAT protocols of the invoice and of the credit memo, posted, print on their own layouts:
// they name the vendor's document they charge, and their total is no sum to pay.
TEST_F(DocumentPrintouts, ProtocolsPrintWithTheVendorsDocumentTheyCharge) {
    const std::string invoice = Post("B1", 1, "SD-520", "9001", "1008", 10, 0.95);
    const std::string credit = Post("C1", 11, "SD-540", "CN-3", "1008", 4, 0.95);
    const struct {
        const char* Name;
        const char* Procedure;
        std::string Source;
        int CrMemo;
        const char* Title;
        const char* ToDocument;
        const char* ToDocumentCaption;
        double VAT;
    } cases[] = {
        {"of the invoice", "usp_CreatePurchaseProtocol", invoice, 0, "ПРОТОКОЛ ПО ЧЛ. 117 ЗДДС", "9001",
         "Към фактура №:", 1.90},
        {"of the credit memo", "usp_CreatePurchaseCrMemoProtocol", credit, 1, "ПРОТОКОЛ КЪМ КРЕДИТНО ИЗВЕСТИЕ", "CN-3",
         "Към кредитно известие №:", 0.76},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TRequestResult created;
        ASSERT_EQ(Server().RequestValue(-1, std::string("exec dbo.") + c.Procedure + " 'DEMO', 'BG-SOF', '" + c.Source +
                                                "', 'ADMIN'",
                                        "Quantity,Item_id", TFilter(), created, false),
                  1);
        TVariantArray keys;
        ASSERT_EQ(Server().PostPurchProtocol(created.Value().AsString(), c.CrMemo, keys), 0) << Server().LastRefusalText();
        TPrintRequest request;
        request.Keys = {keys.at(0)};
        TPurchInvoicePrintout printout;
        ASSERT_TRUE(TPurchInvoicePrintout::Load(request, printout));
        EXPECT_EQ(printout.Title, c.Title);
        EXPECT_EQ(printout.DocumentNo, keys.at(1).AsString());
        EXPECT_EQ(printout.VendorInvoiceNo, "");
        EXPECT_EQ(printout.ToInvoiceNo, c.ToDocument);
        EXPECT_EQ(printout.ToInvoiceCaption, c.ToDocumentCaption);
        EXPECT_EQ(printout.TotalCaption, "Стойност с ДДС");
        EXPECT_NEAR(printout.VATValue, c.VAT, 1e-9);
        ASSERT_EQ(printout.VATRates.size(), 1u);
        EXPECT_NEAR(printout.VATRates[0].VAT, c.VAT, 1e-9);
        ASSERT_EQ(printout.Lines.size(), 1u);
        EXPECT_NEAR(printout.Lines[0].UnitPrice, 0.95, 1e-9);
    }
}

// Order O1 of ten yoghurts: six received, then two returned and two rejected, each through a
// buffer. The posted documents keep the buffer's subtype; their kind chooses the layout.
TEST_F(DocumentPrintouts, ReceiptsReturnsAndRejectionsPrintAsWhatTheyAre) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, DocumentDate, "
         "CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES ('O1', 'DEMO', 22, "
         "'SD-510', 'ORD-1', 'V03', 46340, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity) VALUES ('O1', 'DEMO', "
         "'O1-1', 1, 1, '1008', 10)");
    const struct {
        const char* Buffer;
        int Operation;
        double Quantity;
        const char* Title;
    } cases[] = {
        {"R1", 0, 6, "СТОКОВА РАЗПИСКА"},
        {"R2", 1, 2, "ВРЪЩАНЕ НА СТОКА КЪМ ДОСТАВЧИК"},
        {"R3", 2, 2, "ОТКАЗАНА ПОРЪЧКА"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Title);
        const std::string id = c.Buffer;
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
             "CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id, AppliesToDoc_Id, "
             "ToOrderNo) VALUES ('" + id + "', 'DEMO', 23, 'SD-580', 'V03', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', "
             "'O1', 'ORD-1')");
        Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
             "QtyPerUnitOfMeasure, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, "
             "GenProdPostGroup_Id, OrderLine_Id) VALUES ('" + id + "', '" + id + "-1', 'DEMO', 1, 1, '1008', " +
             std::to_string(c.Quantity) + ", 1, 0.95, " + std::to_string(c.Quantity * 0.95) +
             ", 20, 'DOM', 'VAT20', 'GOODS', 'O1-1')");
        TVariantArray keys;
        ASSERT_GE(Server().PostPurchOrder(id, keys, c.Operation), 0) << Server().LastRefusalText();
        // The keys of a buffer's posting: the receipt, the return or rejection order, the invoice.
        TPrintRequest request;
        request.Keys = {keys.at(c.Operation == 0 ? 0 : 1)};
        request.PrintFormCode = c.Operation == 0 ? "10050" : "10520";
        TPurchInvoicePrintout printout;
        ASSERT_TRUE(TPurchInvoicePrintout::Load(request, printout));
        EXPECT_EQ(printout.Title, c.Title);
        EXPECT_EQ(printout.OrderNo, "ORD-1");
        ASSERT_EQ(printout.Lines.size(), 1u);
        EXPECT_DOUBLE_EQ(printout.Lines[0].Quantity, c.Quantity);
    }
}

}  // namespace
}  // namespace tavrek::testing
