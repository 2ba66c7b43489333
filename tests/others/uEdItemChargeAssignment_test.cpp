#include "others/uEdItemChargeAssignment.h"

#include <gtest/gtest.h>

#include <tuple>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"
#include "documents/uEdPurchase.h"

namespace tavrek::testing {
namespace {

// An invoice of V03 typed in the editor: 24 x 1008 at 0.95 (22.80), 2 x 1010 at 9.80 (19.60)
// and a transport charge of 10.00, spread from the charge line's "Разпределение на доп. разход".
class ItemChargeAssignment : public OthersFixture {
protected:
    ItemChargeAssignment() {
        editor.Create();
        editor.Show();
        editor.acInsertRecord.Execute();
        TClientDataSet& h = editor.cdsMaster;
        h.FieldByName("DocSubType_Id").SetAsString("SD-520");
        EXPECT_TRUE(editor.EnterFieldValue(h, h.FieldByName("N_Contragent_Code"), Variant("5003")));
        h.FieldByName("VendorInvoiceNo").SetAsString("0000077002");
        for (const auto& [type, code, quantity, price] :
             {std::tuple{1, "1008", 24.0, 0.95}, std::tuple{1, "1010", 2.0, 9.80},
              std::tuple{3, "TRANSPORT", 1.0, 10.0}}) {
            editor.cdsDetail.Append();
            editor.cdsDetail.FieldByName("Type").SetAsInteger(type);
            editor.cdsDetail.FieldByName("Code").SetAsString(code);
            editor.cdsDetail.FieldByName("VATProdPostGroup_Id").SetAsString("VAT20");
            editor.cdsDetail.FieldByName("Quantity").SetAsFloat(quantity);
            editor.cdsDetail.FieldByName("DirectUnitCost_ACY").SetAsFloat(price);
            editor.cdsDetail.Post();
        }
        editor.acReCalcDocument.Execute();
        EXPECT_TRUE(editor.SaveData());
        EXPECT_TRUE(editor.cdsDetail.Locate("Type", {Variant(int64_t{3})}));
        editor.acItemChargeAssigment.Execute();
        form = dynamic_cast<TfEdItemChargeAssignment*>(host.OpenForms().back());
    }

    std::vector<double> Shares() {
        std::vector<double> shares;
        for (form->cdsMaster.First(); !form->cdsMaster.Eof(); form->cdsMaster.Next())
            shares.push_back(form->cdsMaster.FieldByName("QtyToAssign").AsFloat());
        return shares;
    }
    void Type(std::vector<double> shares) {
        form->cdsMaster.First();
        for (double share : shares) {
            form->cdsMaster.Edit();
            form->cdsMaster.FieldByName("QtyToAssign").SetAsFloat(share);
            form->cdsMaster.Post();
            form->cdsMaster.Next();
        }
    }

    TfEdPurchase editor;
    TfEdItemChargeAssignment* form = nullptr;
};

// By quantity, by amount or typed, the shares must add up to the charge's quantity; what does
// not add up is refused and nothing is stored.
TEST_F(ItemChargeAssignment, SharesAddUpToTheChargeOrAreRefused) {
    ASSERT_NE(form, nullptr);
    ASSERT_EQ(form->cdsMaster.RecordCount(), 2) << "the item lines, not the charge";
    form->acSuggestByQuantity.Execute();
    EXPECT_EQ(Shares(), (std::vector<double>{0.92308, 0.07692}));
    form->acSuggestByAmount.Execute();
    EXPECT_EQ(Shares(), (std::vector<double>{0.53774, 0.46226}));
    Type({0.5, 0.4});
    dialogs.ExpectMessage(mrOk, "0.9");
    form->acSave.Execute();
    EXPECT_EQ(Count("D_ItemChargeAssigment"), 0);
    Type({0.66667, 0.33333});
    form->acSave.Execute();
    EXPECT_EQ(Count("D_ItemChargeAssigment"), 2);
    form->acSuggestByQuantity.Execute();
    form->acSave.Execute();
    EXPECT_EQ(Count("D_ItemChargeAssigment"), 2) << "a new spread replaces the stored one";
    EXPECT_NEAR(Value("SELECT a.Quantity FROM D_ItemChargeAssigment a JOIN D_PurchaseLine l ON l.Id = a.ItemLine_Id "
                      "WHERE l.Code = '1010'")
                    .AsFloat(),
                0.07692, 1e-9);
}

// Posted, the charge raises the cost of the two items by their shares, as their history shows.
TEST_F(ItemChargeAssignment, ThePostedChargeRaisesTheItemCostsInTheirHistory) {
    ASSERT_NE(form, nullptr);
    Type({0.66667, 0.33333});
    form->acSave.Execute();
    TVariantArray keys;
    ASSERT_GE(Server().PostPurchase(editor.cdsMaster.FieldByName("Id").AsString(), keys), 0)
        << Server().LastRefusalText();
    // The fixture's posted invoice holds the same items in other quantities.
    for (const auto& [code, quantity, cost] : {std::tuple{"1008", 24.0, 29.47}, std::tuple{"1010", 2.0, 22.93}}) {
        SCOPED_TRACE(code);
        RequestForm(390, {soNormal},
                    TFilter().Add("dv_ItemEntry.Item_Id", "=", code, "AND").Add("dv_ItemEntry.Quantity", "=", quantity),
                    Variant(), Variant(), nullptr, {});
        TfBase& history = *host.OpenForms().back();
        ASSERT_EQ(history.cdsMaster.RecordCount(), 1);
        EXPECT_NEAR(history.cdsMaster.AggregateValue("Agg_CostAmount").AsFloat(), cost, 1e-9);
    }
}

}  // namespace
}  // namespace tavrek::testing
