#include <gtest/gtest.h>

#include "documents/uPurchDocumentModel.h"
#include "posted/uEdPostPurchOrder.h"
#include "posted/uEdPostPurchRejectOrder.h"
#include "posted/uEdPostPurchReturnOrder.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

template <class TView>
class PostedOrderView : public DocumentFormTest<TView> {
protected:
    PostedOrderView()
        : DocumentFormTest<TView>(TPurchDocument::pdPostedOrder, {"que_AnnulDocument"}, "D_PostPurchOrderHeader",
                                  "D_PostPurchOrderLine") {}
    TView& OpenView() {
        return this->Open({{"Id", "P1"}, {"DocumentNo", "0000000011"}},
                          {{{"Id", "PL1"}, {"Line_No", 1}}, {{"Id", "PL2"}, {"Line_No", 2}}});
    }
};

using PostedPurchOrder = PostedOrderView<TfEdPostPurchOrder>;

TEST_F(PostedPurchOrder, TheLineDrillDownFiltersByCompanyOrderAndThatLine) {
    OpenView();
    host.ScriptExternal(3260, 0);
    for (const auto& [line, id] : {std::pair{1, "PL1"}, std::pair{2, "PL2"}}) {
        GotoLine(line);
        Form().pmLine.Find("pmiPostedPurchOrderDetail")->OnClick();
        const TFormRequest& request = host.ExternalRequests().back();
        EXPECT_EQ(request.FormNumber, 3260);
        const std::vector<TFilterCondition>& c = request.Filter.Conditions();
        ASSERT_EQ(c.size(), 3u);
        EXPECT_EQ(c[0].Field, "D_PostPurchOrderLineDetail.Comp_Id");
        EXPECT_EQ(c[0].Value.AsString(), "C1");
        EXPECT_EQ(c[1].Field, "D_PostPurchOrderLineDetail.Master_Id");
        EXPECT_EQ(c[1].Value.AsString(), "P1");
        EXPECT_EQ(c[2].Field, "D_PostPurchOrderLineDetail.MasterLine_Id");
        EXPECT_EQ(c[2].Value.AsString(), id);
        EXPECT_EQ(c[2].Connector, TFilterConnector::fcNone);
        EXPECT_EQ(request.CallingForm, &Form());
        EXPECT_EQ(request.ParentForm, &Form());
    }
    EXPECT_EQ(host.ExternalRequests().size(), 2u);
    EXPECT_TRUE(Form().ReadOnly);
}

// A return or a rejection is annulled from its document menu as a receipt is: by its own kind,
// with no question about payments; a refusal shows the server's reason, and the view closes
// either way.
template <class TView>
using PostedOrderOperation = PostedOrderView<TView>;
using OrderOperationViews = ::testing::Types<TfEdPostPurchReturnOrder, TfEdPostPurchRejectOrder>;
TYPED_TEST_SUITE(PostedOrderOperation, OrderOperationViews);

TYPED_TEST(PostedOrderOperation, IsAnnulledFromItsMenuAndToldWhyWhenRefused) {
    const char* const reason = "Върнатата стока вече е получена отново";
    for (const int result : {0, -1}) {
        SCOPED_TRACE(result);
        this->Open({{"Id", "P1"}, {"Annul", 0}, {"PostingDate", TDateTime::FromDate(2026, 11, 6)}}, {});
        this->dialogs.ExpectAnnul(true, "Грешно връщане");
        this->dialogs.ExpectMessage(mrYes, "que_AnnulDocument");
        this->dialogs.ExpectMessage(mrOk, result < 0 ? reason : "е анулиран");
        this->server.Script("AnnulDocument", "P1", {.Result = result, .Text = reason});
        this->server.ClearCalls();
        this->Form().pmDocument.Find("miAnnulDoc")->Click();
        const std::vector<TServerCall> calls = this->server.CallsTo("AnnulDocument");
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].Args[1].AsInteger(), 3) << "the kind of an order's return or rejection";
        EXPECT_EQ(calls[0].Args[2].AsString(), "Грешно връщане");
        EXPECT_EQ(calls[0].Args[3].AsDateTime(), TDateTime::FromDate(2026, 11, 6));
        EXPECT_EQ(calls[0].Args[4].AsInteger(), 0);
        EXPECT_TRUE(this->dialogs.AllAnswered());
        EXPECT_TRUE(this->Form().Closed());
    }
}

TEST(PostedOrderViews, OnlyThePostedOrderHasAFinancePageAndADrillDown) {
    TfEdPostPurchOrder order;
    TfEdPostPurchRejectOrder rejected;
    TfEdPostPurchReturnOrder returned;
    // The operation template item is disabled everywhere, and hidden but in the return view.
    const struct {
        TfBase* view;
        bool full, templateVisible;
    } cases[] = {{&order, true, false}, {&rejected, false, false}, {&returned, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.view->ClassName());
        EXPECT_EQ(c.view->Description.FindPage("tsFinanceData") != nullptr, c.full);
        EXPECT_EQ(c.view->pmLine.Find("pmiPostedPurchOrderDetail") != nullptr, c.full);
        const TMenuItem* item = c.view->pmDocument.Find("miSaveOperationTemplate");
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->Enabled());
        EXPECT_EQ(item->Visible(), c.templateVisible);
        // The posted order shows its totals and currency on the main page too, and has no annulment.
        EXPECT_EQ(c.view->acAnnulDocument.Visible, !c.full);
        for (const char* field : {"TotalValue", "TotalVAT", "Currency_Id"}) {
            const THeaderField* shown = c.view->Description.FindField(field);
            EXPECT_EQ(shown != nullptr && shown->Page == "tsMainData", c.full) << field;
        }
    }
}

}  // namespace
}  // namespace tavrek::testing
