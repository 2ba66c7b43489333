#include "global/uPurchGlobalDocCalc.h"

#include "base/util/TVATTotals.h"
#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchGlobalDocCalc;

// A global invoice (lines with Inv_DiscountAmount) with one line in edit mode.
class GlobalCalc : public SessionTest {
protected:
    std::unique_ptr<TClientDataSet> headerSet =
        MakeDataSet("cdsMaster", AsFieldList(PurchHeaderFields(TPurchDocument::pdGlobalInvoice)));
    std::unique_ptr<TClientDataSet> lineSet =
        MakeDataSet("cdsDetail", AsFieldList(PurchLineFields(TPurchDocument::pdGlobalInvoice)));
    TClientDataSet& header = *headerSet;
    TClientDataSet& line = *lineSet;
    bool calculating = false;

    GlobalCalc() {
        AddRecord(header, {{"Id", "G1"}, {"CurrencyFactor", 1.0}, {"PriceIncludingVAT", 0}});
        AddRecord(line, {{"Id", "L1"}, {"Line_No", 1}, {"Type", 1}, {"QtyPerUnit", 1.0}});
        header.Edit();
        line.Edit();
    }
};

// Each rule of a global line on the cases of the data file.
const TLineRules kGlobalLineRules = {
    {"PurchCalcTotalAmounts", PurchCalcTotalAmounts},
    {"PurchUpdateUnitCost", PurchUpdateUnitCost},
    {"PurchLineDiscountOnChange", PurchLineDiscountOnChange},
    {"PurchGlobalLineDiscountOnChange", PurchGlobalLineDiscountOnChange},
    {"PurchLineDiscountAmountOnChange", PurchLineDiscountAmountOnChange},
    {"PurchTotalPriceOnChange", PurchTotalPriceOnChange},
    {"PurchUnitCost_LCYOnChange", PurchUnitCost_LCYOnChange},
    {"PurchUnitCostOnChange", PurchUnitCostOnChange}};

class GlobalLine : public GlobalCalc, public ::testing::WithParamInterface<TCalcCase> {};

TEST_P(GlobalLine, GoldenValues) {
    ExpectGoldenCase(header, line, kGlobalLineRules, GetParam());
    EXPECT_TRUE(LoggedOperations().empty()) << GetParam().Name;
}

INSTANTIATE_TEST_SUITE_P(Golden, GlobalLine, ::testing::ValuesIn(ReadCalcCases("global_line_rules.txt")),
                         [](const auto& info) { return info.param.Name; });

TEST_F(GlobalCalc, RulesInsideARuleChangeNothing) {
    Put(line, {{"DirectUnitCost", 5.0}, {"Quantity", 2.0}, {"LineDiscount_percent", 10.0}, {"TotalPrice", 1.0}});
    const std::vector<Variant> before = line.CurrentValues();
    calculating = true;
    for (auto rule : {PurchLineDiscountOnChange, PurchGlobalLineDiscountOnChange, PurchLineDiscountAmountOnChange,
                      PurchTotalPriceOnChange, PurchUnitCost_LCYOnChange, PurchUnitCostOnChange,
                      PurchVATProdPostGroupOnChange, PurchVATBusPostGroupOnChange, PurchCurrencyOnChange})
        rule(header, line, calculating);
    PurchCodeFieldOnChange(header, line, calculating, false, true);
    PurchGlobalMeasureOnChange(header, line, calculating, false, true);
    EXPECT_EQ(line.CurrentValues(), before);
    EXPECT_TRUE(calculating);
    EXPECT_TRUE(server.Calls().empty());
}

// A missing field makes a routine fail: it is logged under its own name and the flag is restored.
TEST_F(SessionTest, GlobalFailuresAreLoggedUnderTheRoutineName) {
    auto header = MakeDataSet("cdsMaster", {{"PriceIncludingVAT", TFieldType::ftInteger}});
    auto line = MakeDataSet("cdsDetail", {{"Quantity", TFieldType::ftFloat}});
    AddRecord(*header, {});
    AddRecord(*line, {{"Quantity", 1.0}});
    line->Edit();
    bool calculating = true;
    PurchUpdateUnitCost(*header, *line, calculating);
    EXPECT_TRUE(calculating);
    calculating = false;
    PurchLineDiscountOnChange(*header, *line, calculating);
    EXPECT_FALSE(calculating);
    EXPECT_EQ(LoggedOperations(), (std::vector<std::string>{"uPurchGlobalDocCalc.PurchUpdateUnitCost",
                                                            "uPurchGlobalDocCalc.PurchLineDiscountOnChange"}));
}

// Two lines: L1 with VAT-inclusive prices at 20 %, L2 already without VAT at 9.4 %.
class GlobalLines : public GlobalCalc {
protected:
    GlobalLines() {
        Put(line, {{"PriceIncludingVAT", 1}, {"DirectUnitCost", 12.0}, {"OriginalPrice", 12.0}, {"VATPercent", 20.0},
                   {"Quantity", 1.0}, {"VATProdPostGroup_Id", "VP20"}, {"VATBusPostGroup_Id", "VB"}});
        line.Post();
        AddRecord(line, {{"Id", "L2"}, {"Line_No", 5}, {"Type", 3}, {"PriceIncludingVAT", 0},
                         {"DirectUnitCost", 100.0}, {"VATPercent", 9.4}, {"Quantity", 1.0},
                         {"VATProdPostGroup_Id", "VP9"}, {"VATBusPostGroup_Id", "VB"}, {"VATCalculationType", 1}});
        line.Last();
        line.Edit();
    }

    double At(const char* id, const char* field) { return line.Lookup("Id", {Variant(id)}, field).AsFloat(); }
};

TEST_F(GlobalLines, PriceBasisSwitchConvertsOnlyDifferingLines) {
    PurchGlobalPriceIncudingVATOnChange(header, line, calculating);
    EXPECT_NEAR(At("L1", "DirectUnitCost"), 10, 1e-9);
    EXPECT_NEAR(At("L1", "PriceIncludingVAT"), 0, 1e-9);
    EXPECT_NEAR(At("L2", "DirectUnitCost"), 100, 1e-9);
    Put(header, {{"PriceIncludingVAT", 1}});
    PurchGlobalPriceIncudingVATOnChange(header, line, calculating);
    EXPECT_NEAR(At("L1", "DirectUnitCost"), 12, 1e-9);
    EXPECT_NEAR(At("L2", "DirectUnitCost"), 109, 1e-9);  // 9.4 % taken as 9
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L2");
}

TEST_F(GlobalLines, CurrencyRatioConvertsEveryPrice) {
    server.OnCurrencyRate("EUR", 4.0);
    Put(header, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 2.0}});
    PurchCurrencyOnChange(header, line, calculating);
    EXPECT_NEAR(At("L1", "DirectUnitCost"), 6, 1e-9);
    EXPECT_NEAR(At("L2", "DirectUnitCost"), 50, 1e-9);
    EXPECT_NEAR(At("L1", "OriginalPrice"), 0, 1e-9);
    EXPECT_EQ(line.Lookup("Id", {Variant("L1")}, "Currency_Id").AsString(), "EUR");
}

TEST_F(GlobalLines, VATGroupChangeKeepsInclusiveCostOrStopsWhenMatching) {
    Put(header, {{"PriceIncludingVAT", 1}});
    line.First();
    line.Edit();
    Put(line, {{"UnitCost", 10.0}, {"VATPercent", 9.0}});
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent", "VATCalculationType", "SalesVATLedger"},
                                                    {{20.0, 1, 0}}));
    PurchVATProdPostGroupOnChange(header, line, calculating);
    // 10 / (1 + 9 %) × (1 + 20 %), from the old rate
    EXPECT_NEAR(line.FieldByName("DirectUnitCost").AsFloat(), 11.01, 1e-9);
    // The net price 11.01 / 1.2 = 9.175 rounds to 9.18 before the VAT is added back.
    EXPECT_NEAR(line.FieldByName("TotalPrice").AsFloat(), 11.02, 1e-9);
    EXPECT_EQ(server.CallsTo("RequestValue").at(0).Args[2].AsString(), "VATPercent, VATCalculationType, SalesVATLedger");

    Put(line, {{"TotalPrice", 77.0}});
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent", "VATCalculationType", "SalesVATLedger"},
                                                    {{20.0, 1, 0}}));
    PurchVATProdPostGroupOnChange(header, line, calculating);
    EXPECT_NEAR(line.FieldByName("TotalPrice").AsFloat(), 77, 1e-9);
    EXPECT_FALSE(calculating);
}

TEST_F(GlobalLines, HeaderVATGroupReachesEveryLine) {
    Put(header, {{"VATBusPostGroup_Id", "VB2"}});
    line.Post();
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent", "VATCalculationType", "SalesVATLedger"},
                                                    {{9.0, 1, 0}}));
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent", "VATCalculationType", "SalesVATLedger"},
                                                    {{9.4, 1, 0}}));
    PurchVATBusPostGroupOnChange(header, line, calculating);
    EXPECT_NEAR(At("L1", "VATPercent"), 9, 1e-9);
    EXPECT_NEAR(At("L1", "TotalValue"), 12, 1e-9);
    EXPECT_NEAR(At("L1", "VATValue"), 1.08, 1e-9);
    EXPECT_NEAR(At("L2", "TotalPrice"), 0, 1e-9);  // already matching: not recomputed
    for (const char* id : {"L1", "L2"})
        EXPECT_EQ(line.Lookup("Id", {Variant(id)}, "VATBusPostGroup_Id").AsString(), "VB2");
    EXPECT_FALSE(calculating);
}

TEST_F(GlobalLines, CodeLookupSendsTheRawType) {
    Put(header, {{"Contragent_Id", "V1"}, {"PriceIncludingVAT", 1}});
    Put(line, {{"QtyPerUnit", 2.0}, {"Quantity", 3.0}, {"Code", "IC1"}});
    TItemParams proposal;
    proposal.Price = 4.567;
    proposal.Discount = 0;
    server.OnPrice(0, proposal);
    PurchCodeFieldOnChange(header, line, calculating, false, true);
    const TVariantArray request = server.CallsTo("GetItemPriceAndDiscount").at(0).Args;
    EXPECT_TRUE(request[14] == Variant(3));
    EXPECT_TRUE(request[7] == Variant(1));
    EXPECT_EQ(request[3].AsString(), "IC1");
    // Net 4.57 / 1.094 = 4.18; 3 × 4.18 = 12.54; × 1.094 = 13.72.
    ExpectFields(line, {{"Quantity_Base", 6}, {"DirectUnitCost", 4.57}, {"OriginalPrice", 4.567},
                        {"PriceIncludingVAT", 1}, {"TotalPrice", 13.72}},
                 "code");
}

TEST_F(GlobalLines, VendorChangeRepricesEveryLineWithTheSalesLedgerSetup) {
    Put(header, {{"Contragent_Id", "V1"}, {"VATBusPostGroup_Id", "VB"}});
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V1')", Rows({"PayMethod_Id"}, {{"BANK"}}));
    TItemParams first, second;
    first.Price = 10.0;
    second.Price = 100.0;
    server.OnPrice(0, first);
    server.OnPrice(0, second);
    const auto setup = [](double percent) {
        return Rows({"VATPercent", "VATCalculationType", "SalesVATLedger"}, {{percent, 1, 0}});
    };
    server.OnRequestValue("G_VATPostingSetup", setup(20));
    server.OnRequestValue("G_VATPostingSetup", setup(9));
    PurchContragentFieldOnChange(header, line, calculating, true);
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "BANK");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").at(1).Args[14] == Variant(3));
    EXPECT_NEAR(At("L1", "DirectUnitCost"), 10, 1e-9);
    EXPECT_NEAR(At("L1", "PriceIncludingVAT"), 0, 1e-9);
    EXPECT_NEAR(At("L1", "VATValue"), 2, 1e-9);
    EXPECT_NEAR(At("L2", "VATPercent"), 9, 1e-9);
    EXPECT_NEAR(At("L2", "TotalVAT"), 109, 1e-9);
    EXPECT_TRUE(line.Eof());
    EXPECT_FALSE(calculating);
}

TEST_F(GlobalLines, MeasureLookupSkipsItemChargeLines) {
    Put(header, {{"Contragent_Id", "V1"}});
    Put(line, {{"LineDiscount_percent", 50.0}});
    PurchGlobalMeasureOnChange(header, line, calculating, false, true);
    EXPECT_TRUE(server.Calls().empty());
    EXPECT_NEAR(line.FieldByName("LineDiscountAmount").AsFloat(), 50, 1e-9);
    EXPECT_NEAR(line.FieldByName("TotalPrice").AsFloat(), 50, 1e-9);
}

// Whole-document recalculation of a global document in a currency of factor 2.
class GlobalRecalc : public GlobalCalc {
protected:
    TVATTotals totals;

    GlobalRecalc() { Put(header, {{"Currency_Id", "EUR"}, {"CurrencyFactor", 2.0}}); }

    void AddLine(const char* id, int lineNo, double price, double value, double base) {
        if (line.State() == TDataSetState::dsEdit) {
            Put(line, {{"Id", id}, {"Line_No", lineNo}, {"DirectUnitCost", price}, {"Quantity", 1.0},
                       {"VATPercent", 20.0}, {"TotalValue", value}, {"VATBaseAmount", base}});
            line.Post();
            return;
        }
        AddRecord(line, {{"Id", id}, {"Line_No", lineNo}, {"DirectUnitCost", price}, {"Quantity", 1.0},
                         {"QtyPerUnit", 1.0}, {"VATPercent", 20.0}, {"TotalValue", value}, {"VATBaseAmount", base}});
    }
};

TEST_F(GlobalRecalc, TypedBaseEntersTheGroupsAndValuesTheHeader) {
    AddLine("L1", 4, 100, 100, 80);
    AddLine("L2", 9, 50, 50, 50);
    PurchGlobalReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 150}, {"TotalValue_LCY", 300}, {"TotalVat", 176}, {"TotalVAT_LCY", 352},
                  {"VatValue", 26}, {"VATValue_LCY", 52}},
                 "global");
    EXPECT_EQ(line.Lookup("Id", {Variant("L2")}, "Line_No").AsInteger(), 2);
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L1");
}

TEST_F(GlobalRecalc, ProtocolWithOnlyAVATBaseTakesLocalTotalsFromTheGroups) {
    AddLine("L1", 1, 0, 0, 40);
    PurchGlobalReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 0}, {"TotalValue_LCY", 80}, {"TotalVat", 8}, {"TotalVAT_LCY", 96}, {"VatValue", 8},
                  {"VATValue_LCY", 16}},
                 "protocol");
}

TEST_F(GlobalRecalc, ExportedVariantTakesTheSixGroupTotals) {
    AddLine("L1", 4, 100, 100, 80);
    AddLine("L2", 9, 50, 50, 50);
    PurchReCalcDocumentExecute(header, line, calculating, totals);
    ExpectFields(header,
                 {{"TotalValue", 150}, {"TotalVat", 180}, {"VatValue", 30}, {"TotalValue_LCY", 300},
                  {"VATValue_LCY", 60}, {"TotalVAT_LCY", 360}},
                 "exported");
    EXPECT_FALSE(line.ControlsDisabled());
}

}  // namespace
}  // namespace tavrek::testing
