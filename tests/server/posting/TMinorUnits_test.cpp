#include "server/posting/TMinorUnits.h"

#include <gtest/gtest.h>

namespace tavrek::testing {
namespace {

using server::PlaceDifference;
using server::Spread;
using server::TMinorUnits;

TEST(MinorUnits, RoundsHalvesAwayFromZeroOnce) {
    const TMinorUnits cents(2);
    EXPECT_EQ(cents.Of(2.675), 268);
    EXPECT_EQ(cents.Of(-2.675), -268);
    EXPECT_EQ(cents.Convert(51.02 - 0.01, 1.0), 5101);
    EXPECT_EQ(cents.Convert(60.03, 1.7), 10205) << "102.051";
    EXPECT_EQ(TMinorUnits(0).Of(12.5), 13);
    EXPECT_DOUBLE_EQ(cents.ToAmount(-17540), -175.40);
}

TEST(MinorUnits, SpreadGivesEveryUnitAndNoMore) {
    const struct {
        int64_t Total;
        std::vector<double> Weights;
        std::vector<int64_t> Parts;
    } cases[] = {
        {1001, {1, 1}, {501, 500}},
        {100, {1, 1, 1}, {34, 33, 33}},
        {-100, {1, 1, 1}, {-34, -33, -33}},
        {10, {3, 0, 1}, {8, 0, 2}},
        {7, {0, 0}, {7, 0}},
        {5, {2, -1}, {10, -5}},
        {0, {1, 2}, {0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(Spread(c.Total, c.Weights), c.Parts) << c.Total;
}

TEST(MinorUnits, TheDifferenceGoesToTheLargestPart) {
    std::vector<int64_t> parts = {1702, 3402, -5102};
    PlaceDifference(parts, 1);
    EXPECT_EQ(parts, (std::vector<int64_t>{1702, 3402, -5103}));
}

}  // namespace
}  // namespace tavrek::testing
