// A sale order typed by a person: the business group brings its store, each refusal names
// what is missing and saves nothing, and a complete order is saved with its lines to ship.
#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/ui/Messages.h"
#include "others/uEdSaleOrder.h"

namespace tavrek::testing {
namespace {

class SaleOrderEntry : public OthersFixture {
protected:
    SaleOrderEntry() {
        form.Create();
        form.Show();
        form.StartFromMenu();
    }

    void Header(const char* field, const Variant& value) {
        ASSERT_TRUE(form.EnterFieldValue(form.cdsMaster, form.cdsMaster.FieldByName(field), value)) << field;
    }
    void Line(const char* item, double quantity) {
        form.cdsDetail.Append();
        if (item != nullptr) {
            ASSERT_TRUE(form.EnterFieldValue(form.cdsDetail, form.cdsDetail.FieldByName("Item_Id"), item));
        }
        form.cdsDetail.FieldByName("Quantity").SetAsFloat(quantity);
        form.cdsDetail.Post();
    }
    void Refused(const char* key) {
        dialogs.ExpectMessage(mrOk, GetMessageText(key));
        EXPECT_FALSE(form.SaveData()) << key;
        EXPECT_TRUE(dialogs.AllAnswered()) << key;
        EXPECT_EQ(Count("D_SaleOrderHeader", "DocumentNo = 'ПП-0100'"), 0) << key;
    }

    TfEdSaleOrder form;
};

TEST_F(SaleOrderEntry, EachMissingPartIsRefusedByNameThenTheOrderIsSavedToShip) {
    EXPECT_FALSE(form.cdsMaster.FieldByName("DocumentDate").IsNull()) << "a new order is of today";
    Refused("err_SaleOrderNoNumber");
    Header("DocumentNo", "ПП-0100");
    Refused("err_SaleOrderNoStore");
    Header("BusinessGroup_Id", "PLV");
    EXPECT_EQ(form.cdsMaster.FieldByName("Store_Id").AsString(), "S02");
    Line(nullptr, 2);
    Refused("err_SaleOrderLineNoItem");
    form.cdsDetail.Delete();
    Line("1001", 0);
    Refused("err_SaleOrderLineQuantity");
    form.cdsDetail.Edit();
    form.cdsDetail.FieldByName("Quantity").SetAsFloat(4);
    form.cdsDetail.Post();
    Line("1002", 1.5);
    EXPECT_TRUE(form.SaveData());
    ExpectNoErrors();
    EXPECT_EQ(Value("SELECT Store_Id FROM D_SaleOrderHeader WHERE DocumentNo = 'ПП-0100'").AsString(), "S02");
    EXPECT_EQ(Value("SELECT SUM(Quantity - ShippedQty) FROM D_SaleOrderLine l JOIN D_SaleOrderHeader h ON h.Id = "
                    "l.Master_Id WHERE h.DocumentNo = 'ПП-0100'").AsFloat(), 5.5);
    EXPECT_EQ(Value("SELECT MAX(Line_No) FROM D_SaleOrderLine l JOIN D_SaleOrderHeader h ON h.Id = l.Master_Id "
                    "WHERE h.DocumentNo = 'ПП-0100'").AsInteger(), 2);
}

}  // namespace
}  // namespace tavrek::testing
