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
                      TFilterCase{"Kind=1 OR Qty=1 AND Code='ab''c'", false},
                      // groups
                      TFilterCase{"(Kind=1 OR Kind=2) AND Qty=4", false},
                      TFilterCase{"(Kind=1 OR (Kind=2 AND Qty=5)) AND Code='ab''c'", true},
                      TFilterCase{"((Kind=2))", true},
                      // a number for the field, and the comma form
                      TFilterCase{"1=2", false}, TFilterCase{"1=1 AND Kind=2", true},
                      TFilterCase{"Table.Kind,=,2", true}, TFilterCase{"Kind,=,2,AND,Qty,<>,5", false}));

// Filters as forms write them: padded operators and connectors, "NULL" with IS, values in
// quotes, groups opened in the field and closed in the connector.
TEST(TFilterTest, TakesConditionsAsFormsWriteThem) {
    const std::map<std::string, Variant, std::less<>> record{
        {"DocumentType", int64_t{1}}, {"BusinessGroup_Id", "BG2"}, {"Code", "I001"}, {"Empty", Variant()}};
    const auto holds = [&](const TFilter& filter) {
        return filter.Matches([&](std::string_view field) { return record.find(field)->second; });
    };
    const auto ordersOf = [](const char* group, const char* code) {
        TFilter filter;
        filter.Add("(v.DocumentType", " =", 0, " OR")
            .Add("(v.DocumentType", "= ", 1, " AND")
            .Add("v.BusinessGroup_Id", "=", Variant(group), ")) AND")
            .Add("v.Code", " = ", Variant(code));
        return filter;
    };
    EXPECT_TRUE(holds(ordersOf("BG2", "I001")));
    EXPECT_FALSE(holds(ordersOf("BG2", "I002"))) << "the code holds for both kinds of order";
    EXPECT_FALSE(holds(ordersOf("BG1", "I001")));
    EXPECT_TRUE(holds(TFilter().Add("Empty", " is", "NULL")));
    EXPECT_TRUE(holds(TFilter().Add("Code", "<> ", "'I002'", " and").Add("Code", "=", "'I001'")));
    EXPECT_EQ(TFilter().Add("Code", "=", "'I''1'").Conditions()[0].Value.AsString(), "I'1");
    EXPECT_THROW(holds(TFilter().Add("(Code", "=", "I001")), EFilterError);
    EXPECT_THROW(holds(TFilter().Add("Code", "=", "I001", ")")), EFilterError);
}

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
