#include <gtest/gtest.h>

#include "lists/uBrPurchase.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

// The invoice list over three invoices of the scripted server.
class PurchaseList : public DocumentFormTest<TfBrPurchase> {
protected:
    PurchaseList()
        : DocumentFormTest(TPurchDocument::pdInvoice,
                          {"err_PostingDocument", "que_DocWithZeroTotalValue", "err_DocumentForCheck_3",
                           "err_SavingHistoryBeforeDel", "que_DeleteRecord"}) {
        Open({{"Id", "H1"}, {"DocumentNo", "1"}, {"TotalVAT", 12.0}, {"CheckStatus", 2}, {"PayMethod_Id", "CASH"},
              {"DirectPay", 0}},
             {});
    }
    void ScriptPostingChecks() {
        server.OnRequestValue("exec usp_CheckForAccountDimension 'C1', 'H1', 0, 0", Rows({"Code", "Msg"}, {{0, ""}}));
        server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'CASH', '', 1, 0", Rows({"Code", "Msg"}, {{0, ""}}));
    }
};

TEST_F(PurchaseList, OpensOnTheCompanysInvoicesAndTheCardOnTheRow) {
    Form().acRefresh.Execute();
    const std::vector<TServerCall> reads = server.CallsTo("RequestData");
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].Args[1].AsString(),
              "D_PurchHeader.Id=H1 AND D_PurchHeader.Comp_Id=C1 AND (D_PurchHeader.DocumentType=1 OR "
              "D_PurchHeader.DocumentType=31)");
    host.ScriptExternal(10011, 0);
    Form().dbgMaster.OnDblClick();
    ASSERT_EQ(host.ExternalRequests().size(), 1u) << "the editor is not registered here";
    EXPECT_EQ(host.ExternalRequests()[0].FormNumber, 10011);
    EXPECT_EQ(host.ExternalRequests()[0].Filter.Conditions()[0].Value.AsString(), "H1");
}

// Posting from the list: a VAT total that rounds to nothing asks first; a document paid on the
// spot shows the change of its local total when the session counts change; a refusal is
// logged as the list's posting.
TEST_F(PurchaseList, PostingAsksAboutAZeroTotalAndShowsTheChangeOfACashDocument) {
    const struct {
        const char* name;
        double totalVat;
        int directPay;
        bool counted;
        int zeroAnswer;  // the answer to "que_DocWithZeroTotalValue", 0 when not asked
        bool posted, change;
        int result = 0;
    } cases[] = {
        {"paid on the spot", 12.0, 1, true, 0, true, true},
        {"paid later", 12.0, 0, true, 0, true, false},
        {"change not counted", 12.0, 1, false, 0, true, false},
        {"VAT total of a rounding rest, declined", 0.004, 1, true, mrNo, false, false},
        {"refused by the server", 12.0, 1, true, 0, true, false, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        LocalData().ShowChangeCalculation = c.counted;
        Open({{"Id", "H1"}, {"DocumentNo", "1"}, {"TotalVAT", c.totalVat}, {"TotalVAT_LCY", 23.47},
              {"PayMethod_Id", "CASH"}, {"DirectPay", c.directPay}},
             {});
        ScriptPostingChecks();
        server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'CASH', '', 1, " + std::to_string(c.directPay),
                              Rows({"Code", "Msg"}, {{0, ""}}));
        if (c.zeroAnswer != 0) dialogs.ExpectMessage(c.zeroAnswer, "que_DocWithZeroTotalValue");
        if (c.posted) server.OnPost("PostPurchase", c.result, {"PI1", "0000000005"});
        if (c.change) dialogs.ExpectChangeCalculation();
        if (c.posted && c.result == 0) dialogs.ExpectMessage(mrOk, "0000000005");
        Form().acPostDocument.Execute();
        EXPECT_EQ(server.CallsTo("PostPurchase").size(), c.posted ? 1u : 0u);
        if (c.change) {
            const TShownDialog& change = dialogs.Shown().at(dialogs.Shown().size() - 2);
            EXPECT_DOUBLE_EQ(change.Due, 23.47);
            EXPECT_DOUBLE_EQ(change.Received, 23.47);
        }
        EXPECT_EQ(LoggedOperations(), c.result < 0 ? std::vector<std::string>{"TfBrPurchase.PostDocument"}
                                                   : std::vector<std::string>{});
        EXPECT_TRUE(dialogs.AllAnswered());
        server.ClearCalls();
    }
}

TEST_F(PurchaseList, DeletingACheckedDocumentAsksTheGoodsCheckAndKeepsItsHistory) {
    LocalData().UseGoodsCheck = true;
    const std::string check = "exec usp_CheckDocumentBeforeDelete 'C1', 'H1', 4, 0, ''";
    server.OnRequestValue(check, Rows({"Code", "Msg"}, {{3, "в склада"}}));
    dialogs.ExpectMessage(mrOk, "err_DocumentForCheck_3");
    Form().acDeleteRecord.Execute();
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());

    server.OnRequestValue(check, Rows({"Code", "Msg"}, {{0, ""}}));
    dialogs.ExpectMessage(mrYes, "que_DeleteRecord");
    server.OnRequestValue("exec  usp_SaveHistoryBeforeDelete 'C1', 'H1', 6, 'U1', 'BG1'", Rows({"Code", "ErrMsg"}, {{"-1", "x"}}));
    dialogs.ExpectMessage(mrOk, "err_SavingHistoryBeforeDel");
    Form().acDeleteRecord.Execute();
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty()) << "no history, no deletion";
    EXPECT_EQ(Form().cdsMaster.RecordCount(), 1);
}

TEST_F(PurchaseList, DeletingMarkedDocumentsAsksTheGoodsCheckForEachOfThem) {
    LocalData().UseGoodsCheck = true;
    TClientDataSet& rows = Form().cdsMaster;
    const TBookmark first = rows.GetBookmark();
    rows.Append();
    rows.FieldByName("Id").SetAsString("H2");
    rows.FieldByName("CheckStatus").SetAsInteger(2);
    rows.Post();
    Form().dbgMaster.SelectedRows = {first, rows.GetBookmark()};
    rows.GotoBookmark(first);
    server.OnRequestValue("exec usp_CheckDocumentBeforeDelete 'C1', 'H1', 4, 0, ''", Rows({"Code", "Msg"}, {{0, ""}}));
    server.OnRequestValue("exec usp_CheckDocumentBeforeDelete 'C1', 'H2', 4, 0, ''", Rows({"Code", "Msg"}, {{3, "в склада"}}));
    dialogs.ExpectMessage(mrOk, "err_DocumentForCheck_3");
    Form().acDeleteRecord.Execute();
    EXPECT_TRUE(dialogs.AllAnswered()) << "the marked row off the cursor is refused";
    EXPECT_TRUE(server.CallsTo("ApplyUpdates").empty());
}

}  // namespace
}  // namespace tavrek::testing
