#include <gtest/gtest.h>

#include "lists/uBrPurchCrMemo.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class PurchCrMemoList : public DocumentFormTest<TfBrPurchCrMemo> {
protected:
    PurchCrMemoList() : DocumentFormTest(TPurchDocument::pdCrMemo, {"err_PostingDocument"}) {
        OpenList();
        server.OnRequestValue("exec usp_CheckForAccountDimension 'C1', 'H1', 0, 0", Rows({"Code", "Msg"}, {{0, ""}}), true);
        server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'CASH', '', 1, 0", Rows({"Code", "Msg"}, {{0, ""}}), true);
    }
    void OpenList() {
        Open({{"Id", "H1"}, {"DocumentNo", "1"}, {"TotalVAT", 12.0}, {"PayMethod_Id", "CASH"}, {"DirectPay", 0}}, {});
    }
};

// The user says once per opened list how its credit memos relate to a sale; a cancelled
// answer posts nothing and is asked again.
TEST_F(PurchCrMemoList, PostsThroughTheCreditMemoPostingAfterOneOptionDialog) {
    const struct {
        const char* name;
        int option;  // the answer scripted, or -2 when no dialog is expected
        bool posted;
    } steps[] = {
        {"cancelled: nothing posted", -1, false},
        {"asked again and answered", 1, true},
        {"the answer is kept", -2, true},
    };
    size_t posts = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.option != -2) dialogs.ExpectOption(s.option);
        if (s.posted) server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000003"});
        if (s.posted) dialogs.ExpectMessage(mrOk, "Кредитно известие № 0000000003 е осчетоводено.");
        Form().acPostAndPrintDocument.Execute();
        posts += s.posted ? 1 : 0;
        EXPECT_EQ(Keys("PostPurchCrMemo").size(), posts);
        if (s.posted) {
            EXPECT_EQ(server.CallsTo("PostPurchCrMemo").back().Args[1].AsInteger(), 1) << "the answer posts";
        }
        EXPECT_TRUE(dialogs.AllAnswered());
    }
    EXPECT_TRUE(server.CallsTo("PostPurchase").empty());
    ASSERT_EQ(host.Prints().size(), 2u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, TfBrPurchCrMemo::kPostedCrMemoPrintForm);
    EXPECT_TRUE(LoggedOperations().empty());
}

// The set-off the editor offers is offered from the list too, with the option dialog, the
// first time a memo credits an invoice still owed; the answer holds for the list's life and
// is saved on each memo it concerns before the memo is posted.
TEST_F(PurchCrMemoList, OffersTheSetOffOnceAndSavesItOnEveryMemoItConcerns) {
    for (const TGoldenCase& s : ReadGoldenCases("lists/crmemo_list_set_off.txt")) {
        SCOPED_TRACE(s.Name);
        if (s.Int("NewList") == 1) OpenList();
        header_["AppliesToDoc_Id"] = Variant();
        Header().Edit();
        SetFields(Header(), {{"ToInvoiceNo", s["ToInvoiceNo"]}, {"AppliesToDoc_Id", Variant()}});
        Header().Post();
        AcceptSaves("H1");
        if (s.Has("ToInvoiceNo"))
            server.OnRequestValue("D_PurchInvoiceHeader",
                                  Rows({"Id", "Remaining"}, s.Has("Remaining") ? std::vector<TVariantArray>{{"PI1", s["Remaining"]}}
                                                                               : std::vector<TVariantArray>{}));
        server.ClearCalls();
        if (s.Has("Option")) dialogs.ExpectOption(s.Int("Option"));
        if (s.Has("SetOff")) dialogs.ExpectMessage(AnswerNamed(s.Text("SetOff")), "Приспадане от задължението по фактура F-100");
        if (s.Int("Posted") == 1) server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000003"});
        if (s.Int("Posted") == 1) dialogs.ExpectMessage(mrOk, "Кредитно известие № 0000000003 е осчетоводено.");
        Form().acPostDocument.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(server.CallsTo("PostPurchCrMemo").size(), static_cast<size_t>(s.Int("Posted")));
        EXPECT_EQ(header_["AppliesToDoc_Id"].AsString(), s.Text("AppliesTo")) << "what the memo was posted with";
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), s.Has("AppliesTo") ? 1u : 0u);
        EXPECT_TRUE(LoggedOperations().empty());
    }
}

TEST_F(PurchCrMemoList, ShowsTheCompanysCreditMemosAndOpensEachInItsEditor) {
    Form().acRefresh.Execute();
    EXPECT_EQ(server.CallsTo("RequestData").back().Args[1].AsString(),
              "D_PurchHeader.Id=H1 AND D_PurchHeader.Comp_Id=C1 AND (D_PurchHeader.DocumentType=11 OR "
              "D_PurchHeader.DocumentType=32)");
    const struct {
        int64_t type;
        int form;
    } cards[] = {{11, 10181}, {32, 10183}};
    for (const auto& c : cards) {
        Form().cdsMaster.Edit();
        Form().cdsMaster.FieldByName("DocumentType").SetAsInteger(c.type);
        Form().cdsMaster.Post();
        host.ScriptExternal(c.form, 0);
        Form().dbgMaster.OnDblClick();
        EXPECT_EQ(host.ExternalRequests().back().FormNumber, c.form);
    }
}

}  // namespace
}  // namespace tavrek::testing
