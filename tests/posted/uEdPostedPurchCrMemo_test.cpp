#include <gtest/gtest.h>

#include "base/forms/IBaseIntf.h"
#include "base/forms/TFormRegistry.h"
#include "editors/uEdPurchCrMemo.h"
#include "posted/uBrPostPurchCrMemo.h"
#include "posted/uEdPostedPurchCrMemo.h"
#include "posted/uPostedPurchOperations.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class PostedCrMemoView : public DocumentFormTest<TfEdPostedPurchCrMemo> {
protected:
    PostedCrMemoView()
        : DocumentFormTest(TPurchDocument::pdPostedCrMemo,
                          {"que_AnnulDocument", "err_NotFountCopyTemplate", "err_NoUniqueRecord",
                           "inf_CallSystemAdministrator", "err_CommonError", "inf_SelectPostItemCharge"},
                          "D_PurchCrMemoHeader", "D_PurchCrMemoLine") {
        SetFormNumber(uEdPostedPurchCrMemo::kFormNumber);
    }
    void OpenPosted(TRow extra = {}) {
        TRow header{{"Id", "PC1"}, {"Contragent_Id", "V01"}, {"Annul", 0}, {"IsGlobalCrMemo", 0}, {"DirectPay", 0},
                    {"PostingDate", TDateTime::FromDate(2026, 11, 30)}, {"TotalVAT", 180.0}, {"TotalVAT_LCY", 180.0}};
        for (auto& [k, v] : extra) header[k] = v;
        Open(header, {{{"Id", "PL1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}},
                      {{"Id", "PL2"}, {"Line_No", 2}, {"Type", 3}, {"Code", "TRANSPORT"}, {"Quantity", 1.0}}});
        // The view is shown by the host, which frees it when it closes.
    }
    bool ViewClosed() { return Form().Closed(); }
};

TEST_F(PostedCrMemoView, ShowsReadOnlyWithItsLedgerSubjectTypesAndItsListOpensIt) {
    OpenPosted();
    EXPECT_TRUE(Form().ReadOnly);
    EXPECT_EQ(Form().GetDocumentInfo(), (TVariantArray{1, 1}));
    EXPECT_EQ(Form().Description.FindField("LedgerSubjectType")->Items, (std::vector<std::string>{"1", "2"}));
    TfBrPostPurchCrMemo list;
    EXPECT_EQ(list.CardFormNumber, 10190);
    EXPECT_EQ(list.GetDocumentInfo(), (TVariantArray{1, 1}));
    EXPECT_FALSE(list.acPostDocument.Visible);
}

TEST_F(PostedCrMemoView, AnnulmentNeverAsksAboutPaymentsAndShowsTheChangeNegated) {
    LocalData().ShowChangeCalculation = true;
    OpenPosted();
    dialogs.ExpectAnnul(true, "Грешна сума");
    dialogs.ExpectMessage(mrYes, "que_AnnulDocument");
    server.Script("AnnulDocument", "PC1", {.Output = 150.0});
    dialogs.ExpectChangeCalculation();
    dialogs.ExpectMessage(mrOk, "е анулирано.");
    Form().acAnnulDocument.Execute();
    const std::vector<TServerCall> calls = server.CallsTo("AnnulDocument");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Args[1].AsInteger(), 2) << "the credit memo kind";
    EXPECT_EQ(calls[0].Args[2].AsString(), "Грешна сума");
    EXPECT_EQ(calls[0].Args[3].AsDateTime(), TDateTime::FromDate(2026, 11, 30)) << "the posting date proposed";
    EXPECT_EQ(calls[0].Args[4].AsInteger(), 0) << "payments are never annulled with it";
    const TShownDialog& change = dialogs.Shown().at(dialogs.Shown().size() - 2);
    EXPECT_DOUBLE_EQ(change.Due, -150.0);
    EXPECT_DOUBLE_EQ(change.Received, -150.0);
    EXPECT_EQ(Keys("RequestData"), (std::vector<std::string>{"D_PurchCrMemoHeader", "D_PurchCrMemoLine"})) << "refreshed";
    EXPECT_TRUE(ViewClosed());
}

TEST_F(PostedCrMemoView, AnnulmentStopsWhereTheUserOrTheServerSaysSoAndTellsWhatBecameOfIt) {
    for (const TGoldenCase& c : ReadGoldenCases("posted/crmemo_annulment_stops.txt")) {
        SCOPED_TRACE(c.Name);
        const std::string method = c.Text("Method");
        OpenPosted({{"Annul", c.Int("Annul")}, {"IsGlobalCrMemo", c.Int("IsGlobalCrMemo")}});
        if (c.Int("Annul") == 0) dialogs.ExpectAnnul(c.Int("Confirmed") == 1, "x");
        if (c.Has("Answer")) dialogs.ExpectMessage(AnswerNamed(c.Text("Answer")), "que_AnnulDocument");
        if (!method.empty()) server.Script(method, "PC1", {.Result = c.Int("Result")});
        if (c.Has("Told")) dialogs.ExpectMessage(mrOk, c.Text("Told"));
        Form().acAnnulDocument.Execute();
        EXPECT_EQ(server.CallsTo("AnnulDocument").size(), method == "AnnulDocument" ? 1u : 0u);
        EXPECT_EQ(server.CallsTo("AnnulGlobalDoc").size(), method == "AnnulGlobalDoc" ? 1u : 0u);
        if (method == "AnnulGlobalDoc") {
            EXPECT_EQ(server.CallsTo("AnnulGlobalDoc")[0].Args[1].AsInteger(), 1) << "the credit-memo marker";
        }
        EXPECT_EQ(ViewClosed(), !c.Has("Closes"));
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(host.WaitDepth(), 0);
    }
}

TEST_F(PostedCrMemoView, TheProtocolIsCreatedByTheServerAndOpened) {
    OpenPosted();
    const std::string exec = "exec dbo.usp_CreatePurchaseCrMemoProtocol 'C1', 'BG1', 'PC1', 'U1'";
    server.OnRequestValue(exec, Rows({"Quantity", "Item_id"}, {{"PR7", ""}}));
    host.ScriptExternal(11441, 0);
    server.OnRequestValue("D_GlobalPurchHeader", Rows({"DocumentNo", "DocumentType"}, {{"0000000008", 41}}));
    dialogs.ExpectMessage(mrOk, "Протокол към кредитно известие № 0000000008 е създаден.");
    Form().acGeneratePurchCrMemoProtocol.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    const TFilterCondition& condition = host.ExternalRequests()[0].Filter.Conditions().at(0);
    EXPECT_EQ(condition.Field, "D_PurchCrMemoHeader.Id");
    EXPECT_EQ(condition.Value.AsString(), "PR7");

    server.Script("RequestValue", exec, {.Result = -1});
    dialogs.ExpectMessage(mrOk, "err_CommonError");
    Form().acGeneratePurchCrMemoProtocol.Execute();
    EXPECT_EQ(host.ExternalRequests().size(), 1u);
}

TEST_F(PostedCrMemoView, ItemChargesOfALineAreShownOnlyForAnItemChargeLine) {
    OpenPosted();
    GotoLine(1);
    dialogs.ExpectMessage(mrOk, "inf_SelectPostItemCharge");
    Form().acItemChargeAssigned.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());
    GotoLine(2);
    host.ScriptExternal(10620, 0);
    Form().acItemChargeAssigned.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    const std::vector<TFilterCondition>& conditions = host.ExternalRequests()[0].Filter.Conditions();
    ASSERT_EQ(conditions.size(), 3u) << "no condition on the item charge";
    EXPECT_EQ(conditions[2].Field, "D_PostItemChargeAssigment.SrcDocument_ID");
    EXPECT_EQ(conditions[2].Value.AsString(), "PC1");
}

TEST_F(PostedCrMemoView, APaymentWithoutExactlyOneTemplateOpensNothing) {
    for (const std::vector<TVariantArray>& templates : {std::vector<TVariantArray>{},
                                                        std::vector<TVariantArray>{{"CT-1"}, {"CT-2"}}}) {
        SCOPED_TRACE(templates.size());
        OpenPosted();
        TScriptedAnswer found;
        found.Result = static_cast<int>(templates.size());
        found.Rows = Rows({"Id"}, templates);
        server.Script("RequestValue", "S_CopyDocTemplateHeader", found);
        dialogs.ExpectMessage(mrOk, "err_NotFountCopyTemplate\r\nerr_NoUniqueRecord\r\ninf_CallSystemAdministrator");
        Form().acGeneratePayment.Execute();
        EXPECT_EQ(server.CallsTo("RequestValue").at(0).Args[3].AsString(),
                  "S_CopyDocTemplateHeader.SrcForm_Id=10190 AND S_CopyDocTemplateHeader.TrgForm_Id=1040");
        EXPECT_TRUE(host.ExternalRequests().empty());
        EXPECT_FALSE(ViewClosed());
        ASSERT_FALSE(LoggedOperations().empty());
        EXPECT_EQ(LoggedOperations().back(), "TfEdPostedPurchCrMemo.acGeneratePaymentExecute");
    }
}

// The mechanism behind every generation: the new document is copied from the view's one by
// the template's fields, header and lines, and left unsaved for the user.
TEST_F(PostedCrMemoView, TheTemplateCopiesTheDocumentIntoTheNewForm) {
    TFormRegistryScope registry;
    RegisterFormClass("TfEdPurchCrMemo", uEdPurchCrMemo::kFormNumber, [] { return std::make_unique<TfEdPurchCrMemo>(); },
                      "Кредитно известие", TFormGroup::fgDocuments);
    OpenPosted();
    TScriptedAnswer empty;
    empty.Fill = [](const TFilter&, TClientDataSet& target) {
        FillDocumentDataSet(target, target.Name == "cdsMaster" ? PurchHeaderFields(TPurchDocument::pdCrMemo)
                                                                 : PurchLineFields(TPurchDocument::pdCrMemo),
                            {});
    };
    server.Script("RequestData", "D_PurchHeader", empty, true);
    server.Script("RequestData", "D_PurchaseLine", empty, true);
    server.Script("RequestValue", "S_CopyDocTemplateHeader", {.Result = 1, .Rows = Rows({"Id"}, {{"CT-1"}})});
    server.OnRequestValue("S_CopyDocTemplateLine", Rows({"IsLine", "SrcField", "TrgField", "DefaultValue"},
                                                        {{0, "Contragent_Id", "Contragent_Id", Variant()},
                                                         {0, "Id", "AppliesToDoc_Id", Variant()},
                                                         {1, "Code", "Code", Variant()},
                                                         {1, "Quantity", "Quantity", Variant()}}));
    server.Script("GetContragentParams", "V01", {}, true);
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V01')", Rows({"PayMethod_Id"}, {{"BANK"}}), true);
    server.OnRequestValue("N_Contragent", Rows({"Code", "Name"}, {{"5001", "Мелница Добруджа ООД"}}));
    IBaseIntf* created = uPostedPurchOperations::GenerateByCopyTemplate(Form(), uEdPurchCrMemo::kFormNumber, {});
    ASSERT_NE(created, nullptr);
    auto& memo = dynamic_cast<TfEdPurchCrMemo&>(created->Form());
    EXPECT_EQ(host.Activated(), &memo);
    EXPECT_EQ(memo.cdsMaster.FieldByName("Contragent_Id").AsString(), "V01");
    EXPECT_EQ(memo.cdsMaster.FieldByName("N_Contragent_Code").AsString(), "5001") << "the vendor copied by key shows";
    EXPECT_EQ(memo.cdsMaster.FieldByName("AppliesToDoc_Id").AsString(), "PC1");
    ASSERT_EQ(memo.cdsDetail.RecordCount(), 2);
    memo.cdsDetail.Last();
    EXPECT_EQ(memo.cdsDetail.FieldByName("Code").AsString(), "TRANSPORT");
    EXPECT_EQ(memo.CallingForm, nullptr) << "the link to the view is cleared";
    EXPECT_TRUE(memo.HasChanges()) << "left unsaved";
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());
    EXPECT_TRUE(ViewClosed());
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
