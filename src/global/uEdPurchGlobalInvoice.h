#pragma once

#include <string>

#include "global/uEdPurchGlobalDocument.h"

namespace tavrek {

// The consolidated invoice: the lines of a vendor's posted invoices kept out of the VAT
// ledger, booked as one document that enters it. Its VAT base may be typed apart from the
// line value, and its lines may not come twice from the same source.
class TfEdPurchGlobalInvoice : public TfEdPurchGlobalDocument {
public:
    TfEdPurchGlobalInvoice();
    std::string ClassName() const override { return "TfEdPurchGlobalInvoice"; }

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void PostDocument(bool print) override;
    bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) override;

    void VATBaseAmountOnChange(TField&);
    void VATValueOnChange(TField&);
    void MeasureOnChange(TField&);

private:
    // Lines taken twice, as "Ред: n - Док.: number" lines; empty when there are none.
    std::string DuplicateLines();
};

namespace uEdPurchGlobalInvoice {
void Initialization();
void Finalization();
}  // namespace uEdPurchGlobalInvoice

}  // namespace tavrek
