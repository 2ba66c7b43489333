#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardPostedDocument.h"

namespace tavrek {

// The list of posted purchase invoices of the company, newest first; a row opens in the
// posted invoice view, or the posted advance payment view.
class TfBrPostedPurchInvoice : public TfBaseBrowseCardPostedDocument {
public:
    TfBrPostedPurchInvoice();
    std::string ClassName() const override { return "TfBrPostedPurchInvoice"; }

    void FormCreate() override;
    TVariantArray GetDocumentInfo() override;

protected:
    int CurrentCardFormNumber() override;
};

namespace uBrPostedPurchInvoice {
void Initialization();
void Finalization();
}  // namespace uBrPostedPurchInvoice

}  // namespace tavrek
