#include "posted/uEdPostGlobalPurchCrMemoProtocol.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

namespace {
const TPostedGlobalKind kKind{kDocKindPostedGlobalCrMemo, "D_PurchCrMemoHeader", "D_PurchCrMemoLine", "IsGlobalCrMemo", 1, true, false, "Осчетоводен глобален протокол към кредитно известие"};
}  // namespace

TfEdPostGlobalPurchCrMemoProtocol::TfEdPostGlobalPurchCrMemoProtocol() : TfEdPostGlobalPurchDocument(kKind) {}

namespace uEdPostGlobalPurchCrMemoProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostGlobalPurchCrMemoProtocol");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostGlobalPurchCrMemoProtocol>(); }, entry.Caption,
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostGlobalPurchCrMemoProtocol

}  // namespace tavrek
