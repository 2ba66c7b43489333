#include "base/data/Variant.h"

#include <gtest/gtest.h>

#include "base/data/EVariantError.h"

namespace tavrek {
namespace {

TEST(VariantTest, ConvertsLikeThePlatform) {
    EXPECT_EQ(Variant().AsFloat(), 0.0);
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_TRUE(Variant("").IsEmpty());
    EXPECT_FALSE(Variant(0).IsEmpty());
    EXPECT_EQ(Variant("12,5").AsFloat(), 12.5);
    EXPECT_EQ(Variant("True").AsInteger(), 1);
    EXPECT_EQ(Variant(2.5).AsString(), "2.5");
    EXPECT_EQ(Variant(int64_t{3}), Variant(3.0));
    EXPECT_FALSE(Variant("3") == Variant(3));
    EXPECT_FALSE(Variant() == Variant(0));
    EXPECT_THROW(Variant("abc").AsFloat(), EVariantError);
    EXPECT_THROW(Variant("1.5").AsInteger(), EVariantError);
    const TDateTime date = TDateTime::FromDate(2026, 3, 1);
    EXPECT_EQ(Variant("2026-03-01").AsDateTime(), date);
    EXPECT_EQ(date.Format("yyyymmdd"), "20260301");
    EXPECT_EQ(TDateTime::FromDate(1899, 12, 30).Serial(), 0.0);
    EXPECT_EQ(TDateTime::Parse("2026-03-01 13:45:10").ToIsoString(), "2026-03-01 13:45:10");
}

}  // namespace
}  // namespace tavrek
