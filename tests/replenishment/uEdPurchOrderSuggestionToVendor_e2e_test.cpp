// The saved suggestion to vendor on the demo company: numbered from the suggestion series of
// the purchases setup, run on its own lines, and turned into orders where a line proposing
// nothing gives no order line (nor an order of its own) and still leaves the document.
#include <gtest/gtest.h>

#include "base/ui/Messages.h"
#include "frame/uPurchasePackage.h"
#include "replenishment/uEdPurchOrderSuggestionToVendor.h"
#include "server/SqlValue.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class SavedSuggestionToVendor : public SqliteFixture {
protected:
    // Items short of their minimum, in grid order: 1001 of V04, 1002 of V01, 1005 of V02.
    SavedSuggestionToVendor() {
        PurchasePackageStartup();
        Exec("DELETE FROM D_SaleOrderLine");
        Exec("UPDATE N_Item SET MinimumStock = 0");
        Exec("UPDATE N_Item SET Vendor_Id = 'V04' WHERE Id = '1001'");
        Exec("UPDATE N_Item SET MinimumStock = 6 WHERE Id IN ('1001', '1002', '1005')");
        form.Create();
        form.Show();
        form.acInsertRecord.Execute();
    }

    void Set(const char* field, const Variant& value) {
        form.cdsMaster.Edit();
        form.cdsMaster.FieldByName(field).SetValue(value);
        form.cdsMaster.Post();
    }
    void SetLine(const char* item, double quantity) {
        ASSERT_TRUE(form.cdsDetail.Locate("Item_Id", {item}));
        form.cdsDetail.Edit();
        form.cdsDetail.FieldByName("QTYForOrder").SetAsFloat(quantity);
        form.cdsDetail.Post();
    }
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
    TfEdPurchOrderSuggestionToVendor form;
};

TEST_F(SavedSuggestionToVendor, NumberedFromTheSetupAndOrdersOnlyWhatItsLinesPropose) {
    Set("GenerateQtyOptions", 1);
    dialogs.ExpectMessage(mrOk, GetMessageText("msg_GeneratePurchOrderSuggestion"));
    form.acGenerateSuggestion.Execute();
    ASSERT_TRUE(dialogs.AllAnswered());
    const std::string id = form.cdsMaster.FieldByName("id").AsString();
    EXPECT_EQ(form.cdsMaster.FieldByName("DocumentNo").AsString(), "0000000001");
    EXPECT_EQ(form.cdsMaster.FieldByName("Series_Id").AsString(), "SUGG");
    ASSERT_EQ(form.cdsDetail.RecordCount(), 3);
    EXPECT_EQ(Count("D_PurchOrderSuggToVendorLine", "Master_Id = '" + id + "'"), 3);
    EXPECT_EQ(Count("D_PurchOrderSuggToVendorLine", "Master_Id IS NULL"), 0) << "the worksheet's rows are not the document's";

    // V01's only line proposes nothing; 1005 is changed and not yet saved.
    SetLine("1002", 0);
    SetLine("1005", 7);
    dialogs.ExpectMessage(mrYes);
    dialogs.ExpectMessage(mrOk, GetMessageText("msg_CreatedDocument"));
    host.ScriptExternal(10770, 1, {"SD-510", "510", "Поръчка за покупка"});
    form.btnGeneratePurch.Execute();
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
    EXPECT_EQ(OrderedVendors(), "V04 V02");
    EXPECT_EQ(Value("SELECT Quantity FROM D_PurchaseLine WHERE Code = '1005'").AsFloat(), 7);
    EXPECT_EQ(Value("SELECT Type FROM D_PurchaseLine WHERE Code = '1005'").AsInteger(), 1) << "brought as if typed";
    EXPECT_EQ(Count("D_PurchaseLine", "Code = '1002'"), 0);
    EXPECT_EQ(Count("D_PurchOrderSuggToVendorLine", "Master_Id = '" + id + "'"), 0) << "the line of 0 leaves too";
    EXPECT_EQ(form.cdsDetail.RecordCount(), 0);
}

TEST_F(SavedSuggestionToVendor, APeriodThatIsNoDateIsRefusedAndNothingIsSaved) {
    Set("FromOldPeriod", "2026-11-01");
    dialogs.ExpectMessage(mrOk, GetMessageText("err_SuggestionPeriodDate"));
    EXPECT_FALSE(form.SaveData());
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(Count("D_PurchOrderSuggToVendorHeader"), 0);
}

}  // namespace
}  // namespace tavrek::testing
