#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/forms/TFormCatalogue.h"
#include "base/forms/EFormError.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uEdPurchase.h"
#include "frame/uPurchasePackage.h"

namespace tavrek {
namespace {

std::vector<std::string> Registered() {
    std::vector<std::string> names;
    for (const TFormClassInfo& info : FormRegistry().Classes()) names.push_back(info.ClassName);
    return names;
}

TEST(PurchasePackage, RegistersTheBuiltFormClassesInTheOrderOfTheTable) {
    const std::vector<std::string>& order = PurchaseFormClassOrder();
    EXPECT_EQ(order.size(), 42u);
    EXPECT_EQ(std::set<std::string>(order.begin(), order.end()).size(), order.size());
    TFormRegistryScope scope;
    PurchasePackageStartup();
    const std::vector<std::string> registered = Registered();
    std::vector<std::string> expected;
    std::copy_if(order.begin(), order.end(), std::back_inserter(expected), [&](const std::string& name) {
        return std::find(registered.begin(), registered.end(), name) != registered.end();
    });
    EXPECT_EQ(registered, expected) << "every registered class is in the table, in its order";
    EXPECT_NE(std::find(registered.begin(), registered.end(), "TfEdPurchase"), registered.end());
    EXPECT_EQ(std::find(registered.begin(), registered.end(), "TfEdBasePurchDocument"), registered.end());
    const std::unique_ptr<TfBase> form = FormRegistry().CreateForm(uEdPurchase::kFormNumber);
    EXPECT_NE(dynamic_cast<TfEdPurchase*>(form.get()), nullptr);
    PurchasePackageShutdown();
}

// The start-up code counts: a second start-up does no work, and shut-down only counts back.
TEST(PurchasePackage, StartUpWorksOnlyWhenItsCounterWasZero) {
    std::vector<std::string> all;
    {
        TFormRegistryScope first;
        PurchasePackageStartup();
        all = Registered();
        PurchasePackageStartup();
        EXPECT_EQ(Registered(), all);
        EXPECT_EQ(std::count(all.begin(), all.end(), "TfEdPurchase"), 1);
        PurchasePackageShutdown();
        EXPECT_EQ(Registered(), all) << "shut-down leaves registrations";
    }
    {
        TFormRegistryScope second;
        PurchasePackageStartup();
        EXPECT_TRUE(Registered().empty()) << "the counter was not back at zero";
        PurchasePackageShutdown();
        PurchasePackageShutdown();
        PurchasePackageStartup();
        EXPECT_EQ(Registered(), all);
        PurchasePackageShutdown();
    }
}

// The catalogue names each package class once, under one number, and every registered class
// opens under its catalogued number.
TEST(PurchasePackage, TheFormCatalogueMapsEveryPackageClassAndEveryNumberOnce) {
    std::set<int> numbers;
    std::set<std::string> classes, packageClasses;
    for (const TFormCatalogueEntry& entry : FormCatalogue()) {
        EXPECT_TRUE(numbers.insert(entry.FormNumber).second) << entry.FormNumber;
        EXPECT_TRUE(classes.insert(entry.ClassName).second) << entry.ClassName;
        if (entry.Package) packageClasses.insert(entry.ClassName);
    }
    const std::vector<std::string>& order = PurchaseFormClassOrder();
    EXPECT_EQ(packageClasses, std::set<std::string>(order.begin(), order.end()));
    TFormRegistryScope scope;
    PurchasePackageStartup();
    for (const TFormClassInfo& info : FormRegistry().Classes())
        EXPECT_EQ(info.FormNumber, FindCatalogueClass(info.ClassName)->FormNumber) << info.ClassName;
    PurchasePackageShutdown();
}

// Forms name the forms they open by number: the invoice list opens the invoice, the posted
// list its view, an offer converts into an order and an invoice.
TEST(PurchasePackage, FormNumbersOpenTheClassesTheCatalogueNames) {
    const std::pair<int, const char*> cases[] = {
        {10011, "TfEdPurchase"},      {10010, "TfBrPurchase"},          {10201, "TfEdPurchOrder"},
        {10220, "TfEdPostedPurchInvoice"}, {10221, "TfBrPostedPurchInvoice"}, {10181, "TfEdPurchCrMemo"},
        {10501, "TfEdPurchOrderBufer"}, {10510, "TfBrSelectPurchOrder"}, {1040, "TfEdPayment"},
        {11001, "TfEdPurchProtocol"}, {401, "TfEdItem"},                {12230, "TfEdFutureCostPeriods"},
    };
    for (const auto& [number, className] : cases) {
        SCOPED_TRACE(number);
        ASSERT_NE(FindCatalogueNumber(number), nullptr);
        EXPECT_STREQ(FindCatalogueNumber(number)->ClassName, className);
    }
    for (int number : {380, 390, 411, 622, 710, 880, 2060, 3260, 3590, 3730, 4230, 4490, 9070, 10600, 10620, 10680, 10700,
                       10770, 10790, 10800, 10830, 10831, 10840, 10841, 11410, 11411, 11441, 11451})
        EXPECT_NE(FindCatalogueNumber(number), nullptr) << number;
}

TEST(PurchasePackage, ACataloguedClassIsRefusedUnderAnotherNumber) {
    TFormRegistryScope scope;
    EXPECT_THROW(RegisterFormClass("TfBrPurchase", 10001, [] { return std::make_unique<TfEdPurchase>(); }, "Списък",
                                   TFormGroup::fgLists),
                 EFormError);
    EXPECT_TRUE(FormRegistry().Empty());
}

}  // namespace
}  // namespace tavrek
