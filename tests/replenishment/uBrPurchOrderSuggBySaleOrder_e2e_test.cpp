// The suggestion by sale order on the demo company's open sale orders of the Sofia store: what
// stops the order before the server is asked, the order the server makes of the ticked rows,
// and a second run that finds nothing left to buy.
#include <gtest/gtest.h>

#include "base/ui/Messages.h"
#include "frame/uPurchasePackage.h"
#include "replenishment/uBrPurchOrderSuggBySaleOrder.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class SuggestionBySaleOrder : public SqliteFixture {
protected:
    SuggestionBySaleOrder() {
        PurchasePackageStartup();
        form.Create();
        form.Show();
    }

    // The order action, confirmed when it asks, told what the text contains.
    void Order(const std::string& told, bool asks = true) {
        if (asks) dialogs.ExpectMessage(mrYes);
        dialogs.ExpectMessage(mrOk, told);
        form.acGenPurchOrder.Execute();
        EXPECT_TRUE(dialogs.AllAnswered()) << told;
    }

    HeadlessFormHost host;
    TfBrPurchOrderSuggBySaleOrder form;
};

TEST_F(SuggestionBySaleOrder, StopsUntilARowAndAVendorAreChosenThenOrdersWhatTheStoreLacks) {
    dialogs.ExpectMessage(mrOk, GetMessageText("msg_GeneratePurchOrderSuggestion"));
    form.acGenerateSuggestion.Execute();
    // Sofia's orders: 1016 twice (8 and 4), 1018 for 5, 1023 for 30, 1027 for 12; nothing in stock.
    ASSERT_EQ(form.cdsMaster.RecordCount(), 5);
    form.cdsMaster.First();
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("QtyToPurch").SetAsFloat(0);
    form.cdsMaster.Post();
    Order(GetMessageText("err_SaveBeforePostQuestion"), false);
    form.acSave.Execute();
    form.acUnmarkAll.Execute();
    form.cdsMaster.First();
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("Checked").SetAsInteger(1);
    form.cdsMaster.Post();
    form.acSave.Execute();
    Order(GetMessageText("err_NoSelectedRecords"));
    form.acMarkAll.Execute();
    form.acSave.Execute();
    Order(GetMessageText("err_NoSelectedVendor"));

    form.cdsOrder.Edit();
    form.cdsOrder.FieldByName("edtOrderContragent_Code").SetAsString("5004");
    form.cdsOrder.Post();
    form.tmrGetContragent.Fire();
    ASSERT_EQ(form.cdsOrder.FieldByName("edtOrderContragent_Id").AsString(), "V04");
    ASSERT_TRUE(form.EnterFieldValue(form.cdsOrder, form.cdsOrder.FieldByName("edtSubDocCode"), "510"));
    Order(GetMessageText("msg_CreatedPurchOrder"));
    EXPECT_EQ(Count("D_PurchHeader", "DocumentType = 22 AND Contragent_Id = 'V04' AND DocSubType_Id = 'SD-510'"), 1);
    EXPECT_EQ(Value("SELECT SUM(Quantity) FROM D_PurchaseLine").AsFloat(), 4 + 5 + 30 + 12) << "the row of 0 is not bought";
    EXPECT_EQ(form.cdsMaster.RecordCount(), 1) << "the processed rows are gone, the row of 0 stays";

    dialogs.ExpectMessage(mrYes);
    dialogs.ExpectMessage(mrOk, GetMessageText("msg_GeneratePurchOrderSuggestion"));
    form.acGenerateSuggestion.Execute();
    // The 4 ordered of 1016 cover the oldest of its 12: the other 8 are still short.
    EXPECT_EQ(Value("SELECT SUM(QtyToPurch) FROM D_PurchOrderSeggBySaleOrder").AsFloat(), 8);
    EXPECT_EQ(Count("D_PurchOrderSeggBySaleOrder", "Item_Id <> '1016'"), 0);
}

}  // namespace
}  // namespace tavrek::testing
