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

// The header follows the line totals; an emptied document writes zero, and a new line takes
// the largest number plus one after a line in the middle went.
TEST_F(SessionTest, HeaderTotalsFollowTheLines) {
    auto header = MakeDataSet("cdsMaster", AsFieldList(PurchHeaderFields(TPurchDocument::pdInvoice)));
    auto line = MakeDataSet("cdsDetail", AsFieldList(PurchLineFields(TPurchDocument::pdInvoice)));
    CreatePurchLineAggregates(*line);
    AddRecord(*header, {{"Id", "H"}});
    header->Edit();
    const auto append = [&](int lineNo, double value) {
        line->Append();
        line->FieldByName("Line_No").SetAsInteger(PurchNextLineNo(*line));
        EXPECT_EQ(line->FieldByName("Line_No").AsInteger(), lineNo);
        for (const char* f : {"TotalValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"}) line->FieldByName(f).SetAsFloat(value);
        line->Post();
        PurchCopyLineTotalsToHeader(*header, *line);
    };
    append(1, 10.25);
    append(2, 4.75);
    append(3, 1.0);
    EXPECT_DOUBLE_EQ(header->FieldByName("TotalValue").AsFloat(), 16.0);
    EXPECT_DOUBLE_EQ(header->FieldByName("TotalVAT_LCY").AsFloat(), 16.0);
    line->First();
    line->Next();
    line->Delete();
    append(4, 0.0);
    for (line->First(); !line->Eof();) line->Delete();
    PurchCopyLineTotalsToHeader(*header, *line);
    for (const char* f : {"TotalValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
        EXPECT_EQ(header->FieldByName(f).AsFloat(), 0.0) << f;
    EXPECT_EQ(PurchNextLineNo(*line), 1);
}

}  // namespace
}  // namespace tavrek::testing
