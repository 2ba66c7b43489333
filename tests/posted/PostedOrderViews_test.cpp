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
        : DocumentFormTest<TView>(PurchHeaderFields(TPurchDocument::pdPostedOrder),
                                  PurchLineFields(TPurchDocument::pdPostedOrder), "D_PostPurchOrderHeader",
                                  "D_PostPurchOrderLine") {}
    TView& OpenView() {
        return this->Open({{"Id", "P1"}, {"DocumentNo", "0000000011"}},
                          {{{"Id", "PL1"}, {"Line_No", 1}}, {{"Id", "PL2"}, {"Line_No", 2}}});
    }
};

using PostedPurchOrder = PostedOrderView<TfEdPostPurchOrder>;

TEST_F(PostedPurchOrder, TheLineDrillDownFiltersByCompanyOrderAndThatLine) {
    OpenView();
    EXPECT_EQ(Form().DocumentKindCode, 24);
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

TEST(PostedOrderViews, OnlyThePostedOrderHasAFinancePageAndADrillDown) {
    TfEdPostPurchOrder order;
    TfEdPostPurchRejectOrder rejected;
    TfEdPostPurchReturnOrder returned;
    EXPECT_NE(order.Description.FindPage("tsFinanceData"), nullptr);
    EXPECT_NE(order.pmLine.Find("pmiPostedPurchOrderDetail"), nullptr);
    for (TfBase* view : std::initializer_list<TfBase*>{&rejected, &returned}) {
        SCOPED_TRACE(view->ClassName());
        EXPECT_EQ(view->Description.FindPage("tsFinanceData"), nullptr);
        EXPECT_EQ(view->pmLine.Find("pmiPostedPurchOrderDetail"), nullptr);
        EXPECT_EQ(view->DocumentKindCode, 0);
    }
    // The operation template item is disabled everywhere, and hidden but in the return view.
    const struct {
        TfBase* view;
        bool visible;
    } templates[] = {{&order, false}, {&rejected, false}, {&returned, true}};
    for (const auto& t : templates) {
        SCOPED_TRACE(t.view->ClassName());
        const TMenuItem* item = t.view->pmDocument.Find("miSaveOperationTemplate");
        ASSERT_NE(item, nullptr);
        EXPECT_FALSE(item->Enabled());
        EXPECT_EQ(item->Visible(), t.visible);
    }
}

}  // namespace
}  // namespace tavrek::testing
