#include "lists/uBrGlobalPurchCrMemo.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"

namespace tavrek {

namespace {
const TGlobalListKind kKind{"Глобални кредитни известия за покупка", 15, 0, "TfEdPurchGlobalCrMemo", nullptr, 1, true, 10840};
}  // namespace

TfBrGloablPurchCrMemo::TfBrGloablPurchCrMemo() : TfBrGlobalPurchDocument(kKind) {}

namespace uBrGlobalPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrGloablPurchCrMemo");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrGloablPurchCrMemo>(); }, entry.Caption,
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrGlobalPurchCrMemo

}  // namespace tavrek
