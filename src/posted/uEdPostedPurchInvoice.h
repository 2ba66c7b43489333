#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted purchase invoice: header pages and lines, all read-only; printing and the
// currency rate of the document.
class TfEdPostedPurchInvoice : public TfBaseEditPostedDocument {
public:
    TfEdPostedPurchInvoice();
    std::string ClassName() const override { return "TfEdPostedPurchInvoice"; }

    TAction& acShowCurrencyFactor;
    TAction& acGeneratePayment;

    void UpdateGridFooter(TGrid& grid) override;
    void FormCreate() override;
    void FormShow() override;
    TVariantArray GetDocumentInfo() override;
    TRequestResult GetPrintDocument() override;
    void acShowCurrencyFactorExecute();
    // The payment of what is open of the invoice; the view hands over to it as it closes.
    void acGeneratePaymentExecute();

private:
    void DescribeLayout();
    void LoadLedgerSubjectTypes();
};

namespace uEdPostedPurchInvoice {
void Initialization();
void Finalization();
}  // namespace uEdPostedPurchInvoice

}  // namespace tavrek
