#include <gtest/gtest.h>

#include "posted/uEdPostPurchAdvancePayment.h"
#include "posted/uEdPostedPurchInvoice.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

template <class TView>
class PostedView : public DocumentFormTest<TView> {
protected:
    PostedView()
        : DocumentFormTest<TView>(TPurchDocument::pdPostedInvoice,
                                  {"inf_SelectAccountLine", "inf_SelectPostItemCharge", "err_AnnulPurchAdvPayment",
                                   "que_AnnulDocument", "que_ToAnnulPaymentJurnal"},
                                  "D_PurchInvoiceHeader", "D_PurchInvoiceLine") {}
    void OpenPosted(double currencyFactor = 1.0, TRow extra = {}) {
        TRow header{{"Id", "PI1"}, {"DocumentNo", "0000000007"}, {"DocSubType_Id", "SD-520"}, {"Currency_Id", "EUR"},
                    {"CurrencyFactor", currencyFactor}, {"DocumentDate", TDateTime::FromDate(2026, 11, 30)},
                    {"LedgerSubjectType", "2"}, {"Annul", 0}, {"IsGlobalInvoice", 0}, {"Remaining", 18.0},
                    {"TotalValue_LCY", 115.5}, {"TotalValue", 15.5}, {"VATValue", 2.49}, {"TotalVAT", 17.99}};
        for (auto& [field, value] : extra) header[field] = value;
        this->Open(header,
                   {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"TotalValue", 10.0}, {"VATValue", 2.0}, {"TotalVAT", 12.0}},
                    {{"Id", "L2"}, {"Line_No", 2}, {"Code", "1002"}, {"TotalValue", 5.5}, {"VATValue", 0.5}, {"TotalVAT", 6.0}},
                    {{"Id", "L3"}, {"Line_No", 3}, {"Type", 2}, {"Code", "602"}, {"Description", "Наем"},
                     {"AccountDimension_Id", "AD1"}, {"TotalValue_LCY", 100.0}, {"TotalVAT_LCY", 120.0}},
                    {{"Id", "L4"}, {"Line_No", 4}, {"Type", 3}, {"Code", "TRANSPORT"}}});
    }
};

using PostedInvoiceView = PostedView<TfEdPostedPurchInvoice>;

TEST_F(PostedInvoiceView, ShowsEverythingReadOnlyWithTotalsAndLedgerSubjectTypes) {
    OpenPosted();
    EXPECT_TRUE(Form().ReadOnly);
    EXPECT_TRUE(Form().dbgDetail.ReadOnly);
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 0}));
    for (const THeaderField& field : Form().Description.Fields) EXPECT_TRUE(field.ReadOnly) << field.FieldName;
    EXPECT_EQ(Form().Description.FindField("LedgerSubjectType")->Items, (std::vector<std::string>{"1", "2"}));
    for (const TAction* hidden : {&Form().acSave, &Form().acInsertRecord, &Form().acDeleteRecord})
        EXPECT_FALSE(hidden->Visible) << hidden->Name;
    EXPECT_FALSE(Form().pmDocument.Find("miSaveOperationTemplate")->Visible());
    // The document's VAT, rounded per rate, not the sum of the lines' rounded VAT.
    EXPECT_EQ(Form().dbgDetail.FindColumn("TotalVAT")->FooterText, "17,99");
    EXPECT_EQ(Form().dbgDetail.FindColumn("VATValue")->FooterText, "2,49");
    std::vector<std::string> menu;
    for (const char* item : {"miRestorItemEntryUsedQuantity", "miRestorRowItemEntryUsedQty", "miAnnulDoc", "miGenerateCrMemo",
                             "miGeneratePayment", "miGeneratePurchProtocol"})
        if (Form().pmDocument.Find(item) != nullptr) menu.push_back(item);
    EXPECT_EQ(menu.size(), 6u) << "the document menu holds every operation of the invoice";
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
        dialogs.ExpectCurrencyRate(true);
        Form().acShowCurrencyFactor.Execute();
        EXPECT_EQ(dialogs.Shown().back().Text2, expected);
        EXPECT_EQ(server.CallsTo("GetCurrencyRate").size(), factor == 0.0 ? 1u : 0u);
    }
}

TEST_F(PostedInvoiceView, ACreditMemoAndAPaymentAreOfferedOnlyWhereTheyMakeSense) {
    const struct {
        const char* name;
        int annul, global;
        double remaining;
        bool crMemo, payment;
    } cases[] = {
        {"open invoice", 0, 0, 18.0, true, true},
        {"annulled", 1, 0, 18.0, false, true},
        {"part of a global invoice", 0, 1, 18.0, false, true},
        {"paid up to a rounding rest", 0, 0, 0.004, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPosted(1.0, {{"Annul", c.annul}, {"IsGlobalInvoice", c.global}, {"Remaining", c.remaining}});
        Form().UpdateActions();
        EXPECT_EQ(Form().acGenerateCrMemo.Enabled, c.crMemo);
        EXPECT_EQ(Form().acGeneratePayment.Enabled, c.payment);
    }
}

// The payments question comes before the document is told apart as global or not, and its
// answer goes to whichever annulment follows.
TEST_F(PostedInvoiceView, ThePaymentsAnswerReachesThePlainAndTheGlobalAnnulment) {
    const struct {
        const char* name;
        int global;
        int answer;
        const char* method;
        int flag;
    } cases[] = {
        {"plain invoice, payments annulled", 0, mrYes, "AnnulDocument", 1},
        {"global invoice, payments annulled", 1, mrYes, "AnnulGlobalDoc", 1},
        {"global invoice, payments kept", 1, mrNo, "AnnulGlobalDoc", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenPosted(1.0, {{"IsGlobalInvoice", c.global}, {"DirectPay", 0}});
        server.OnRequestValue("G_ContragentEntry", Rows({"Id"}, {{"E1"}}));
        server.OnRequestValue("G_ContragentEntryDetail", Rows({"Amount"}, {{120.0}}));
        dialogs.ExpectAnnul(true, "Грешна фактура");
        dialogs.ExpectMessage(mrYes, "que_AnnulDocument");
        dialogs.ExpectMessage(c.answer, "que_ToAnnulPaymentJurnal");
        server.Script(c.method, "PI1", {.Result = 0});
        dialogs.ExpectMessage(mrOk, "анулиран");
        Form().acAnnulDocument.Execute();
        const std::vector<TServerCall> calls = server.CallsTo(c.method);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Args[1].AsInteger(), 0) << "an invoice, on the invoices' side";
        EXPECT_EQ(calls[0].Args[4].AsInteger(), c.flag);
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(PostedInvoiceView, FutureCostsAndItemChargesNeedTheirKindOfLine) {
    OpenPosted();
    GotoLine(4);
    dialogs.ExpectMessage(mrOk, "inf_SelectAccountLine");
    Form().acFutureCostsAssign.Execute();
    GotoLine(3);
    dialogs.ExpectMessage(mrOk, "inf_SelectPostItemCharge");
    Form().acItemChargeAssigned.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());

    host.ScriptExternal(12230, 0);
    Form().acFutureCostsAssign.Execute();
    GotoLine(4);
    host.ScriptExternal(10620, 0);
    Form().acItemChargeAssigned.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 2u);
    std::vector<std::string> names;
    for (const TDefaultValue& value : host.ExternalRequests()[0].DefaultValues) names.push_back(value.FieldName);
    EXPECT_EQ(names, (std::vector<std::string>{"MasterLine_Id", "Master_id", "MasterLine_No", "MasterLineCode", "hTotalValue",
                                               "hTotalVAT", "hAccount_id", "hAccount_Name", "hAccountDimension_Id", "LockCDS",
                                               "MasterLineAccDim_Id", "MasterLineDescription"}));
    EXPECT_EQ(host.ExternalRequests()[0].Filter.Conditions().at(2).Value.AsString(), "L3");
    EXPECT_EQ(host.ExternalRequests()[0].CallingForm, &Form());
    const std::vector<TFilterCondition>& charges = host.ExternalRequests()[1].Filter.Conditions();
    ASSERT_EQ(charges.size(), 4u);
    EXPECT_EQ(charges[3].Value.AsString(), "TRANSPORT");
}

using PostedAdvanceView = PostedView<TfEdPostPurchAdvancePayment>;

TEST_F(PostedAdvanceView, AnAdvanceWhoseDimensionMovedIsNotAnnulled) {
    OpenPosted();
    server.OnRequestValue("G_LEntry", Rows({"Amount"}, {{300.0}}));
    dialogs.ExpectMessage(mrOk, "err_AnnulPurchAdvPayment");
    Form().acAnnulDocument.Execute();
    EXPECT_TRUE(server.CallsTo("AnnulDocument").empty());
    EXPECT_FALSE(Form().Closed()) << "the annulment never started";

    server.OnRequestValue("G_LEntry", Rows({"Amount"}, {{115.5}}));
    dialogs.ExpectAnnul(false);
    Form().acAnnulDocument.Execute();
    EXPECT_TRUE(Form().Closed()) << "the invoice's annulment ran";
}

}  // namespace
}  // namespace tavrek::testing
