#include "calc/uPurchCallculations.h"

#include "base/data/TDateTime.h"
#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

const char* const kPayMethodSource = "fn_GetDocPayMethod('C1','BG1','U1',1,'ST1','V1')";

TRequestResult VATRow(double percent) {
    return Rows({"VATPercent", "VATCalculationType", "PurchaseVATLedger"}, {{percent, 1, 0}});
}

// A document with two item lines and an account line.
class HeaderRules : public CalcTest {
protected:
    HeaderRules() {
        Put(header, {{"Contragent_Id", "V1"}, {"DocSubType_Id", "ST1"}, {"PayMethod_Id", "PM1"},
                     {"GenBusPostGroup_Id", "GB"}, {"VATBusPostGroup_Id", "VB"}, {"Currency_Id", ""},
                     {"CurrencyFactor", 1.0}, {"BusinessGroup_Id", "BGH"},
                     {"DocumentDate", TDateTime::FromDate(2026, 3, 15)}, {"PayTerm_Id", "T30"}});
        Put(line, {{"Id", "L1"}, {"Type", 1}, {"Code", "I1"}, {"Quantity", 2.0}, {"VATProdPostGroup_Id", "VP20"},
                   {"VATBusPostGroup_Id", "OLD"}, {"GenBusPostGroup_Id", "OLD"}});
        line.Post();
        AddRecord(line, {{"Id", "L2"}, {"Line_No", 2}, {"Type", 1}, {"Code", "I2"}, {"Quantity", 4.0},
                         {"VATProdPostGroup_Id", "VP9"}, {"OriginalPrice", 7.0}, {"DirectUnitCost_ACY", 6.5},
                         {"QtyPerUnitOfMeasure", 1.0}, {"GenBusPostGroup_Id", "OLD"}});
        AddRecord(line, {{"Id", "L3"}, {"Line_No", 3}, {"Type", 2}, {"Code", "601"}, {"Quantity", 1.0},
                         {"DirectUnitCost_ACY", 40.0}, {"VATProdPostGroup_Id", "VP20"}, {"GenBusPostGroup_Id", "OLD"}});
        line.First();
        server.SetMessage("err_VATConfiguration", "Липсва настройка на ДДС");
    }

    Variant At(const char* id, const char* field) { return line.Lookup("Id", {Variant(id)}, field); }

    void ExpectLine(const char* id, const TExpected& expected) {
        for (const auto& [field, value] : expected)
            EXPECT_NEAR(At(id, field.c_str()).AsFloat(), value, 1e-9) << id << ": " << field;
    }
};

TEST_F(HeaderRules, VendorChangeRepricesAndRecomputesEveryLine) {
    server.OnRequestValue(kPayMethodSource, Rows({"PayMethod_Id"}, {{"PM2"}}));
    server.OnPrice(0, Proposal(10.0, 5.0, true));
    server.OnPrice(0, Proposal(7.0, 0.0, false));
    server.OnRequestValue("G_VATPostingSetup", VATRow(20));
    server.OnRequestValue("G_VATPostingSetup", VATRow(9));
    server.OnRequestValue("G_VATPostingSetup", VATRow(20));

    PurchContragentFieldOnChange(header, line, calculating, true);

    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"RequestValue", "GetItemPriceAndDiscount", "RequestValue",
                                                          "GetItemPriceAndDiscount", "RequestValue", "RequestValue"}));
    const TServerCall vat = server.CallsTo("RequestValue").at(1);
    EXPECT_EQ(vat.Args[2].AsString(), "VATPercent, VATCalculationType, PurchaseVATLedger");
    EXPECT_EQ(vat.Args[3].AsString(),
              "G_VATPostingSetup.VATBus_PostingGroup=VB AND G_VATPostingSetup.VATProd_PostingGroup=VP20 AND "
              "G_VATPostingSetup.Comp_Id=C1");
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "PM2");
    // The new discount percent is kept; its amount waits for the next discount rule.
    ExpectLine("L1", {{"DirectUnitCost_ACY", 10}, {"OriginalPrice", 10}, {"LineDiscount", 5}, {"AllowInvoiceDisc", 1},
                      {"LineDiscountAmount", 0}, {"VATPercent", 20}, {"VATCalculationType", 1}, {"UnitCost_ACY", 10},
                      {"TotalPrice", 20}, {"TotalValue", 20}, {"VATValue", 4}, {"TotalVAT", 24}});
    // A proposal equal to the remembered one keeps the typed price.
    ExpectLine("L2", {{"DirectUnitCost_ACY", 6.5}, {"AllowInvoiceDisc", 0}, {"VATPercent", 9}, {"TotalPrice", 26},
                      {"VATValue", 2.34}});
    ExpectLine("L3", {{"VATPercent", 20}, {"TotalPrice", 40}, {"VATValue", 8}});
    for (const char* id : {"L1", "L2", "L3"}) {
        EXPECT_EQ(At(id, "GenBusPostGroup_Id").AsString(), "GB");
        EXPECT_EQ(At(id, "VATBusPostGroup_Id").AsString(), "VB");
    }
    EXPECT_TRUE(line.Eof());
    EXPECT_FALSE(calculating);
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(HeaderRules, VendorChangeWithoutLinesOnlySetsPaymentMethod) {
    line.EmptyDataSet();
    for (const auto& [answer, expected] : {std::pair{"PM2", "PM2"}, std::pair{"", "PM2"}}) {
        server.OnRequestValue(kPayMethodSource, Rows({"PayMethod_Id"}, {{answer}}));
        PurchContragentFieldOnChange(header, line, calculating, true);
        EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), expected);
    }
    EXPECT_EQ(server.Methods(), (std::vector<std::string>{"RequestValue", "RequestValue"}));
}

TEST_F(HeaderRules, MissingVATSetupStopsTheVendorLoopAtThatLine) {
    server.OnRequestValue(kPayMethodSource, Rows({"PayMethod_Id"}, {}));
    server.OnPrice(0, Proposal(10.0, 0.0, true));
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent"}, {}));
    PurchContragentFieldOnChange(header, line, calculating, true);
    EXPECT_EQ(LoggedOperations(), std::vector<std::string>{"TfEdPurchase.ContragentFieldOnChange"});
    EXPECT_EQ(guard.Session().ErrorLog().Entries().at(0).Message, "Липсва настройка на ДДС");
    EXPECT_EQ(At("L2", "GenBusPostGroup_Id").AsString(), "OLD");
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "PM1");
    EXPECT_FALSE(calculating);
}

TEST_F(HeaderRules, SubtypeAnsweredNoKeepsPricesButSetsSeriesAndPayment) {
    server.SetMessage("queReCalculateDiscount", "Преизчисляване на цените?");
    server.OnRequestValue("N_SubDocument", Rows({"Post_Series_Id", "PaymentMethod"}, {{"S2", "PM3"}}));
    dialogs.ExpectMessage(mrNo, "Преизчисляване");
    PurchSubDocTypeFieldOnChange(header, line, calculating, true);
    EXPECT_EQ(header.FieldByName("Series_Id").AsString(), "S2");
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "PM3");
    EXPECT_EQ(server.CallsTo("RequestValue").at(0).Args[3].AsString(),
              "N_SubDocument.Id=ST1 AND N_SubDocument.Comp_Id=C1");
    ExpectLine("L2", {{"DirectUnitCost_ACY", 6.5}, {"TotalPrice", 0}});
    EXPECT_FALSE(calculating);
}

TEST_F(HeaderRules, SubtypeAnsweredYesRepricesEveryItemLine) {
    server.OnRequestValue("N_SubDocument", Rows({"Post_Series_Id", "PaymentMethod"}, {{"", ""}}));
    dialogs.ExpectMessage(mrYes);
    server.OnPrice(0, Proposal(10.0, 0.0, true));
    server.OnPrice(0, Proposal(7.5, 0.0, true));
    PurchSubDocTypeFieldOnChange(header, line, calculating, true);
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "PM1");
    ExpectLine("L1", {{"DirectUnitCost_ACY", 10}, {"TotalPrice", 20}, {"AllowInvoiceDisc", 1}});
    ExpectLine("L2", {{"DirectUnitCost_ACY", 7.5}, {"OriginalPrice", 7.5}, {"TotalPrice", 30}});
    ExpectLine("L3", {{"TotalPrice", 40}});
    EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), 2u);
}

TEST_F(HeaderRules, UnknownSubtypeRaisesAndClearsTheFlag) {
    server.OnRequestValue("N_SubDocument", Rows({"Post_Series_Id", "PaymentMethod"}, {}));
    try {
        PurchSubDocTypeFieldOnChange(header, line, calculating, true);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "Error Getting VAT Series!");
    }
    EXPECT_FALSE(calculating);
}

// The currency rule with the editor's binding on, so that each converted price recomputes its line.
class CurrencyChange : public HeaderRules {
protected:
    bool suspended = false;

    CurrencyChange() {
        line.Last();
        AttachPurchStandardBinding({header, line, calculating, suspended});
        header.FieldByName("Currency_Id").OnChange = nullptr;
    }
};

TEST_F(CurrencyChange, FactorOneToTwoHalvesEveryPrice) {
    server.OnCurrencyRate("EUR", 2.0);
    Put(header, {{"Currency_Id", "EUR"}});
    PurchCurrencyOnChange(header, line, calculating);
    EXPECT_DOUBLE_EQ(header.FieldByName("CurrencyFactor").AsFloat(), 2.0);
    ExpectLine("L2", {{"DirectUnitCost_ACY", 3.25}, {"OriginalPrice", 0}, {"TotalPrice", 13}, {"UnitCost_LCY", 6.5},
                      {"TotalValue_LCY", 26}});
    ExpectLine("L3", {{"DirectUnitCost_ACY", 20}, {"TotalPrice", 20}});
    EXPECT_EQ(At("L1", "Currency_Id").AsString(), "EUR");
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L3");
    const TServerCall rate = server.CallsTo("GetCurrencyRate").at(0);
    EXPECT_TRUE(rate.Args[1] == Variant(TDateTime::FromDate(2026, 3, 15)));
    EXPECT_TRUE(rate.Args[2] == Variant(1));
}

TEST_F(CurrencyChange, MissingRateZeroesPricesAndLocalCurrencyNeedsNoRate) {
    server.OnCurrencyRate("USD", 0.0);
    Put(header, {{"Currency_Id", "USD"}});
    PurchCurrencyOnChange(header, line, calculating);
    ExpectLine("L3", {{"DirectUnitCost_ACY", 0}, {"TotalPrice", 0}});
    Put(header, {{"Currency_Id", ""}, {"CurrencyFactor", 4.0}});
    PurchCurrencyOnChange(header, line, calculating);
    EXPECT_DOUBLE_EQ(header.FieldByName("CurrencyFactor").AsFloat(), 1.0);
    EXPECT_EQ(server.CallsTo("GetCurrencyRate").size(), 1u);
}

TEST_F(HeaderRules, DueDateFollowsPaymentTerms) {
    struct TCase {
        TRequestResult Answer;
        double Days;
    };
    for (const TCase& c : {TCase{Rows({"DueDateCalculation"}, {{30}}), 30}, TCase{Rows({"DueDateCalculation"}, {}), 0}}) {
        server.OnRequestValue("N_PaymentTerms", c.Answer);
        PurchPayTermOnChange(header, line, calculating);
        EXPECT_DOUBLE_EQ(header.FieldByName("DueDate").AsDateTime().Serial(),
                         TDateTime::FromDate(2026, 3, 15).Serial() + c.Days);
    }
    EXPECT_EQ(server.CallsTo("RequestValue").at(0).Args[3].AsString(), "N_PaymentTerms.Id=T30");
}

TEST_F(CalcTest, PostingGroupRulesReachTheVATRuleOnlyWhenTheyShould) {
    server.SetMessage("err_VATConfiguration", "Липсва настройка на ДДС");
    PurchGenProdPostingGroupOnChange(header, line, calculating);  // no VAT product group: nothing
    EXPECT_TRUE(server.Calls().empty());
    Put(line, {{"VATProdPostGroup_Id", "VP"}, {"VATBusPostGroup_Id", "VB"}});
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent"}, {}));
    PurchVATBusPostingGroupOnChange(header, line, calculating);
    EXPECT_EQ(LoggedOperations(), std::vector<std::string>{"fEdPurchase.VATProdPostingGroupOnChange"});
    EXPECT_FALSE(calculating);
}

TEST_F(HeaderRules, BusinessGroupReachesEveryLineWithoutPostHandling) {
    int posts = 0;
    line.AfterPost = [&posts](TClientDataSet&) { ++posts; };
    line.Next();
    Put(header, {{"BusinessGroup_Id", "BG7"}});
    PurchBusinessGroupOnChange(header, line, calculating);
    for (const char* id : {"L1", "L2", "L3"}) EXPECT_EQ(At(id, "BusinessGroup_Id").AsString(), "BG7");
    EXPECT_EQ(line.FieldByName("Id").AsString(), "L2");
    EXPECT_EQ(posts, 0);
    EXPECT_FALSE(line.ControlsDisabled());
    line.Edit();
    line.Post();
    EXPECT_EQ(posts, 1);
}

}  // namespace
}  // namespace tavrek::testing
