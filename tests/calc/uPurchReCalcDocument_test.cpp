#include "calc/uPurchCallculations.h"

#include "base/util/TVATTotals.h"
#include "calc/CalcCase.h"
#include "support/HeadlessFormHost.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

// Three lines numbered 1, 3, 7 of a document in a currency of factor 2; the second is current.
class DocumentRecalc : public CalcTest {
protected:
    TVATTotals totals;

    DocumentRecalc() {
        Put(header, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 2.0}});
        Put(line, {{"Id", "L1"}, {"Type", 2}, {"DirectUnitCost_ACY", 0.03}, {"Quantity", 1.0}, {"VATPercent", 20.0},
                   {"TotalValue", 1.0}, {"TotalValue_LCY", 2.0}});
        line.Post();
        AddRecord(line, {{"Id", "L2"}, {"Line_No", 3}, {"Type", 2}, {"DirectUnitCost_ACY", 0.03}, {"Quantity", 1.0},
                         {"VATPercent", 20.0}, {"TotalValue", 1.0}, {"TotalValue_LCY", 2.0}});
        AddRecord(line, {{"Id", "L3"}, {"Line_No", 7}, {"Type", 2}, {"DirectUnitCost_ACY", 10.0}, {"Quantity", 3.0},
                         {"VATPercent", 9.0}, {"InvDiscAmount", 5.0}, {"TotalValue", 25.0}, {"TotalValue_LCY", 50.0}});
        line.Locate("Id", {Variant("L2")});
    }

    void ExpectLineNumbers() {
        int expected = 0;
        for (line.First(); !line.Eof(); line.Next()) EXPECT_EQ(line.FieldByName("Line_No").AsInteger(), ++expected);
    }
};

TEST_F(DocumentRecalc, RenumbersRecomputesAndTotalsByRate) {
    HeadlessFormHost host;
    PurchReCalcDocumentExecute(header, line, calculating, totals);
    EXPECT_EQ(host.WaitCount(), 1);
    EXPECT_EQ(host.WaitDepth(), 0);
    // VAT is formed per rate: two lines of 0.03 at 20 % give 0.01, not 0.01 each.
    ExpectFields(header,
                 {{"TotalValue", 30.06}, {"TotalVAT", 32.77}, {"VATValue", 2.71}, {"TotalValue_LCY", 60.12},
                  {"VATValue_LCY", 5.42}, {"TotalVAT_LCY", 65.54}},
                 "header");
    EXPECT_EQ(header.State(), TDataSetState::dsEdit);
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L2");
    EXPECT_NEAR(line.Lookup("Id", {Variant("L3")}, "InvDiscAmount").AsFloat(), 0, 1e-9);
    EXPECT_NEAR(line.Lookup("Id", {Variant("L3")}, "TotalPrice").AsFloat(), 30, 1e-9);
    ExpectLineNumbers();
    EXPECT_FALSE(calculating);
    EXPECT_FALSE(line.ControlsDisabled());
}

TEST_F(DocumentRecalc, WhileCalculatingTakesLinesAsTheyAre) {
    calculating = true;
    PurchReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 27}, {"VATValue", 2.65}, {"TotalVAT", 29.65}, {"TotalValue_LCY", 54},
                  {"VATValue_LCY", 5.3}, {"TotalVAT_LCY", 59.3}},
                 "header");
    EXPECT_NEAR(line.Lookup("Id", {Variant("L3")}, "InvDiscAmount").AsFloat(), 5, 1e-9);
    ExpectLineNumbers();
    EXPECT_TRUE(calculating);
}

TEST_F(CalcTest, RecalculatingAnEmptyDocumentZeroesTheTotals) {
    line.EmptyDataSet();
    Put(header, {{"TotalValue", 5.0}, {"TotalVAT", 6.0}, {"VATValue", 1.0}, {"TotalValue_LCY", 5.0},
                 {"VATValue_LCY", 1.0}, {"TotalVAT_LCY", 6.0}});
    TVATTotals totals;
    totals.AddVATGroups("20", 20, 100, 100);
    PurchReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 0}, {"TotalVAT", 0}, {"VATValue", 0}, {"TotalValue_LCY", 0}, {"VATValue_LCY", 0},
                  {"TotalVAT_LCY", 0}},
                 "empty");
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(CalcTest, RecalculationFailureIsLoggedAndHeaderKeepsItsTotals) {
    auto bare = MakeDataSet("cdsDetail", {{"Id", TFieldType::ftString}, {"VATPercent", TFieldType::ftFloat}});
    AddRecord(*bare, {{"Id", "X"}});
    Put(header, {{"TotalValue", 5.0}});
    TVATTotals totals;
    PurchReCalcDocumentExecute(header, *bare, calculating, totals);
    EXPECT_EQ(LoggedOperations(), std::vector<std::string>{"TfEdPurchase.acReCalDocumentExecute"});
    EXPECT_NEAR(header.FieldByName("TotalValue").AsFloat(), 5, 1e-9);
    EXPECT_FALSE(bare->ControlsDisabled());
}

}  // namespace
}  // namespace tavrek::testing
