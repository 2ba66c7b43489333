#include "lists/uBrGlobalPurchProtocol.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"

namespace tavrek {

namespace {
const TGlobalListKind kKind{"Глобални протоколи", 40, 41, "TfEdPurchGlobalProtocol", "TfEdPurchGlobalCrMemoProtocol", 1, false, 0};
}  // namespace

TfBrGlobalPurchProtocol::TfBrGlobalPurchProtocol() : TfBrGlobalPurchDocument(kKind) {}

namespace uBrGlobalPurchProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrGlobalPurchProtocol");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrGlobalPurchProtocol>(); }, entry.Caption,
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrGlobalPurchProtocol

}  // namespace tavrek
