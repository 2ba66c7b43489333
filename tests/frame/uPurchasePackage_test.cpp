#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
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
    EXPECT_EQ(order.size(), 47u);
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

// Forms name the forms they open by number; the numbers and classes are in the golden file.
TEST(PurchasePackage, FormNumbersOpenTheClassesTheCatalogueNames) {
    std::ifstream in(std::string(TAVREK_TEST_DATA_DIR) + "/golden/form_catalogue_numbers.txt");
    ASSERT_TRUE(in.good());
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        int number = 0;
        std::string className;
        words >> number >> className;
        SCOPED_TRACE(number);
        ASSERT_NE(FindCatalogueNumber(number), nullptr);
        if (!className.empty()) {
            EXPECT_EQ(FindCatalogueNumber(number)->ClassName, className);
        }
    }
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
