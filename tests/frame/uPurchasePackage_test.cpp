#include <gtest/gtest.h>

#include <algorithm>
#include <set>

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

}  // namespace
}  // namespace tavrek
