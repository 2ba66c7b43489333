#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted rejected order view: the quantities of an order that were refused, read-only,
// and their annulment.
class TfEdPostPurchRejectOrder : public TfBaseEditPostedDocument {
public:
    TfEdPostPurchRejectOrder();
    std::string ClassName() const override { return "TfEdPostPurchRejectOrder"; }
    void acAnnulDocumentExecute() override;

    static constexpr int kFormNumber = 10520;
};

namespace uEdPostPurchRejectOrder {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchRejectOrder

}  // namespace tavrek
