#include "documents/uEdPurchCrMemoDoc.h"

#include "base/forms/TFormRegistry.h"

namespace tavrek {

TfEdPurchCrMemoDoc::TfEdPurchCrMemoDoc() {
    NewDocumentType = uEdPurchCrMemoDoc::kDocumentType;
    Description.Caption = "Общо кредитно известие";
    Description.AddFields({
        {"VATBusPostGroup_Id", "ДДС група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"CntrPostingGroup_Id", "Група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"VATLedger", "Дневник по ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"PurchType163a", "Доставка по чл. 163а", TFieldKind::fkText, "tsFinanceData"},
    });
}

namespace uEdPurchCrMemoDoc {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchCrMemoDoc", kFormNumber, [] { return std::make_unique<TfEdPurchCrMemoDoc>(); },
                      "Общо кредитно известие", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchCrMemoDoc

}  // namespace tavrek
