#include "calc/uPurchCallculations.h"

#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

// Each rule of a line, called as its field handler would, on the cases of the data file.
const TLineRules kLineRules = {
    {"PurchCalcTotalAmounts", PurchCalcTotalAmounts},
    {"PurchUpdateUnitCost", PurchUpdateUnitCost},
    {"PurchLineDiscountOnChange", PurchLineDiscountOnChange},
    {"PurchLineDiscountAmountOnChange", PurchLineDiscountAmountOnChange},
    {"PurchTotalPriceOnChange", PurchTotalPriceOnChange},
    {"PurchUnitCost_LCYOnChange", PurchUnitCost_LCYOnChange},
    {"PurchUnitCost_ACYOnChange", PurchUnitCost_ACYOnChange},
    {"PurchAllowInvoiceDiscOnChange", PurchAllowInvoiceDiscOnChange},
    {"PurchInvDiscAmountOnChange", PurchInvDiscAmountOnChange},
    {"PurchIndirectCostPercentOnChange", PurchIndirectCostPercentOnChange},
    {"PurchVATProdPostingGroupOnChange", PurchVATProdPostingGroupOnChange}};

class LineRules : public CalcTest, public ::testing::WithParamInterface<TCalcCase> {};

TEST_P(LineRules, GoldenValues) {
    const TCalcCase& c = GetParam();
    if (!c.VATSetup.empty()) server.OnRequestValue("G_VATPostingSetup", OneRow(c.VATSetup));
    ExpectGoldenCase(header, line, kLineRules, c);
    EXPECT_TRUE(LoggedOperations().empty()) << c.Name;
}

INSTANTIATE_TEST_SUITE_P(Golden, LineRules, ::testing::ValuesIn(ReadCalcCases("line_rules.txt")),
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
        Put(line, {{"DirectUnitCost_ACY", 50.0}, {"Quantity", 2.0}, {"VATPercent", 20.0}, {"LineDiscount", 10.0},
                   {"TotalPrice", 3.0}, {"UnitCost_LCY", 7.0}, {"UnitCost_ACY", 7.0}, {"AllowInvoiceDisc", 0},
                   {"InvDiscAmount", 4.0}, {"VATProdPostGroup_Id", "VP"}, {"VATBusPostGroup_Id", "VB"},
                   {"QtyPerUnitOfMeasure", 0.0}});
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
