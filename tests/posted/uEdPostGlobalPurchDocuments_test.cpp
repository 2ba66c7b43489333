#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "posted/uEdPostGlobalPurchCrMemo.h"
#include "posted/uEdPostGlobalPurchCrMemoProtocol.h"
#include "posted/uEdPostGlobalPurchInvoice.h"
#include "posted/uEdPostGlobalPurchProtocol.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class PostedGlobalView : public DocumentFormTestBase {
protected:
    PostedGlobalView() : DocumentFormTestBase(TPurchDocument::pdPostedGlobalInvoice, {"que_AnnulDocument"}) {
        // Both kinds of posted tables answer the same header.
        for (const char* table : {"D_PurchInvoiceHeader", "D_PurchCrMemoHeader"}) {
            server.Script("RequestData", table,
                          {.Fill = [this](const TFilter&, TClientDataSet& target) {
                              FillDocumentDataSet(target, PurchHeaderFields(TPurchDocument::pdPostedGlobalInvoice),
                                                  {header_});
                          }},
                          true);
            server.Script("RequestData", std::string(table) == "D_PurchInvoiceHeader" ? "D_PurchInvoiceLine"
                                                                                       : "D_PurchCrMemoLine",
                          {.Fill = [](const TFilter&, TClientDataSet& target) { FillDocumentDataSet(target, {}, {}); }},
                          true);
        }
    }
    std::unique_ptr<TfBase> view;
};

// Each posted view annuls through its own call and marker, says what became of the document
// and closes; an annulled document shows no annulment dialog again.
TEST_F(PostedGlobalView, EachKindAnnulsThroughItsCallAndMarker) {
    const struct {
        const char* name;
        std::function<std::unique_ptr<TfBase>()> make;
        const char* globalField;
        const char* call;
        int marker;
        int annul;   // the header's Annul
        int result;  // the server's answer
    } cases[] = {
        {"invoice", [] { return std::make_unique<TfEdPostGlobalPurchInvoice>(); }, "IsGlobalInvoice", "AnnulGlobalDoc", 0, 0, 0},
        {"credit memo", [] { return std::make_unique<TfEdPostGlobalPurchCrMemo>(); }, "IsGlobalCrMemo", "AnnulGlobalDoc", 1, 0, 0},
        {"protocol", [] { return std::make_unique<TfEdPostGlobalPurchProtocol>(); }, "IsGlobalInvoice", "AnnulPurchProtocol", 0, 0, -1},
        {"credit memo protocol", [] { return std::make_unique<TfEdPostGlobalPurchCrMemoProtocol>(); }, "IsGlobalCrMemo",
         "AnnulPurchProtocol", 1, 0, 0},
        {"annulled already", [] { return std::make_unique<TfEdPostGlobalPurchInvoice>(); }, "IsGlobalInvoice", "AnnulGlobalDoc", 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view = c.make();
        OpenForm(*view, {{"Id", "PG1"}, {"DocumentNo", "0000000012"}, {c.globalField, 1}, {"Annul", c.annul},
                         {"DocumentType", 8}}, {});
        const size_t before = server.CallsTo(c.call).size();
        if (c.annul == 0) {
            dialogs.ExpectAnnul(true, "Грешка");
            dialogs.ExpectMessage(mrYes, "que_AnnulDocument");
            server.Script(c.call, "PG1", {.Result = c.result});
            dialogs.ExpectMessage(mrOk, c.result < 0 ? "не е анулиран" : "е анулиран");
        }
        view->acAnnulDocument.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        const std::vector<TServerCall> calls = server.CallsTo(c.call);
        ASSERT_EQ(calls.size(), before + (c.annul == 0 ? 1 : 0));
        if (c.annul == 0) {
            EXPECT_EQ(calls.back().Args[1].AsInteger(), c.marker);
        }
        EXPECT_TRUE(view->Closed() || c.annul == 1);
    }
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
