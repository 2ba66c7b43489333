// A purchase invoice typed against the demo company: the vendor's code typed, two item codes and
// quantities typed, the document switched to VAT-inclusive prices and recalculated. Every
// field change goes through the standard binding to the embedded server.
#include "base/forms/TLookupDefinition.h"
#include "base/util/TVATTotals.h"
#include "calc/CalcCase.h"
#include "calc/uPurchCallculations.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

class PurchaseEditing : public SqliteFixture {
protected:
    std::unique_ptr<TClientDataSet> headerSet =
        MakeDataSet("cdsMaster", AsFieldList(PurchHeaderFields(TPurchDocument::pdInvoice)));
    std::unique_ptr<TClientDataSet> lineSet = MakeDataSet("cdsDetail", AsFieldList(PurchLineFields(TPurchDocument::pdInvoice)));
    TClientDataSet& header = *headerSet;
    TClientDataSet& line = *lineSet;
    bool calculating = false;
    bool suspended = false;

    PurchaseEditing() {
        CreatePurchLineAggregates(line);
        line.AfterPost = [this](TClientDataSet&) { PurchCopyLineTotalsToHeader(header, line); };
        header.Append();
        Put(header, {{"Id", "{E2E}"}, {"Comp_Id", "DEMO"}, {"DocumentDate", TDateTime::FromDate(2026, 3, 15)},
                     {"Currency_Id", ""}, {"CurrencyFactor", 1.0}, {"PriceIncludingVAT", 0},
                     {"BusinessGroup_Id", "BG-SOF"}});
        AttachPurchStandardBinding({header, line, calculating, suspended});
    }

    // A new line as the editor makes it: header defaults written while the line is being filled.
    void NewLine(const char* code, double quantity) {
        line.Append();
        suspended = true;
        for (const char* field :
             {"PriceIncludingVAT", "GenBusPostGroup_Id", "VATBusPostGroup_Id", "BusinessGroup_Id", "Currency_Id"})
            line.FieldByName(field).SetValue(header.FieldByName(field).Value());
        Put(line, {{"Id", std::string("{L-") + code + "}"}, {"Comp_Id", "DEMO"}, {"Line_No", PurchNextLineNo(line)},
                   {"Type", 1}, {"Measure_Id", "PCS"}});
        suspended = false;
        line.FieldByName("VATProdPostGroup_Id").SetAsString("VAT20");
        line.FieldByName("Code").SetAsString(code);
        line.FieldByName("Quantity").SetAsFloat(quantity);
        line.Post();
    }

    void ExpectLine(const char* code, const TExpected& expected) {
        ASSERT_TRUE(line.Locate("Code", {Variant(code)}));
        ExpectFields(line, expected, code);
    }
};

TEST_F(PurchaseEditing, VendorItemsQuantitiesAndVATInclusivePrices) {
    // The vendor's code typed: its lookup brings the vendor's defaults, then the rules run.
    ASSERT_TRUE(EnterLookupCode(header, *FindLookup(header, "N_Contragent_Code"), "5001"));
    EXPECT_EQ(header.FieldByName("Contragent_Id").AsString(), "V01");
    EXPECT_EQ(header.FieldByName("N_Contragent_Name").AsString(), "Мелница Добруджа ООД");
    EXPECT_EQ(header.FieldByName("VATBusPostGroup_Id").AsString(), "DOM");
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "BANK");
    EXPECT_DOUBLE_EQ(header.FieldByName("DueDate").AsDateTime().Serial(), TDateTime::FromDate(2026, 4, 14).Serial());

    // 12 pieces reach the pack price 1.00 (list 1.05); the vendor gives 2 % on the assortment.
    NewLine("1001", 12);
    ExpectLine("1001", {{"DirectUnitCost_ACY", 1.00}, {"OriginalPrice", 1.00}, {"LineDiscount", 2},
                        {"AllowInvoiceDisc", 1}, {"Quantity_Base", 12}, {"VATPercent", 20},
                        {"LineDiscountAmount", 0.24}, {"UnitCost_ACY", 0.98}, {"UnitCost_LCY", 0.98},
                        {"TotalPrice", 11.76}, {"TotalValue", 11.76}, {"VATValue", 2.35}, {"TotalVAT", 14.11}});
    // 5 × 0.98 = 4.90, less 2 % = 0.098 rounded to 0.10.
    NewLine("1002", 5);
    ExpectLine("1002", {{"DirectUnitCost_ACY", 0.98}, {"LineDiscountAmount", 0.10}, {"TotalPrice", 4.80},
                        {"VATValue", 0.96}, {"TotalVAT", 5.76}});
    ExpectFields(header, {{"TotalValue", 16.56}, {"TotalVAT", 19.87}, {"TotalValue_LCY", 16.56}}, "header");

    // Prices with VAT: 1.00 → 1.20 and 0.98 → 1.18 (1.176); the lines keep their value.
    header.FieldByName("PriceIncludingVAT").SetAsInteger(1);
    ExpectLine("1001", {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 1.20}, {"OriginalPrice", 1.20},
                        {"LineDiscountAmount", 0.24}, {"TotalPrice", 14.11}, {"TotalValue", 11.76},
                        {"VATValue", 2.35}, {"UnitCost_ACY", 0.98}});
    ExpectLine("1002", {{"DirectUnitCost_ACY", 1.18}, {"LineDiscountAmount", 0.10}, {"TotalPrice", 5.76},
                        {"TotalValue", 4.80}, {"TotalVAT", 5.76}});
    ExpectFields(header, {{"TotalValue", 16.56}, {"TotalVAT", 19.87}}, "header with VAT");

    TVATTotals totals;
    PurchReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 16.56}, {"VATValue", 3.31}, {"TotalVAT", 19.87}, {"TotalValue_LCY", 16.56},
                  {"VATValue_LCY", 3.31}, {"TotalVAT_LCY", 19.87}},
                 "recalculated");
    EXPECT_TRUE(dm().ErrorLog().Entries().empty());
    EXPECT_FALSE(calculating);
}

}  // namespace
}  // namespace tavrek::testing
