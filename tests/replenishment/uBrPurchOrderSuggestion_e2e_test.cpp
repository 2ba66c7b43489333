// The suggestion worksheet on the demo company, driving the real order editor: the rows of
// three vendors become three orders in the order the vendors first appear, the ordered rows
// leave the worksheet and a second run proposes nothing; an order that no longer matches its
// suggestion takes every order of the run with it.
#include <gtest/gtest.h>

#include "base/ui/Messages.h"
#include "frame/uPurchasePackage.h"
#include "replenishment/uBrPurchOrderSuggestion.h"
#include "server/SqlValue.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class PurchOrderSuggestionRun : public SqliteFixture {
protected:
    // Items short of their minimum, in grid order: 1001 of V04, 1002 of V01, 1005 of V02.
    PurchOrderSuggestionRun() {
        PurchasePackageStartup();
        Exec("DELETE FROM D_SaleOrderLine");
        Exec("UPDATE N_Item SET MinimumStock = 0");
        Exec("UPDATE N_Item SET Vendor_Id = 'V04' WHERE Id = '1001'");
        Exec("UPDATE N_Item SET MinimumStock = 6 WHERE Id IN ('1001', '1002', '1005')");
        form.Create();
        form.Show();
        dialogs.ExpectMessage(mrOk, "генерирано");
        form.acGenerateSuggestion.Execute();
    }

    // The order generation, confirmed, on the order subtype; told what the text contains.
    void Generate(const std::string& told) {
        dialogs.ExpectMessage(mrYes);
        dialogs.ExpectMessage(mrOk, told);
        host.ScriptExternal(10770, 1, {"SD-510", "510", "Поръчка за покупка"});
        form.acGeneratePurchOrder.Execute();
    }

    // The vendors of the orders, in the order they were numbered.
    std::string OrderedVendors() {
        std::string vendors;
        for (const TVariantArray& row :
             server::SelectRows(Server().Database(),
                                "SELECT Contragent_Id FROM D_PurchHeader WHERE DocumentType = 22 ORDER BY DocumentNo")
                 .Rows)
            vendors += (vendors.empty() ? "" : " ") + row[0].AsString();
        return vendors;
    }

    HeadlessFormHost host;
    TfBrPurchOrderSuggestion form;
};

TEST_F(PurchOrderSuggestionRun, ThreeVendorsGiveThreeOrdersAndASecondRunNothing) {
    ASSERT_EQ(form.cdsMaster.RecordCount(), 3);
    ASSERT_TRUE(form.cdsMaster.Locate("Item_Id", {"1005"}));
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("Quantity").SetAsFloat(7);
    form.cdsMaster.Post();
    Generate(GetMessageText("msg_CreatedDocument"));
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(OrderedVendors(), "V04 V01 V02");
    EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
    EXPECT_EQ(Value("SELECT Quantity FROM D_PurchaseLine WHERE Code = '1005'").AsFloat(), 7) << "the unsaved edit";
    // 7 at 1.35 with 20 % VAT: the server completes the line the editor was given by code.
    EXPECT_NEAR(Value("SELECT TotalVAT FROM D_PurchaseLine WHERE Code = '1005'").AsFloat(), 11.34, 1e-9);
    EXPECT_EQ(Count("D_PurchOrderLineSuggestion"), 3);
    EXPECT_EQ(form.cdsMaster.RecordCount(), 0);
    EXPECT_EQ(Count("D_PurchOrderSuggestion"), 0);
    dialogs.ExpectMessage(mrOk, "генерирано");
    form.acGenerateSuggestion.Execute();
    EXPECT_EQ(form.cdsMaster.RecordCount(), 0) << "what was ordered is on order";
}

TEST_F(PurchOrderSuggestionRun, AnOrderThatNoLongerMatchesTakesTheWholeRunBack) {
    // Someone removed the second vendor's row meanwhile: its order line has no row to match.
    Exec("DELETE FROM D_PurchOrderSuggestion WHERE Item_Id = '1002'");
    Generate(GetMessageText("err_CheckPurchOrderFromSgg"));
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(Count("D_PurchHeader", "DocumentType = 22"), 0);
    EXPECT_EQ(Count("D_PurchaseLine"), 0);
    EXPECT_EQ(Count("D_PurchOrderSuggestion", "Checked = 1"), 2) << "the rows stay ticked";
}

}  // namespace
}  // namespace tavrek::testing
