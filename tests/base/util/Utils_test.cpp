#include "base/util/Utils.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "base/session/Tdm.h"
#include "base/util/TVATTotals.h"
#include "support/DataSetBuilder.h"

namespace tavrek {
namespace {

struct TRoundCase {
    double value;
    int decimals;
    double expected;
};

class RoundUpTest : public ::testing::TestWithParam<TRoundCase> {};

TEST_P(RoundUpTest, RoundsHalfAwayFromZeroDespiteBinaryNoise) {
    EXPECT_EQ(RoundUp(GetParam().value, GetParam().decimals), GetParam().expected)
        << GetParam().value << " to " << GetParam().decimals;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RoundUpTest,
    ::testing::Values(TRoundCase{2.675, 2, 2.68}, TRoundCase{-2.675, 2, -2.68}, TRoundCase{1.005, 2, 1.01},
                      TRoundCase{0.1 + 0.2, 2, 0.3}, TRoundCase{0.125, 2, 0.13}, TRoundCase{-0.125, 2, -0.13},
                      TRoundCase{2.674999, 2, 2.67}, TRoundCase{1.2345, 3, 1.235}, TRoundCase{10.0 / 1.2, 2, 8.33},
                      TRoundCase{1234567.885, 2, 1234567.89}, TRoundCase{0.000015, 5, 0.00002},
                      TRoundCase{2.5, 0, 3.0}, TRoundCase{-2.5, 0, -3.0}, TRoundCase{1250.0, -2, 1300.0},
                      TRoundCase{0.0, 2, 0.0}, TRoundCase{36.0, 2, 36.0}, TRoundCase{1e17 + 0.5, 2, 1e17 + 0.5}));

TEST(UtilsTest, AmountTextRoundsAsRoundUpReadsBulgarianAndNeverMinusZero) {
    const std::pair<double, const char*> cases[] = {
        {2.675, "2,68"},  // printf alone gives 2.67: the double lies just below the half
        {-2.675, "-2,68"},
        {-0.004, "0,00"},  // a negative that rounds to nothing
        {0.1 + 0.2, "0,30"},
        {1234.5, "1234,50"},  // four digits stand together
        {-12345.5, "-12\u00A0345,50"},
        {123456.0, "123\u00A0456,00"},
        {1234567.885, "1\u00A0234\u00A0567,89"},
    };
    for (const auto& [value, expected] : cases) EXPECT_EQ(AmountText(value), expected) << value;
}

TEST(UtilsTest, UniqueIdsAreGuidTextAndDistinct) {
    const std::regex guid(R"(\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\})");
    std::set<std::string> ids;
    for (int i = 0; i < 1000; ++i) {
        const std::string id = CreateUniqueID();
        ASSERT_TRUE(std::regex_match(id, guid)) << id;
        ids.insert(id);
    }
    EXPECT_EQ(ids.size(), 1000u);
}

TEST(UtilsTest, CalcBaseQuantityUsesUnitsPerMeasureAndRestoresTheFlag) {
    auto line = testing::MakeDataSet("cdsDetail", {{"Quantity", TFieldType::ftFloat},
                                                   {"Quantity_Base", TFieldType::ftFloat},
                                                   {"QtyToInvoice", TFieldType::ftFloat},
                                                   {"QtyPerUnitOfMeasure", TFieldType::ftFloat}});
    testing::AddRecord(*line, {{"Quantity", 3.0}, {"QtyToInvoice", 2.0}, {"QtyPerUnitOfMeasure", 0.0}});
    line->Edit();
    bool calculating = false;
    CalcBaseQuantity(*line, "Quantity", calculating);
    EXPECT_EQ(line->FieldByName("Quantity_Base").AsFloat(), 3.0) << "a zero factor counts as 1";
    line->FieldByName("QtyPerUnitOfMeasure").SetAsFloat(12.0);
    CalcBaseQuantity(*line, "Quantity", calculating);
    EXPECT_EQ(line->FieldByName("Quantity_Base").AsFloat(), 36.0);
    CalcBaseQuantity(*line, "QtyToInvoice", calculating);  // no companion field: nothing to do
    EXPECT_FALSE(calculating);
}

TEST(UtilsTest, MarkRecordsMarksUnmarksAndInvertsKeepingThePosition) {
    auto rows = testing::MakeDataSet("rows", {{"Id", TFieldType::ftString}, {"Checked", TFieldType::ftInteger}});
    testing::AddRecord(*rows, {{"Id", "A"}, {"Checked", 1}});
    testing::AddRecord(*rows, {{"Id", "B"}, {"Checked", 0}});
    testing::AddRecord(*rows, {{"Id", "C"}});
    rows->Locate("Id", {"B"});
    auto marks = [&] {
        std::string out;
        for (int i = 0; i < rows->RawRecordCount(); ++i) out += rows->RawRecord(i)[1].AsString();
        return out;
    };
    MarkRecords(*rows, 2, "Checked");
    EXPECT_EQ(marks(), "011");
    EXPECT_EQ(rows->FieldByName("Id").AsString(), "B");
    MarkRecords(*rows, 0, "Checked");
    EXPECT_EQ(marks(), "111");
    MarkRecords(*rows, 1, "Checked");
    EXPECT_EQ(marks(), "000");
    EXPECT_ANY_THROW(MarkRecords(*rows, 3, "Checked"));
}

TEST(TVATTotalsTest, RoundsVATOncePerRateGroup) {
    TSessionGuard session;
    TVATTotals totals;
    // Three lines of 0.05 at 20 %: per-line VAT would be 3 x 0.01; per group it is 0.03 too,
    // but 0.15 x 9 % = 0.0135 -> 0.01 while per-line it would be 3 x 0.00 = 0.
    for (int i = 0; i < 3; ++i) totals.AddVATGroups("20", 20.0, 0.05, 0.1);
    for (int i = 0; i < 3; ++i) totals.AddVATGroups("9", 9.0, 0.05, 0.1);
    totals.AddVATGroups("0", 0.0, 7.0, 14.0);
    EXPECT_EQ(totals.TotalBase(), 7.3);
    EXPECT_EQ(totals.TotalVAT(), 0.04);
    EXPECT_EQ(totals.TotalGross(), 7.34);
    EXPECT_EQ(totals.TotalBaseLCY(), 14.6);
    EXPECT_EQ(totals.TotalVATLCY(), 0.09);
    EXPECT_EQ(totals.TotalGrossLCY(), 14.69);
    totals.ClearVATGroups();
    EXPECT_EQ(totals.TotalGross(), 0.0);
}

}  // namespace
}  // namespace tavrek
