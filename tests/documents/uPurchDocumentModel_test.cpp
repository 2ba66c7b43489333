#include "documents/uPurchDocumentModel.h"

#include "base/util/TVATTotals.h"
#include "calc/uPurchCallculations.h"
#include "global/uPurchGlobalDocCalc.h"
#include "support/DataSetBuilder.h"
#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

// Every document computes a line and recalculates with its own field set; opening the
// datasets also proves that no field name repeats in any casing.
TEST_F(SessionTest, CalculationsRunOnEveryDocumentModel) {
    for (TPurchDocument document : PurchDocuments()) {
        auto header = MakeDataSet("cdsMaster", AsFieldList(PurchHeaderFields(document)));
        auto line = MakeDataSet("cdsDetail", AsFieldList(PurchLineFields(document)));
        const bool global = IsGlobalPurchDocument(document);
        AddRecord(*header, {{"Id", "H"}, {"CurrencyFactor", 1.0}});
        AddRecord(*line, {{"Id", "L"}, {"Quantity", 2.0}, {global ? "DirectUnitCost" : "DirectUnitCost_ACY", 5.0},
                          {"VATPercent", 20.0}});
        line->Edit();
        bool calculating = false;
        TVATTotals totals;
        if (global) {
            uPurchGlobalDocCalc::PurchGlobalLineDiscountOnChange(*header, *line, calculating);
            uPurchGlobalDocCalc::PurchGlobalReCalcDocumentExecute(*header, *line, calculating, totals);
        } else {
            uPurchCallculations::PurchLineDiscountOnChange(*header, *line, calculating);
            uPurchCallculations::PurchReCalcDocumentExecute(*header, *line, calculating, totals);
        }
        EXPECT_TRUE(LoggedOperations().empty()) << PurchDocumentName(document);
        EXPECT_NEAR(header->FieldByName("TotalVAT").AsFloat(), 12, 1e-9) << PurchDocumentName(document);
    }
}

}  // namespace
}  // namespace tavrek::testing
