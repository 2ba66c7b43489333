#include <gtest/gtest.h>

#include "posted/uEdPostedPurchInvoice.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class PostedInvoiceView : public DocumentFormTest<TfEdPostedPurchInvoice> {
protected:
    PostedInvoiceView()
        : DocumentFormTest(TPurchDocument::pdPostedInvoice, {}, "D_PurchInvoiceHeader", "D_PurchInvoiceLine") {}
    void OpenPosted(double currencyFactor = 1.0) {
        Open({{"Id", "PI1"}, {"DocumentNo", "0000000007"}, {"DocSubType_Id", "SD-520"}, {"Currency_Id", "EUR"},
              {"CurrencyFactor", currencyFactor}, {"DocumentDate", TDateTime::FromDate(2026, 11, 30)},
              {"LedgerSubjectType", "2"}, {"TotalValue", 15.5}, {"VATValue", 2.49}, {"TotalVAT", 17.99}},
             {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"TotalValue", 10.0}, {"VATValue", 2.0}, {"TotalVAT", 12.0}},
              {{"Id", "L2"}, {"Line_No", 2}, {"Code", "1002"}, {"TotalValue", 5.5}, {"VATValue", 0.5}, {"TotalVAT", 6.0}}});
    }
};

TEST_F(PostedInvoiceView, ShowsEverythingReadOnlyWithTotalsAndLedgerSubjectTypes) {
    OpenPosted();
    EXPECT_TRUE(Form().ReadOnly);
    EXPECT_TRUE(Form().dbgDetail.ReadOnly);
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 0}));
    for (const THeaderField& field : Form().Description.Fields) EXPECT_TRUE(field.ReadOnly) << field.FieldName;
    EXPECT_EQ(Form().Description.FindField("LedgerSubjectType")->Items, (std::vector<std::string>{"1", "2"}));
    for (const TAction* hidden : {&Form().acSave, &Form().acInsertRecord, &Form().acDeleteRecord, &Form().acAnnulDocument})
        EXPECT_FALSE(hidden->Visible) << hidden->Name;
    EXPECT_FALSE(Form().pmDocument.Find("miSaveOperationTemplate")->Visible());
    // The document's VAT, rounded per rate, not the sum of the lines' rounded VAT.
    EXPECT_EQ(Form().dbgDetail.FindColumn("TotalVAT")->FooterText, "17.99");
    EXPECT_EQ(Form().dbgDetail.FindColumn("VATValue")->FooterText, "2.49");
}

TEST_F(PostedInvoiceView, PrintsOnThePrintFormOfItsSubtypeOrOnTheFormsOwn) {
    const struct {
        const char* name;
        TRequestResult forms;
        const char* printed;
        int copies;
    } cases[] = {
        {"the subtype's form, twice", Rows({"PF_Id", "Form_id", "Copies", "PF_Type", "Doc_Type"}, {{"PurchInvoice", 1, 2, 0, 2}}),
         "PurchInvoice", 2},
        {"no form for the subtype", {}, "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPosted();
        server.OnRequestValue("S_PrintDocuments", c.forms);
        const size_t before = host.Prints().size();
        Form().acPrint.Execute();
        ASSERT_EQ(host.Prints().size(), before + 1);
        const TPrintRequest& print = host.Prints().back();
        EXPECT_EQ(print.PrintFormCode, c.printed);
        EXPECT_EQ(print.Copies, c.copies);
        EXPECT_EQ(print.Keys, (TVariantArray{"PI1"}));
        EXPECT_EQ(print.DocumentKindCode, 6);
        EXPECT_EQ(server.CallsTo("RequestValue").back().Args[3].AsString(),
                  "S_PrintDocuments.SaleOrPurchase=1 AND S_PrintDocuments.SubDoc_Id=SD-520 AND "
                  "S_PrintDocuments.Comp_Id=C1");
    }
}

TEST_F(PostedInvoiceView, TheCurrencyRateIsTheDocumentsOrTheRateOfItsDate) {
    for (const auto& [factor, expected] : {std::pair{1.95583, "1.95583"}, std::pair{0.0, "1.9"}}) {
        SCOPED_TRACE(factor);
        OpenPosted(factor);
        if (factor == 0.0) server.OnCurrencyRate("EUR", 1.9);
        dialogs.ExpectMessage(mrOk, std::string("EUR: ") + expected);
        Form().acShowCurrencyFactor.Execute();
        EXPECT_EQ(server.CallsTo("GetCurrencyRate").size(), factor == 0.0 ? 1u : 0u);
    }
}

}  // namespace
}  // namespace tavrek::testing
