#include "posted/uEdPostGlobalPurchCrMemo.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

namespace {
const TPostedGlobalKind kKind{kDocKindPostedGlobalCrMemo, "D_PurchCrMemoHeader", "D_PurchCrMemoLine", "IsGlobalCrMemo", 1, false, true, "Осчетоводено глобално кредитно известие"};
}  // namespace

TfEdPostGlobalPurchCrMemo::TfEdPostGlobalPurchCrMemo() : TfEdPostGlobalPurchDocument(kKind) {}

namespace uEdPostGlobalPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostGlobalPurchCrMemo");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostGlobalPurchCrMemo>(); }, entry.Caption,
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostGlobalPurchCrMemo

}  // namespace tavrek
