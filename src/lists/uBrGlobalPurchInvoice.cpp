#include "lists/uBrGlobalPurchInvoice.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"

namespace tavrek {

namespace {
const TGlobalListKind kKind{"Глобални фактури за покупка", 3, 0, "TfEdPurchGlobalInvoice", nullptr, 0, true, 10830};
}  // namespace

TfBrGlobalPurchInvoice::TfBrGlobalPurchInvoice() : TfBrGlobalPurchDocument(kKind) {}

namespace uBrGlobalPurchInvoice {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrGlobalPurchInvoice");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrGlobalPurchInvoice>(); }, entry.Caption,
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrGlobalPurchInvoice

}  // namespace tavrek
