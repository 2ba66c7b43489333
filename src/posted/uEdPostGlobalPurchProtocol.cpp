#include "posted/uEdPostGlobalPurchProtocol.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

namespace {
const TPostedGlobalKind kKind{kDocKindPostedGlobalInvoice, "D_PurchInvoiceHeader", "D_PurchInvoiceLine", "IsGlobalInvoice", 0, true, true, "Осчетоводен глобален протокол"};
}  // namespace

TfEdPostGlobalPurchProtocol::TfEdPostGlobalPurchProtocol() : TfEdPostGlobalPurchDocument(kKind) {}

namespace uEdPostGlobalPurchProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostGlobalPurchProtocol");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostGlobalPurchProtocol>(); }, entry.Caption,
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostGlobalPurchProtocol

}  // namespace tavrek
