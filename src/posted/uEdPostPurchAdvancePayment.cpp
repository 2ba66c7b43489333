#include "posted/uEdPostPurchAdvancePayment.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

TfEdPostPurchAdvancePayment::TfEdPostPurchAdvancePayment() {
    Description.Caption = "Осчетоводено авансово плащане";
}

void TfEdPostPurchAdvancePayment::acAnnulDocumentExecute() {
    if (!uPostedPurchOperations::AdvanceDimensionIntact(*this)) return;
    TfEdPostedPurchInvoice::acAnnulDocumentExecute();
}

namespace uEdPostPurchAdvancePayment {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostPurchAdvancePayment");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostPurchAdvancePayment>(); },
                      entry.Caption, TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostPurchAdvancePayment

}  // namespace tavrek
