#include "posted/uEdPostGlobalPurchInvoice.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

namespace {
const TPostedGlobalKind kKind{kDocKindPostedGlobalInvoice, "D_PurchInvoiceHeader", "D_PurchInvoiceLine", "IsGlobalInvoice", 0, false, true, "Осчетоводена глобална фактура"};
}  // namespace

TfEdPostGlobalPurchInvoice::TfEdPostGlobalPurchInvoice() : TfEdPostGlobalPurchDocument(kKind) {}

namespace uEdPostGlobalPurchInvoice {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostGlobalPurchInvoice");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostGlobalPurchInvoice>(); }, entry.Caption,
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostGlobalPurchInvoice

}  // namespace tavrek
