#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The view of a posted purchase credit memo, with the follow-up operations of the posted
// invoice in credit memo form: annulment, a payment from a copy-document template, the VAT
// protocol and the item charges of a line.
class TfEdPostedPurchCrMemo : public TfBaseEditPostedDocument {
public:
    TfEdPostedPurchCrMemo();
    std::string ClassName() const override { return "TfEdPostedPurchCrMemo"; }

    TAction& acGeneratePayment;
    TAction& acGeneratePurchCrMemoProtocol;
    TAction& acItemChargeAssigned;

    void FormCreate() override;
    void FormShow() override;
    TVariantArray GetDocumentInfo() override { return {1, 1}; }
    void acAnnulDocumentExecute() override;

    void acGeneratePaymentExecute();
    void acGeneratePurchCrMemoProtocolExecute();
    void acItemChargeAssignedExecute();

private:
    void DescribeLayout();
};

namespace uEdPostedPurchCrMemo {
// The form number of the posted credit memo view: its copy templates are keyed by it.
constexpr int kFormNumber = 10190;
void Initialization();
void Finalization();
}  // namespace uEdPostedPurchCrMemo

}  // namespace tavrek
