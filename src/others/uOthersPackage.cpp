#include "others/uOthersPackage.h"

#include <cstdio>

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TPackageUnits.h"
#include "base/util/Text.h"
#include "others/uEdContragent.h"
#include "others/uEdFutureCostPeriods.h"
#include "others/uEdGoodsCheck.h"
#include "others/uEdItem.h"
#include "others/uEdItemChargeAssignment.h"
#include "others/uEdPayment.h"
#include "others/uEdPurchCrMemoProtocol.h"
#include "others/uEdPurchProtocol.h"
#include "others/uEdSaleOrder.h"
#include "others/uOthersForms.h"

namespace tavrek {
namespace {

const TPackageUnit kUnits[] = {
    {uOthersForms::Initialization, uOthersForms::Finalization},
    {uEdItem::Initialization, uEdItem::Finalization},
    {uEdContragent::Initialization, uEdContragent::Finalization},
    {uEdPayment::Initialization, uEdPayment::Finalization},
    {uEdItemChargeAssignment::Initialization, uEdItemChargeAssignment::Finalization},
    {uEdFutureCostPeriods::Initialization, uEdFutureCostPeriods::Finalization},
    {uEdGoodsCheck::Initialization, uEdGoodsCheck::Finalization},
    {uEdPurchProtocol::Initialization, uEdPurchProtocol::Finalization},
    {uEdPurchCrMemoProtocol::Initialization, uEdPurchCrMemoProtocol::Finalization},
    {uEdSaleOrder::Initialization, uEdSaleOrder::Finalization},
};

}  // namespace

void OthersPackageStartup() { StartPackageUnits(kUnits); }

void OthersPackageShutdown() { StopPackageUnits(kUnits); }

void RegisterOtherPackageForm(const char* className, TFormFactory factory) {
    const TFormCatalogueEntry& entry = *FindCatalogueClass(className);
    RegisterFormClass(entry.ClassName, entry.FormNumber, std::move(factory), entry.Caption,
                      TFormGroup::fgOtherPackages);
}

Variant DefaultValueOf(const TDefaultValues& values, std::string_view name) {
    for (const TDefaultValue& value : values)
        if (EqualsIgnoreCase(value.FieldName, name)) return value.Value;
    return {};
}

std::string FixedText(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

}  // namespace tavrek
