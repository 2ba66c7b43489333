#include "calc/uPurchCallculations.h"

#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

const TExpected kZeroAmounts = {{"TotalValue", 0},     {"VATBaseAmount", 0}, {"VATValue", 0},    {"TotalVAT", 0},
                                {"TotalValue_LCY", 0}, {"VATValue_LCY", 0},  {"TotalVAT_LCY", 0}};

class LineAmounts : public CalcTest, public ::testing::WithParamInterface<TCalcCase> {};

TEST_P(LineAmounts, TotalPriceAndVATAmounts) {
    const TCalcCase& c = GetParam();
    Prepare(c);
    PurchCalcTotalAmounts(header, line, calculating);
    ExpectFields(line, c.Expected, c.Name);
    EXPECT_FALSE(calculating);
    EXPECT_TRUE(LoggedOperations().empty());
}

TExpected WithZeroAmounts(TExpected expected) {
    expected.insert(expected.end(), kZeroAmounts.begin(), kZeroAmounts.end());
    return expected;
}

using C = TCalcCase;
const TValues kEuroFixed = {{"Currency_Id", "EUR"}, {"CurrencyFactor", 1.95583}};

INSTANTIATE_TEST_SUITE_P(
    Cases, LineAmounts,
    ::testing::Values(
        C{"InclusivePrice", 2, 2, {},
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.0}, {"VATPercent", 20.0}, {"Quantity", 3.0}},
          {{"TotalPrice", 36}, {"TotalValue", 30}, {"VATBaseAmount", 30}, {"VATValue", 6}, {"TotalVAT", 36},
           {"TotalValue_LCY", 30}, {"VATValue_LCY", 6}, {"TotalVAT_LCY", 36}}},
        // The net price is rounded before the quantity multiplies it; local amounts from the factor.
        C{"InclusiveRoundedNetPriceForeignCurrency", 2, 2, kEuroFixed,
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 10.0}, {"VATPercent", 20.0}, {"Quantity", 7.0},
           {"LineDiscountAmount", 1.5}},
          {{"TotalPrice", 68.17}, {"TotalValue", 56.81}, {"VATBaseAmount", 56.81}, {"VATValue", 11.36},
           {"TotalVAT", 68.17}, {"TotalValue_LCY", 111.11}, {"VATValue_LCY", 22.22}, {"TotalVAT_LCY", 133.33}}},
        // Without a price the amount comes from the VAT; the intermediate rounds with the unit decimals.
        C{"InclusiveWithoutPrice", 2, 3, {},
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 0.0}, {"VATPercent", 20.0}, {"Quantity", 3.0},
           {"LineDiscountAmount", 0.1}, {"TotalValue", 50.0}, {"VATValue", 12.35}, {"VATBaseAmount", 30.0}},
          {{"TotalPrice", 36.93}, {"TotalValue", 0}, {"VATBaseAmount", 30}, {"VATValue", 6}, {"TotalVAT", 6},
           {"TotalValue_LCY", 0}, {"VATValue_LCY", 12.35}, {"TotalVAT_LCY", 12.35}}},
        C{"ExclusivePrice", 2, 2, {},
          {{"DirectUnitCost_ACY", 50.0}, {"Quantity", 2.0}, {"LineDiscountAmount", 10.0}, {"VATPercent", 20.0}},
          {{"TotalPrice", 90}, {"TotalValue", 90}, {"VATBaseAmount", 90}, {"VATValue", 18}, {"TotalVAT", 108},
           {"TotalValue_LCY", 90}, {"VATValue_LCY", 18}, {"TotalVAT_LCY", 108}}},
        // Local VAT of a line without a price comes from the VAT it held before.
        C{"ExclusiveWithoutPrice", 2, 2, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 2.0}},
          {{"DirectUnitCost_ACY", 0.0}, {"Quantity", 3.0}, {"LineDiscountAmount", 1.0}, {"VATPercent", 20.0},
           {"TotalValue", 10.0}, {"VATValue", 2.0}},
          {{"TotalPrice", 35}, {"TotalValue", 0}, {"VATBaseAmount", 0}, {"VATValue", 0}, {"TotalVAT", 0},
           {"TotalValue_LCY", 0}, {"VATValue_LCY", 4}, {"TotalVAT_LCY", 4}}},
        C{"InvoiceDiscountTakesWholeLine", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 1.0}, {"InvDiscAmount", 10.0}, {"VATPercent", 20.0},
           {"TotalValue", 5.0}, {"VATBaseAmount", 5.0}, {"VATValue", 1.0}, {"TotalVAT", 6.0}, {"TotalValue_LCY", 5.0},
           {"VATValue_LCY", 1.0}, {"TotalVAT_LCY", 6.0}},
          WithZeroAmounts({{"TotalPrice", 10}})},
        C{"TypedVATBaseSurvivesUnchangedValue", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 1.0}, {"VATPercent", 20.0}, {"TotalValue", 10.0},
           {"VATBaseAmount", 8.0}},
          {{"TotalValue", 10}, {"VATBaseAmount", 8}, {"VATValue", 1.6}, {"TotalVAT", 11.6}, {"VATValue_LCY", 2},
           {"TotalVAT_LCY", 12}}},
        C{"ValueMovedByOneCentOverwritesBase", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 1.0}, {"VATPercent", 20.0}, {"TotalValue", 9.99},
           {"VATBaseAmount", 8.0}},
          {{"TotalValue", 10}, {"VATBaseAmount", 10}, {"VATValue", 2}, {"TotalVAT", 12}}},
        // The difference is rounded before it is compared with a cent.
        C{"HalfCentDifferenceRoundsToACent", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 1.0}, {"VATPercent", 20.0}, {"TotalValue", 9.995},
           {"VATBaseAmount", 8.0}},
          {{"TotalValue", 10}, {"VATBaseAmount", 10}, {"VATValue", 2}}},
        C{"InclusiveZeroRate", 2, 2, {},
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 10.0}, {"Quantity", 2.0}, {"VATPercent", 0.0}},
          {{"TotalPrice", 20}, {"TotalValue", 20}, {"VATValue", 0}, {"TotalVAT", 20}}},
        C{"InclusiveWithInvoiceDiscount", 2, 2, {},
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.0}, {"Quantity", 3.0}, {"VATPercent", 20.0},
           {"InvDiscAmount", 6.0}},
          {{"TotalPrice", 36}, {"TotalValue", 25}, {"VATBaseAmount", 25}, {"VATValue", 5}, {"TotalVAT", 30},
           {"TotalValue_LCY", 25}, {"VATValue_LCY", 5}, {"TotalVAT_LCY", 30}}},
        // No fallback for the amounts: a factor of 0 gives local amounts of 0.
        C{"ZeroFactor", 2, 2, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 0.0}},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 1.0}, {"VATPercent", 20.0}},
          {{"TotalValue", 10}, {"TotalValue_LCY", 0}, {"VATValue_LCY", 0}, {"TotalVAT_LCY", 0}, {"VATValue", 2}}}),
    [](const auto& info) { return info.param.Name; });

class UnitCost : public CalcTest, public ::testing::WithParamInterface<TCalcCase> {};

TEST_P(UnitCost, AfterDiscountsAndIndirectCosts) {
    const TCalcCase& c = GetParam();
    Prepare(c);
    PurchUpdateUnitCost(header, line, calculating);
    ExpectFields(line, c.Expected, c.Name);
    EXPECT_FALSE(calculating);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnitCost,
    ::testing::Values(
        C{"DiscountsAndIndirectCost", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 4.0}, {"LineDiscountAmount", 2.0}, {"InvDiscAmount", 1.0},
           {"IndirectCostPercent", 12.0}},
          {{"UnitCost_ACY", 10.36}, {"UnitCost_LCY", 10.36}}},
        C{"InclusivePriceForeignCurrency", 2, 2, kEuroFixed,
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.0}, {"VATPercent", 20.0}, {"Quantity", 3.0},
           {"LineDiscountAmount", 0.3}},
          {{"UnitCost_ACY", 9.9}, {"UnitCost_LCY", 19.36}}},
        // The net price is rounded with the unit price decimals before the cost with the amount decimals.
        C{"NetPriceRoundedWithUnitDecimals", 4, 2, {},
          {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.5}, {"VATPercent", 20.0}, {"Quantity", 1.0}},
          {{"UnitCost_ACY", 10.42}}},
        C{"ShareRoundedToFiveDecimals", 6, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 3.0}, {"LineDiscountAmount", 1.0}}, {{"UnitCost_ACY", 9.66667}}},
        C{"NonDeductibleVATStaysUnrounded", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.01}, {"Quantity", 1.0}, {"VATPercent", 20.0}, {"VATLedger", 3}},
          {{"UnitCost_ACY", 12.012}, {"UnitCost_LCY", 12.012}}},
        C{"NullQuantityHasNoShare", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", Variant()}, {"LineDiscountAmount", 5.0},
           {"IndirectCostPercent", 10.0}},
          {{"UnitCost_ACY", 11}}},
        C{"ZeroQuantityHasNoShare", 2, 2, {},
          {{"DirectUnitCost_ACY", 10.0}, {"Quantity", 0.0}, {"LineDiscountAmount", 5.0}}, {{"UnitCost_ACY", 10}}},
        C{"ZeroFactorFallsBackToDocumentCost", 2, 2, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 0.0}},
          {{"DirectUnitCost_ACY", 7.5}, {"Quantity", 1.0}}, {{"UnitCost_ACY", 7.5}, {"UnitCost_LCY", 7.5}}},
        C{"LocalCurrencyIgnoresFactor", 2, 2, {{"Currency_Id", ""}, {"CurrencyFactor", 2.0}},
          {{"DirectUnitCost_ACY", 7.5}, {"Quantity", 1.0}}, {{"UnitCost_ACY", 7.5}, {"UnitCost_LCY", 7.5}}}),
    [](const auto& info) { return info.param.Name; });

// A rule of the line computations under test, called as the field handler would.
struct TRuleCase {
    std::string Name;
    void (*Rule)(TClientDataSet&, TClientDataSet&, bool&);
    TCalcCase Case;
};

class LineRules : public CalcTest, public ::testing::WithParamInterface<TRuleCase> {};

TEST_P(LineRules, DeriveDependentFields) {
    const TRuleCase& r = GetParam();
    Prepare(r.Case);
    r.Rule(header, line, calculating);
    ExpectFields(line, r.Case.Expected, r.Name);
    EXPECT_FALSE(calculating);
    EXPECT_TRUE(LoggedOperations().empty()) << r.Name;
}

const TValues kPlainLine = {{"DirectUnitCost_ACY", 50.0}, {"Quantity", 2.0}, {"VATPercent", 20.0}};

TValues Plain(TValues extra) {
    TValues values = kPlainLine;
    values.insert(values.end(), extra.begin(), extra.end());
    return values;
}

TValues Inclusive(TValues extra) {
    TValues values = {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.0}, {"Quantity", 3.0}, {"VATPercent", 20.0}};
    values.insert(values.end(), extra.begin(), extra.end());
    return values;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineRules,
    ::testing::Values(
        TRuleCase{"PercentGivesAmount",
                  PurchLineDiscountOnChange,
                  {"", 2, 2, {}, Plain({{"LineDiscount", 10.0}, {"InvDiscAmount", 5.0}}),
                   {{"LineDiscountAmount", 10}, {"InvDiscAmount", 0}, {"TotalPrice", 90}, {"UnitCost_ACY", 45},
                    {"TotalValue", 90}}}},
        TRuleCase{"PercentOfNetPrice",
                  PurchLineDiscountOnChange,
                  {"", 2, 2, {}, Inclusive({{"LineDiscount", 15.0}}),
                   {{"LineDiscountAmount", 4.5}, {"TotalPrice", 30.6}, {"TotalValue", 25.5}}}},
        TRuleCase{"AmountRoundedWithUnitDecimals",
                  PurchLineDiscountOnChange,
                  {"", 2, 4, {}, {{"DirectUnitCost_ACY", 9.99}, {"Quantity", 3.0}, {"LineDiscount", 7.0}},
                   {{"LineDiscountAmount", 2.0979}, {"TotalPrice", 27.87}}}},
        TRuleCase{"ZeroQuantityHasNoDiscountAmount",
                  PurchLineDiscountOnChange,
                  {"", 2, 2, {}, {{"DirectUnitCost_ACY", 50.0}, {"Quantity", 0.0}, {"LineDiscount", 10.0},
                                  {"LineDiscountAmount", 3.0}},
                   {{"LineDiscountAmount", 0}}}},
        TRuleCase{"PercentRoundingToZeroHasNoDiscountAmount",
                  PurchLineDiscountOnChange,
                  {"", 2, 2, {}, {{"DirectUnitCost_ACY", 5000.0}, {"Quantity", 10.0}, {"LineDiscount", 0.004}},
                   {{"LineDiscountAmount", 0}, {"TotalPrice", 50000}}}},
        TRuleCase{"AmountGivesUnroundedPercent",
                  PurchLineDiscountAmountOnChange,
                  {"", 2, 2, {}, Inclusive({{"LineDiscountAmount", 5.0}, {"InvDiscAmount", 1.0}}),
                   {{"LineDiscount", 50.0 / 3.0}, {"InvDiscAmount", 0}, {"TotalPrice", 30}, {"UnitCost_ACY", 8.33}}}},
        TRuleCase{"AmountWithoutQuantityHasNoPercent",
                  PurchLineDiscountAmountOnChange,
                  {"", 2, 2, {}, {{"DirectUnitCost_ACY", 50.0}, {"Quantity", 0.0}, {"LineDiscountAmount", 5.0},
                                  {"LineDiscount", 10.0}},
                   {{"LineDiscount", 0}}}},
        TRuleCase{"TypedTotalMovesDiscount",
                  PurchTotalPriceOnChange,
                  {"", 2, 2, {}, Plain({{"TotalPrice", 90.0}}),
                   {{"LineDiscountAmount", 10}, {"LineDiscount", 10}, {"TotalPrice", 90}, {"InvDiscAmount", 0}}}},
        TRuleCase{"TypedInclusiveTotal",
                  PurchTotalPriceOnChange,
                  {"", 2, 2, {}, Inclusive({{"TotalPrice", 29.996}}),
                   {{"LineDiscountAmount", 5}, {"LineDiscount", 50.0 / 3.0}, {"TotalPrice", 30}, {"TotalValue", 25}}}},
        TRuleCase{"LocalCostGivesDiscount",
                  PurchUnitCost_LCYOnChange,
                  {"", 2, 2, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 2.0}},
                   Plain({{"UnitCost_LCY", 90.004}, {"TotalPrice", 100.0}}),
                   {{"UnitCost_LCY", 90}, {"UnitCost_ACY", 45}, {"LineDiscount", 10}, {"TotalPrice", 100},
                    {"LineDiscountAmount", 0}}}},
        // The net price of the derived discount is rounded with the amount decimals.
        TRuleCase{"LocalCostOfInclusivePrice",
                  PurchUnitCost_LCYOnChange,
                  {"", 2, 4, {},
                   {{"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.5}, {"Quantity", 1.0}, {"VATPercent", 20.0},
                    {"UnitCost_LCY", 9.378}},
                   {{"UnitCost_LCY", 9.38}, {"UnitCost_ACY", 9.38}, {"LineDiscount", 9.98081}}}},
        TRuleCase{"LocalCostWithoutFactor",
                  PurchUnitCost_LCYOnChange,
                  {"", 2, 2, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 0.0}}, Plain({{"UnitCost_LCY", 40.0}}),
                   {{"UnitCost_ACY", 0}, {"LineDiscount", 100}}}},
        TRuleCase{"CostOfPriceRoundingToZero",
                  PurchUnitCost_LCYOnChange,
                  {"", 2, 2, {}, {{"DirectUnitCost_ACY", 0.004}, {"Quantity", 1.0}, {"UnitCost_LCY", 50.0},
                                  {"UnitCost_ACY", 50.0}, {"LineDiscount", 7.0}},
                   {{"UnitCost_LCY", 0}, {"UnitCost_ACY", 0}, {"LineDiscount", 7}}}},
        TRuleCase{"DiscountTakingWholePriceGivesNoPercent",
                  PurchUnitCost_LCYOnChange,
                  {"", 2, 2, {}, Plain({{"LineDiscountAmount", 100.0}, {"UnitCost_LCY", 0.0}, {"LineDiscount", 7.0}}),
                   {{"LineDiscount", 0}}}},
        // No fallback here: an empty currency still multiplies by the factor.
        TRuleCase{"DocumentCostGivesDiscountAndLocalCost",
                  PurchUnitCost_ACYOnChange,
                  {"", 2, 2, {{"Currency_Id", ""}, {"CurrencyFactor", 1.95583}}, Plain({{"UnitCost_ACY", 45.004}}),
                   {{"UnitCost_ACY", 45}, {"LineDiscount", 10}, {"UnitCost_LCY", 88.01}}}},
        TRuleCase{"DocumentCostOfPriceRoundingToZero",
                  PurchUnitCost_ACYOnChange,
                  {"", 2, 2, {}, {{"DirectUnitCost_ACY", 0.0}, {"UnitCost_ACY", 12.0}, {"UnitCost_LCY", 12.0}},
                   {{"UnitCost_ACY", 0}, {"UnitCost_LCY", 0}}}},
        TRuleCase{"ClearedAllowanceDropsShare",
                  PurchAllowInvoiceDiscOnChange,
                  {"", 2, 2, {}, Plain({{"AllowInvoiceDisc", 0}, {"InvDiscAmount", 5.0}}),
                   {{"InvDiscAmount", 0}, {"TotalPrice", 100}, {"UnitCost_ACY", 50}, {"TotalValue", 100}}}},
        TRuleCase{"SetAllowanceChangesNothing",
                  PurchAllowInvoiceDiscOnChange,
                  {"", 2, 2, {}, Plain({{"AllowInvoiceDisc", 1}, {"InvDiscAmount", 5.0}, {"TotalPrice", 1.0}}),
                   {{"InvDiscAmount", 5}, {"TotalPrice", 1}, {"UnitCost_ACY", 0}}}},
        TRuleCase{"InvoiceDiscountShare",
                  PurchInvDiscAmountOnChange,
                  {"", 2, 2, {}, Plain({{"InvDiscAmount", 10.0}}),
                   {{"UnitCost_ACY", 45}, {"TotalPrice", 100}, {"TotalValue", 90}, {"VATValue", 18}}}},
        TRuleCase{"IndirectCostMovesOnlyCost",
                  PurchIndirectCostPercentOnChange,
                  {"", 2, 2, {}, Plain({{"IndirectCostPercent", 10.0}, {"TotalPrice", 77.0}}),
                   {{"UnitCost_ACY", 55}, {"TotalPrice", 77}}}}),
    [](const auto& info) { return info.param.Name; });

using TRule = void (*)(TClientDataSet&, TClientDataSet&, bool&);

const std::vector<std::pair<std::string, TRule>> kGuardedRules = {
    {"LineDiscount", PurchLineDiscountOnChange},
    {"LineDiscountAmount", PurchLineDiscountAmountOnChange},
    {"TotalPrice", PurchTotalPriceOnChange},
    {"UnitCost_LCY", PurchUnitCost_LCYOnChange},
    {"UnitCost_ACY", PurchUnitCost_ACYOnChange},
    {"AllowInvoiceDisc", PurchAllowInvoiceDiscOnChange},
    {"InvDiscAmount", PurchInvDiscAmountOnChange},
    {"IndirectCostPercent", PurchIndirectCostPercentOnChange},
    {"QtyPerUnitOfMeasure", PurchQtyPerUnitOfMeasureOnChange},
    {"VATProdPostGroup_Id", PurchVATProdPostingGroupOnChange},
    {"GenProdPostGroup_Id", PurchGenProdPostingGroupOnChange},
    {"VATBusPostGroup_Id", PurchVATBusPostingGroupOnChange},
    {"Currency_Id", PurchCurrencyOnChange}};

TEST_F(CalcTest, RuleInsideARuleChangesNothing) {
    for (const auto& [name, rule] : kGuardedRules) {
        Put(line, Plain({{"LineDiscount", 10.0}, {"TotalPrice", 3.0}, {"UnitCost_LCY", 7.0}, {"UnitCost_ACY", 7.0},
                         {"AllowInvoiceDisc", 0}, {"InvDiscAmount", 4.0}, {"VATProdPostGroup_Id", "VP"},
                         {"VATBusPostGroup_Id", "VB"}, {"QtyPerUnitOfMeasure", 0.0}}));
        const std::vector<Variant> before = line.CurrentValues();
        const std::vector<Variant> headerBefore = header.CurrentValues();
        calculating = true;
        rule(header, line, calculating);
        EXPECT_TRUE(calculating) << name;
        EXPECT_EQ(line.CurrentValues(), before) << name;
        EXPECT_EQ(header.CurrentValues(), headerBefore) << name;
    }
    EXPECT_TRUE(server.Calls().empty());
}

// A line dataset without the VAT rate makes every computation fail half-way.
class BrokenLine : public SessionTest {
protected:
    std::unique_ptr<TClientDataSet> header = MakeDataSet("cdsMaster", PurchaseHeaderFields());
    std::unique_ptr<TClientDataSet> line = MakeDataSet("cdsDetail", {{"Quantity", TFieldType::ftFloat},
                                                                     {"DirectUnitCost_ACY", TFieldType::ftFloat},
                                                                     {"PriceIncludingVAT", TFieldType::ftInteger},
                                                                     {"LineDiscountAmount", TFieldType::ftFloat},
                                                                     {"TotalPrice", TFieldType::ftFloat},
                                                                     {"InvDiscAmount", TFieldType::ftFloat},
                                                                     {"LineDiscount", TFieldType::ftFloat},
                                                                     {"TotalValue", TFieldType::ftFloat}});
    bool calculating = false;

    BrokenLine() {
        AddRecord(*header, {{"CurrencyFactor", 1.0}});
        AddRecord(*line, {{"Quantity", 2.0}, {"DirectUnitCost_ACY", 5.0}, {"LineDiscount", 10.0}});
        header->Edit();
        line->Edit();
    }
};

TEST_F(BrokenLine, ComputationsLogWithTheirLabelAndRestoreTheFlag) {
    for (const bool entry : {false, true}) {
        guard.Session().ErrorLog().Clear();
        calculating = entry;
        PurchCalcTotalAmounts(*header, *line, calculating);
        PurchUpdateVATAmounts(*header, *line, calculating);
        PurchUpdateUnitCost(*header, *line, calculating);
        EXPECT_EQ(calculating, entry);
        EXPECT_EQ(LoggedOperations(), (std::vector<std::string>{"TfEdPurchase.CalcTotalAmounts",
                                                                "fEdPurchase.UpdateVATAmounts",
                                                                "TfEdPurchase.CalcUnitCost_LCY"}));
    }
}

TEST_F(BrokenLine, RulesClearTheFlagAfterAFailure) {
    // With VAT-inclusive prices the rules need the missing rate; the exception passes on.
    Put(*line, {{"PriceIncludingVAT", 1}});
    EXPECT_THROW(PurchLineDiscountOnChange(*header, *line, calculating), std::exception);
    EXPECT_FALSE(calculating);
    EXPECT_THROW(PurchTotalPriceOnChange(*header, *line, calculating), std::exception);
    EXPECT_FALSE(calculating);
    PurchInvDiscAmountOnChange(*header, *line, calculating);
    PurchUnitCost_LCYOnChange(*header, *line, calculating);
    PurchUnitCost_ACYOnChange(*header, *line, calculating);
    EXPECT_FALSE(calculating);
    const std::vector<std::string> logged = LoggedOperations();
    EXPECT_EQ(std::count(logged.begin(), logged.end(), "TfEdPurchase.UnitCost_LCYOnChange"), 2);
}

}  // namespace
}  // namespace tavrek::testing
