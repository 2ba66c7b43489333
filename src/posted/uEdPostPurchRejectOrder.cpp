#include "posted/uEdPostPurchRejectOrder.h"

#include "base/forms/TFormRegistry.h"
#include "posted/uEdPostPurchReturnOrder.h"

namespace tavrek {

TfEdPostPurchRejectOrder::TfEdPostPurchRejectOrder() {
    pmDocument.Find("miSaveOperationTemplate")->SetVisible(false);
    DescribePostedOrderOperation(*this, "Отказана поръчка", true);
}

void TfEdPostPurchRejectOrder::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    AnnulPostedOrderOperation(*this);
}

namespace uEdPostPurchRejectOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostPurchRejectOrder", TfEdPostPurchRejectOrder::kFormNumber, [] { return std::make_unique<TfEdPostPurchRejectOrder>(); },
                      "Отказана поръчка", TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostPurchRejectOrder

}  // namespace tavrek
