#pragma once

#include <string>

#include "documents/uEdPurchase.h"

namespace tavrek {

// The generic purchase document: a purchase booked by account and VAT data rather than by
// goods. The user may type a line's VAT base and VAT amount, and the header's posting groups
// apply to every line.
class TfEdPurchaseDoc : public TfEdPurchase {
public:
    TfEdPurchaseDoc();
    std::string ClassName() const override { return "TfEdPurchaseDoc"; }

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void VATValueOnChange(TField& field) override;
    virtual void VATBaseAmountOnChange(TField& field);
    virtual void GenBusPostGroupMasterOnChange(TField& field);
    virtual void VATBusPostGroupMasterOnChange(TField& field);
    bool OnSaveBeforeGetData() override;
    void GetPanelDetailsMaster() override;
};

namespace uEdPurchaseDoc {
constexpr int kFormNumber = 10160;
// The server's kind code of a generic purchase document.
constexpr int kDocumentType = 31;
void Initialization();
void Finalization();
}  // namespace uEdPurchaseDoc

}  // namespace tavrek
