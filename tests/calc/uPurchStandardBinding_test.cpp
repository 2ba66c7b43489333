#include "calc/uPurchCallculations.h"

#include "calc/CalcCase.h"

namespace tavrek::testing {
namespace {

using namespace uPurchCallculations;

class Binding : public CalcTest {
protected:
    bool suspended = false;

    Binding() {
        Put(header, {{"Contragent_Id", "V1"}, {"CurrencyFactor", 1.0}});
        Put(line, {{"Id", "L1"}, {"Type", 1}, {"Code", "I1"}, {"VATPercent", 20.0}, {"QtyPerUnitOfMeasure", 1.0},
                   {"DirectUnitCost_ACY", 5.0}, {"OriginalPrice", 5.0}, {"LineDiscount", 10.0}});
        AttachPurchStandardBinding({header, line, calculating, suspended});
    }
};

TEST_F(Binding, QuantityTypedRunsOnlyTheQuantityRule) {
    server.OnPrice(1);
    line.FieldByName("Quantity").SetAsFloat(4.0);
    EXPECT_EQ(server.Methods(), std::vector<std::string>{"GetItemPriceAndDiscount"});
    ExpectFields(line,
                 {{"Quantity_Base", 4}, {"LineDiscountAmount", 2}, {"UnitCost_ACY", 4.5}, {"TotalPrice", 18},
                  {"TotalValue", 18}, {"VATValue", 3.6}, {"TotalVAT", 21.6}},
                 "quantity");
    EXPECT_FALSE(calculating);
}

TEST_F(Binding, SuspendedLineFillingRunsNoQuantityRule) {
    suspended = true;
    line.FieldByName("Quantity").SetAsFloat(4.0);
    EXPECT_TRUE(server.Calls().empty());
    ExpectFields(line, {{"Quantity_Base", 0}, {"TotalPrice", 0}}, "suspended");
}

TEST_F(Binding, TypedDiscountAmountFollowsThePercentage) {
    Put(line, {{"Quantity", 2.0}});
    line.FieldByName("LineDiscountAmount").SetAsFloat(3.0);
    ExpectFields(line, {{"LineDiscountAmount", 1}, {"TotalPrice", 9}}, "amount");
}

TEST_F(Binding, EditorHandlersReplaceSingleEntries) {
    std::vector<std::string> called;
    AttachPurchStandardBinding({header, line, calculating, suspended},
                               [&](const TPurchFieldBinding& entry) -> std::function<void(TField&)> {
                                   if (std::string(entry.Handler) != "CodeOnChange") return nullptr;
                                   return [&called](TField& f) { called.push_back(f.AsString()); };
                               });
    line.FieldByName("Code").SetAsString("I2");
    line.FieldByName("Quantity").SetAsFloat(3.0);
    EXPECT_EQ(called, std::vector<std::string>{"I2"});
    EXPECT_TRUE(server.Calls().empty());
    DetachPurchStandardBinding(header, line);
    EXPECT_FALSE(static_cast<bool>(line.FieldByName("Code").OnChange));
}

TEST_F(Binding, ChosenVendorAsksBeforeRepricing) {
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V2')", Rows({"PayMethod_Id"}, {{"PM1"}}));
    dialogs.ExpectMessage(mrNo);
    Put(header, {{"VATBusPostGroup_Id", "VB"}});
    line.Post();
    header.FieldByName("Contragent_Id").SetAsString("V2");
    EXPECT_EQ(header.FieldByName("PayMethod_Id").AsString(), "PM1");
    EXPECT_TRUE(server.CallsTo("GetContragentParams").empty()) << "the vendor's defaults come with its lookup";
    // Answered No: no price was asked, yet the line took the new posting groups.
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
    line.First();
    EXPECT_EQ(line.FieldByName("VATBusPostGroup_Id").AsString(), "VB");
}

}  // namespace
}  // namespace tavrek::testing
