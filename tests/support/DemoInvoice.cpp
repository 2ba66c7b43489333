#include "support/DemoInvoice.h"

#include <gtest/gtest.h>

#include <tuple>

namespace tavrek::testing {

std::string SaveDemoInvoice(TfEdPurchase& editor, const std::string& vendorInvoiceNo, const std::string& secondVAT) {
    editor.acInsertRecord.Execute();
    TClientDataSet& h = editor.cdsMaster;
    h.FieldByName("DocSubType_Id").SetAsString("SD-520");
    EXPECT_TRUE(editor.EnterFieldValue(h, h.FieldByName("N_Contragent_Code"), Variant("5003")));
    h.FieldByName("VendorInvoiceNo").SetAsString(vendorInvoiceNo);
    for (const auto& [code, vat, quantity, price] :
         {std::tuple{"1008", std::string("VAT20"), 10.0, 0.95}, std::tuple{"1010", secondVAT, 2.5, 9.8}}) {
        editor.cdsDetail.Append();
        editor.cdsDetail.FieldByName("Type").SetAsInteger(1);
        editor.cdsDetail.FieldByName("Code").SetAsString(code);
        editor.cdsDetail.FieldByName("VATProdPostGroup_Id").SetAsString(vat);
        editor.cdsDetail.FieldByName("Quantity").SetAsFloat(quantity);
        editor.cdsDetail.FieldByName("DirectUnitCost_ACY").SetAsFloat(price);
        editor.cdsDetail.Post();
    }
    editor.acReCalcDocument.Execute();
    EXPECT_TRUE(editor.SaveData());
    return h.FieldByName("Id").AsString();
}

}  // namespace tavrek::testing
