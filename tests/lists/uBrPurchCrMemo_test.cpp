#include <gtest/gtest.h>

#include "lists/uBrPurchCrMemo.h"
#include "support/DocumentFormTest.h"

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
        {"asked again and answered", 0, true},
        {"the answer is kept", -2, true},
    };
    size_t posts = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.option != -2) dialogs.ExpectOption(s.option);
        if (s.posted) server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000003"});
        Form().acPostAndPrintDocument.Execute();
        posts += s.posted ? 1 : 0;
        EXPECT_EQ(Keys("PostPurchCrMemo").size(), posts);
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
    const struct {
        const char* name;
        bool newList;
        Variant toInvoiceNo;
        double remaining;  // of the credited invoice, -1 when none is found
        int option;        // the answer scripted, -2 when no dialog is expected
        int setOff;        // the answer to the set-off, mrNone when not asked
        const char* appliesTo;
        bool posted;
    } steps[] = {
        {"owed: asked with the option", true, "F-100", 24.0, 0, mrYes, "PI1", true},
        {"the next memo: kept", false, "F-100", 24.0, -2, mrNone, "PI1", true},
        {"nothing credited: nothing saved", false, Variant(), -1, -2, mrNone, "", true},
        {"declined in a new list", true, "F-100", 24.0, 1, mrNo, "", true},
        {"paid to the last cent: the option only", true, "F-100", 0.004, 0, mrNone, "", true},
        {"then an owed one: the set-off is asked", false, "F-100", 24.0, 0, mrYes, "PI1", true},
        {"cancelled: nothing saved or posted", true, "F-100", 24.0, -1, mrNone, "", false},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        if (s.newList) OpenList();
        header_["AppliesToDoc_Id"] = Variant();
        Header().Edit();
        SetFields(Header(), {{"ToInvoiceNo", s.toInvoiceNo}, {"AppliesToDoc_Id", Variant()}});
        Header().Post();
        AcceptSaves("H1");
        if (!s.toInvoiceNo.IsNull())
            server.OnRequestValue("D_PurchInvoiceHeader",
                                  Rows({"Id", "Remaining"}, s.remaining < 0 ? std::vector<TVariantArray>{}
                                                                            : std::vector<TVariantArray>{{"PI1", s.remaining}}));
        server.ClearCalls();
        if (s.option != -2) dialogs.ExpectOption(s.option);
        if (s.setOff != mrNone) dialogs.ExpectMessage(s.setOff, "Приспадане от задължението по фактура F-100");
        if (s.posted) server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000003"});
        Form().acPostDocument.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(server.CallsTo("PostPurchCrMemo").size(), s.posted ? 1u : 0u);
        EXPECT_EQ(header_["AppliesToDoc_Id"].AsString(), s.appliesTo) << "what the memo was posted with";
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), *s.appliesTo == '\0' ? 0u : 1u);
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
