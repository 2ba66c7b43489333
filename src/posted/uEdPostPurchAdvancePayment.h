#pragma once

#include <string>

#include "posted/uEdPostedPurchInvoice.h"

namespace tavrek {

// The view of a posted advance payment: the posted invoice view, whose annulment is refused
// once the advance was set off (its dimension no longer holds the whole amount).
class TfEdPostPurchAdvancePayment : public TfEdPostedPurchInvoice {
public:
    TfEdPostPurchAdvancePayment();
    std::string ClassName() const override { return "TfEdPostPurchAdvancePayment"; }

    void acAnnulDocumentExecute() override;
};

namespace uEdPostPurchAdvancePayment {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchAdvancePayment

}  // namespace tavrek
