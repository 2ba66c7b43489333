#include <gtest/gtest.h>

#include "lists/uBrGlobalPurchCrMemo.h"
#include "lists/uBrGlobalPurchInvoice.h"
#include "lists/uBrGlobalPurchProtocol.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

// A list holding three consolidated documents G1, G2 and G3.
class GlobalList : public SessionTest {
protected:
    GlobalList() {
        server.SetMessage("err_DeleteGlobalDetailRows", "err_DeleteGlobalDetailRows");
        server.SetMessage("err_PostingDocument", "err_PostingDocument");
        server.Script("RequestData", "D_GlobalPurchHeader",
                      {.Fill = [this](const TFilter&, TClientDataSet& target) {
                          std::vector<TRow> rows;
                          for (const std::string& id : ids_) rows.push_back({{"Id", id}, {"DocumentType", 3}});
                          FillDocumentDataSet(target, PurchHeaderFields(TPurchDocument::pdGlobalInvoice), rows);
                      }},
                      true);
    }
    template <class TList>
    TList& Open() {
        auto list = std::make_unique<TList>();
        TList& shown = *list;
        list_ = std::move(list);
        list_->Create();
        list_->Show();
        server.ClearCalls();
        return shown;
    }
    void MarkAll() {
        list_->dbgMaster.SelectedRows.clear();
        for (list_->cdsMaster.First(); !list_->cdsMaster.Eof(); list_->cdsMaster.Next())
            list_->dbgMaster.SelectedRows.push_back(list_->cdsMaster.GetBookmark());
    }

    HeadlessFormHost host;
    std::vector<std::string> ids_ = {"G1", "G2", "G3"};
    std::unique_ptr<TfBase> list_;
};

// The server's rows of each marked document go first, then the records in one save; a refusal
// ends the deletion at that document, leaving what the server did for the earlier ones.
TEST_F(GlobalList, DeletingMarkedDocumentsStopsAtTheFirstRefusal) {
    const struct {
        const char* name;
        int refused;  // the position refused, 0 for none
        std::vector<std::string> asked;
        size_t saves;
        int left;
    } cases[] = {{"three deleted", 0, {"G1", "G2", "G3"}, 1, 0}, {"the second refused", 2, {"G1", "G2"}, 0, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TfBrGlobalPurchInvoice& list = Open<TfBrGlobalPurchInvoice>();
        MarkAll();
        dialogs.ExpectMessage(mrYes);
        for (int i = 1; i <= 3; ++i)
            server.Script("DeleteGlobalDoc", ids_[static_cast<size_t>(i - 1)], {.Result = i == c.refused ? -1 : 0});
        if (c.saves > 0) server.Script("ApplyUpdates", "", {});
        list.acDeleteRecord.Execute();
        std::vector<std::string> asked;
        for (const TServerCall& call : server.CallsTo("DeleteGlobalDoc")) {
            asked.push_back(call.Key);
            EXPECT_EQ(call.Args[1].AsInteger(), 0);
        }
        EXPECT_EQ(asked, c.asked);
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), c.saves);
        EXPECT_EQ(list.cdsMaster.RecordCount(), c.left);
        EXPECT_TRUE(dialogs.AllAnswered());
        server.ClearCalls();
    }
}

// The invoice and credit memo lists post with their marker and read the list again; the
// protocol list posts nothing.
TEST_F(GlobalList, PostsWithItsMarkerOrNotAtAll) {
    TfBrGloablPurchCrMemo& memos = Open<TfBrGloablPurchCrMemo>();
    server.OnPost("PostGlobalDoc", 0, {"PC9", "0000000031"});
    dialogs.ExpectMessage(mrOk, "№ 0000000031 е осчетоводен");
    memos.acPostAndPrintDocument.Execute();
    ASSERT_EQ(server.CallsTo("PostGlobalDoc").size(), 1u);
    EXPECT_EQ(server.CallsTo("PostGlobalDoc")[0].Args[1].AsInteger(), 1);
    EXPECT_EQ(server.CallsTo("RequestData").size(), 1u) << "read again";
    ASSERT_EQ(host.Prints().size(), 1u);

    TfBrGlobalPurchProtocol& protocols = Open<TfBrGlobalPurchProtocol>();
    EXPECT_FALSE(protocols.acPostDocument.Visible);
    protocols.PostDocument(false);
    EXPECT_TRUE(server.CallsTo("PostGlobalDoc").empty() && server.CallsTo("PostPurchProtocol").empty());
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
