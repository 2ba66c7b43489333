#include "calc/uPurchCallculations.h"

#include "base/data/TDateTime.h"
#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

class PriceRules : public CalcTest {
protected:
    PriceRules() {
        Put(header, {{"Contragent_Id", "V1"}, {"Currency_Id", "EUR"}, {"CurrencyFactor", 1.95583},
                     {"VATBusPostGroup_Id", "VB"}, {"PriceIncludingVAT", 0}, {"N_SubDocument_Code", "F1"},
                     {"DocumentDate", TDateTime::FromDate(2026, 3, 15)}, {"BusinessGroup_Id", "BGH"}});
        Put(line, {{"Type", 1}, {"Code", "I1"}, {"Measure_Id", "PCS"}, {"VATProdPostGroup_Id", "VP20"},
                   {"VATPercent", 20.0}, {"BusinessGroup_Id", "BGL"}, {"Quantity", 4.0}});
    }
};

TEST_F(PriceRules, QuantityRequestCarriesEighteenValuesInOrder) {
    Put(line, {{"Type", 5}, {"Quantity", 2.5}, {"QtyPerUnitOfMeasure", 4.0}});
    Put(header, {{"PriceIncludingVAT", 1}});
    server.OnPrice(1);
    PurchQuantityOnChange(header, line, calculating, false, true);
    ASSERT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), 1u);
    const TVariantArray request = server.CallsTo("GetItemPriceAndDiscount")[0].Args;
    const TVariantArray expected = {0, 0, "V1", "I1", "PCS", "EUR", "VB", 1, "F1", 2.5,
                                    TDateTime::FromDate(2026, 3, 15), 10.0, "VP20", 1.95583, 6, "", "BGH", Variant()};
    ASSERT_EQ(request.size(), 18u);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(request[i].Type(), expected[i].Type()) << "index " << i;
        EXPECT_TRUE(request[i] == expected[i]) << "index " << i << ": " << request[i].DebugString();
    }
}

TEST_F(PriceRules, CodeAndMeasureRequestsCarryTheLineBusinessGroup) {
    server.OnPrice(1, {}, true);
    PurchCodeOnChange(header, line, calculating, false, true);
    PurchMeasureOnChange(header, line, calculating, false, true);
    for (const TServerCall& call : server.CallsTo("GetItemPriceAndDiscount")) {
        EXPECT_TRUE(call.Args[16] == Variant("BGL"));
        EXPECT_TRUE(call.Args[14] == Variant(1));
    }
    EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), 2u);
}

// One proposal applied by one rule: what the line held, what the server proposed, what stays.
struct TProposalCase {
    std::string Name;
    void (*Rule)(TClientDataSet&, TClientDataSet&, bool&, bool, bool);
    double OriginalPrice, ProposedPrice;
    double ExpectedPrice, ExpectedOriginal;
    int ExpectedAllow;
};

class Proposals : public PriceRules, public ::testing::WithParamInterface<TProposalCase> {};

TEST_P(Proposals, ReplaceOnlyWhatTheRuleSeesAsChanged) {
    const TProposalCase& c = GetParam();
    Put(line, {{"DirectUnitCost_ACY", 9.5}, {"OriginalPrice", c.OriginalPrice}, {"AllowInvoiceDisc", 0},
               {"PriceIncludingVAT", 1}, {"QtyPerUnitOfMeasure", 1.0}});
    server.OnPrice(0, Proposal(c.ProposedPrice, 0.0));
    c.Rule(header, line, calculating, false, true);
    EXPECT_NEAR(line.FieldByName("DirectUnitCost_ACY").AsFloat(), c.ExpectedPrice, 1e-9) << c.Name;
    EXPECT_NEAR(line.FieldByName("OriginalPrice").AsFloat(), c.ExpectedOriginal, 1e-9) << c.Name;
    EXPECT_EQ(line.FieldByName("AllowInvoiceDisc").AsInteger(), c.ExpectedAllow) << c.Name;
    // A replaced price takes the header's price basis.
    EXPECT_EQ(line.FieldByName("PriceIncludingVAT").AsInteger(), c.ExpectedPrice == 9.5 ? 1 : 0) << c.Name;
    EXPECT_FALSE(calculating);
    EXPECT_TRUE(LoggedOperations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Proposals,
    ::testing::Values(
        // The quantity rule compares at two decimals, the item and unit rules exactly.
        TProposalCase{"QuantityKeepsPriceEqualAtTwoDecimals", PurchQuantityOnChange, 10.001, 10.004, 9.5, 10.001, 1},
        TProposalCase{"QuantityTakesChangedPrice", PurchQuantityOnChange, 10.001, 10.006, 10.01, 10.006, 1},
        TProposalCase{"CodeTakesThirdDecimalChange", PurchCodeOnChange, 10.001, 10.004, 10.0, 10.004, 0},
        TProposalCase{"CodeKeepsEqualPrice", PurchCodeOnChange, 10.004, 10.004, 9.5, 10.004, 0},
        TProposalCase{"MeasureTakesThirdDecimalChange", PurchMeasureOnChange, 10.001, 10.004, 10.0, 10.004, 0}),
    [](const auto& info) { return info.param.Name; });

TEST_F(PriceRules, QuantityRuleAppliesProposalThenRecomputesLine) {
    Put(line, {{"QtyPerUnitOfMeasure", 0.0}, {"InvDiscAmount", 3.0}});
    server.OnPrice(0, Proposal(2.5, 10.0));
    PurchQuantityOnChange(header, line, calculating, false, true);
    ExpectFields(line,
                 {{"QtyPerUnitOfMeasure", 1}, {"Quantity_Base", 4}, {"DirectUnitCost_ACY", 2.5}, {"OriginalPrice", 2.5},
                  {"LineDiscount", 10}, {"OriginalDiscount", 10}, {"AllowInvoiceDisc", 1}, {"LineDiscountAmount", 1},
                  {"InvDiscAmount", 0}, {"UnitCost_ACY", 2.25}, {"TotalPrice", 9}, {"TotalValue", 9},
                  {"VATValue", 1.8}, {"TotalVAT", 10.8}, {"UnitCost_LCY", 4.4}, {"TotalValue_LCY", 17.6}},
                 "quantity");
    EXPECT_FALSE(calculating);
}

TEST_F(PriceRules, RefusedProposalLeavesTheLine) {
    Put(line, {{"DirectUnitCost_ACY", 9.5}, {"LineDiscount", 5.0}, {"AllowInvoiceDisc", 1}});
    server.OnPrice(7, Proposal(3.0, 1.0, false));
    PurchMeasureOnChange(header, line, calculating, false, true);
    ExpectFields(line, {{"DirectUnitCost_ACY", 9.5}, {"LineDiscount", 5}, {"AllowInvoiceDisc", 1}}, "refused");
}

TEST_F(PriceRules, NoRequestWithoutItemVendorOrLookup) {
    struct TCase {
        int Type;
        const char* Vendor;
        bool Lookup;
    };
    for (const TCase& c : {TCase{2, "V1", true}, TCase{3, "V1", true}, TCase{1, "", true}, TCase{1, "V1", false}}) {
        Put(header, {{"Contragent_Id", c.Vendor}});
        Put(line, {{"Type", c.Type}, {"DirectUnitCost_ACY", 5.0}, {"QtyPerUnitOfMeasure", 2.0}, {"Quantity", 3.0}});
        PurchQuantityOnChange(header, line, calculating, false, c.Lookup);
        ExpectFields(line, {{"Quantity_Base", 6}, {"TotalPrice", 15}}, "type " + std::to_string(c.Type));
    }
    EXPECT_TRUE(server.Calls().empty());
}

TEST_F(PriceRules, SuspendedOrCalculatingQuantityRuleDoesNothing) {
    const std::vector<Variant> before = line.CurrentValues();
    PurchQuantityOnChange(header, line, calculating, true, true);
    PurchCodeOnChange(header, line, calculating, true, true);
    PurchMeasureOnChange(header, line, calculating, true, true);
    EXPECT_FALSE(calculating);
    calculating = true;
    PurchQuantityOnChange(header, line, calculating, false, true);
    PurchCodeOnChange(header, line, calculating, false, true);
    PurchMeasureOnChange(header, line, calculating, false, true);
    EXPECT_TRUE(calculating);
    EXPECT_EQ(line.CurrentValues(), before);
    EXPECT_TRUE(server.Calls().empty());
}

TEST_F(PriceRules, FixedAssetKeepsQuantityOneAndGetsItsBook) {
    Put(line, {{"Type", 4}, {"Code", "FA1"}, {"Comp_Id", "C1"}, {"Quantity", 5.0}, {"QtyPerUnitOfMeasure", 2.0},
               {"DirectUnitCost_ACY", 100.0}});
    PurchQuantityOnChange(header, line, calculating, false, true);
    ExpectFields(line, {{"Quantity", 1}, {"Quantity_Base", 2}, {"TotalPrice", 100}}, "asset");
    server.OnRequestValue("N_FADeprBookLine", Rows({"DeprBook_Id"}, {{"DB1"}}));
    PurchCodeOnChange(header, line, calculating, false, true);
    EXPECT_EQ(line.FieldByName("DeprBook_Id").AsString(), "DB1");
    EXPECT_EQ(line.FieldByName("QtyPerUnitOfMeasure").AsFloat(), 1.0);
    const TServerCall call = server.CallsTo("RequestValue").at(0);
    EXPECT_EQ(call.Args[2].AsString(), "DeprBook_Id");
    EXPECT_EQ(call.Args[3].AsString(),
              "N_FADeprBookLine.Comp_Id=C1 AND N_FADeprBookLine.Master_Id=FA1 AND N_FADeprBookLine.DefaultBook=1");
}

TEST_F(PriceRules, QtyPerUnitZeroBecomesOne) {
    Put(line, {{"Type", 2}, {"QtyPerUnitOfMeasure", 0.0}, {"Quantity", 3.0}, {"DirectUnitCost_ACY", 2.0},
               {"LineDiscount", 50.0}});
    PurchQtyPerUnitOfMeasureOnChange(header, line, calculating);
    ExpectFields(line, {{"QtyPerUnitOfMeasure", 1}, {"Quantity_Base", 3}, {"LineDiscountAmount", 3}, {"TotalPrice", 3}},
                 "qty per unit");
    EXPECT_FALSE(calculating);
}

TEST_F(PriceRules, ValidationsAllowEqualAndRejectMore) {
    struct TCase {
        double ToDo, Done, Quantity;
        bool Passes;
        double Returned = 0;  // received goods sent back, no longer received
    };
    server.SetMessage("err_QuantityReceivedValidation", "Получено повече от поръчаното");
    std::unique_ptr<TClientDataSet> orderLine = MakeDataSet("cdsDetail", AsFieldList(PurchLineFields(TPurchDocument::pdOrder)));
    orderLine->Append();
    TClientDataSet& line = *orderLine;
    for (const TCase& c : {TCase{3, 7, 10, true}, TCase{4, 7, 10, false}, TCase{0, 0, 0, true},
                           TCase{3, 7, 10, true, 1}, TCase{5, 7, 10, false, 1}}) {
        Put(line, {{"QtyToReceive", c.ToDo}, {"ReceivedQty", c.Done + c.Returned}, {"ReturnedQty", c.Returned},
                   {"QtyToInvoice", c.ToDo}, {"InvoicedQty", c.Done}, {"Quantity", c.Quantity}});
        if (c.Passes) {
            EXPECT_NO_THROW(PurchValidateQuantityReceived(header, line, calculating));
            EXPECT_NO_THROW(PurchValidateQuantityInvoiced(header, line, calculating));
            continue;
        }
        try {
            PurchValidateQuantityReceived(header, line, calculating);
            ADD_FAILURE() << "received quantity passed";
        } catch (const std::exception& e) {
            EXPECT_STREQ(e.what(), "Получено повече от поръчаното");
        }
        EXPECT_THROW(PurchValidateQuantityInvoiced(header, line, calculating), std::runtime_error);
    }
}

// Two lines of a document whose header switches its price basis, with the editor's binding on.
class PriceBasisSwitch : public CalcTest {
protected:
    bool suspended = false;

    PriceBasisSwitch() {
        Put(line, {{"Id", "L1"}, {"PriceIncludingVAT", 1}, {"DirectUnitCost_ACY", 12.0}, {"OriginalPrice", 12.0},
                   {"VATPercent", 20.0}, {"Quantity", 1.0}, {"Type", 2}});
        line.Post();
        AddRecord(line, {{"Id", "L2"}, {"Line_No", 2}, {"Type", 2}, {"PriceIncludingVAT", 0},
                         {"DirectUnitCost_ACY", 100.0}, {"VATPercent", 9.4}, {"Quantity", 1.0}});
        line.First();
        AttachPurchStandardBinding({header, line, calculating, suspended});
    }

    double Price(const char* id) { return line.Lookup("Id", {Variant(id)}, "DirectUnitCost_ACY").AsFloat(); }
};

TEST_F(PriceBasisSwitch, PricesKeepTheirValueAndLinesAreRecomputed) {
    header.FieldByName("PriceIncludingVAT").SetAsInteger(0);
    EXPECT_NEAR(Price("L1"), 10.0, 1e-9);
    EXPECT_NEAR(line.Lookup("Id", {Variant("L1")}, "OriginalPrice").AsFloat(), 10.0, 1e-9);
    EXPECT_NEAR(line.Lookup("Id", {Variant("L1")}, "TotalPrice").AsFloat(), 10.0, 1e-9);
    EXPECT_NEAR(Price("L2"), 100.0, 1e-9);  // already without VAT: skipped
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L1");

    header.FieldByName("PriceIncludingVAT").SetAsInteger(1);
    EXPECT_NEAR(Price("L1"), 12.0, 1e-9);
    // The rate is read as a whole number: 9.4 % converts as 9 %.
    EXPECT_NEAR(Price("L2"), 109.0, 1e-9);
    EXPECT_NEAR(line.Lookup("Id", {Variant("L2")}, "TotalPrice").AsFloat(), 109.0, 1e-9);
    EXPECT_FALSE(calculating);
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(CalcTest, PriceBasisSwitchWithoutLinesDoesNothing) {
    line.Cancel();
    line.Delete();
    ASSERT_TRUE(line.IsEmpty());
    Put(header, {{"PriceIncludingVAT", 1}});
    PurchPriceIncudingVATOnChange(header, line, calculating);
    EXPECT_TRUE(line.IsEmpty());
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
