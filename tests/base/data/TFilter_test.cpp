#include "base/data/TFilter.h"

#include <gtest/gtest.h>

#include <map>

namespace tavrek {
namespace {

struct TFilterCase {
    const char* text;
    bool expected;
};

class TFilterTextTest : public ::testing::TestWithParam<TFilterCase> {};

TEST_P(TFilterTextTest, EvaluatesAgainstARecord) {
    const std::map<std::string, Variant, std::less<>> record{
        {"Code", "ab'c"}, {"Qty", 5.0}, {"Name", "Болт M8"}, {"Empty", Variant()}, {"Kind", int64_t{2}}};
    const TFilter filter = TFilter::Parse(GetParam().text);
    const bool result = filter.Matches([&](std::string_view field) { return record.find(field)->second; });
    EXPECT_EQ(result, GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Operators, TFilterTextTest,
    ::testing::Values(TFilterCase{"Code='ab''c'", true}, TFilterCase{"Code<>'ab''c'", false},
                      TFilterCase{"Qty>=5", true}, TFilterCase{"Qty<=4.99", false}, TFilterCase{"Qty='5'", true},
                      TFilterCase{"Empty IS NULL", true}, TFilterCase{"Empty IS 'NOT NULL'", false},
                      TFilterCase{"Code IS 'NOT NULL'", true}, TFilterCase{"Name LIKE 'Болт%'", true},
                      TFilterCase{"Code LIKE 'a_%c'", true}, TFilterCase{"Code LIKE 'b%'", false},
                      TFilterCase{"Empty='x'", false}, TFilterCase{"Empty<>'x'", false},
                      TFilterCase{"Table.Kind=2", true},
                      // AND binds tighter than OR
                      TFilterCase{"Kind=1 AND Qty=5 OR Code='ab''c'", true},
                      TFilterCase{"Kind=2 OR Qty=1 AND Code='zz'", true},
                      TFilterCase{"Kind=1 OR Qty=1 AND Code='ab''c'", false}));

TEST(TFilterTest, RefusesUnknownOperatorsAndConnectorsWhenBuilt) {
    TFilter filter;
    EXPECT_THROW(filter.Add("A.Id", "==", 1), EFilterError);
    EXPECT_THROW(filter.Add("A.Id", "=", 1, "XOR"), EFilterError);
    EXPECT_THROW(filter.Add("", "=", 1), EFilterError);
    EXPECT_TRUE(filter.Empty());
    filter.Add("C_PurchasesSetup.Id", "=", "C1", "and").Add("A.B", "like", "x%");
    ASSERT_EQ(filter.Conditions().size(), 2u);
    EXPECT_EQ(filter.Conditions()[0].FieldName(), "Id");
    EXPECT_EQ(filter.Conditions()[0].TableName(), "C_PurchasesSetup");
    EXPECT_EQ(filter.Conditions()[0].Connector, TFilterConnector::fcAnd);
    EXPECT_THROW(TFilter::Parse("Code='open"), EFilterError);
    EXPECT_THROW(TFilter::Parse("Code > 1"), EFilterError);
    EXPECT_THROW(TFilter::Parse("Code = abc"), EFilterError);
}

}  // namespace
}  // namespace tavrek
