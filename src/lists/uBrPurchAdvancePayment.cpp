#include "lists/uBrPurchAdvancePayment.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

TfBrPurchAdvancePayment::TfBrPurchAdvancePayment() {
    CardFormNumber = FindCatalogueClass("TfEdPurchAdvancePayment")->FormNumber;
    // Advances are not goods: they go to no goods check.
    acSendDocumentsForCheck.Visible = false;
}

void TfBrPurchAdvancePayment::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    ShowDocumentTypes("Авансови плащания към доставчици", kDocTypePurchAdvancePayment, kDocTypePurchAdvancePayment);
}

namespace uBrPurchAdvancePayment {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrPurchAdvancePayment");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrPurchAdvancePayment>(); },
                      entry.Caption, TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchAdvancePayment

}  // namespace tavrek
