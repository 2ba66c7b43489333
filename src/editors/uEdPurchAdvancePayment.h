#pragma once

#include <string>

#include "documents/uEdPurchase.h"

namespace tavrek {

// The advance payment editor: a prepayment to a vendor booked on a general-ledger account
// (the line's Code) and an analytical dimension, always on a single line.
class TfEdPurchAdvancePayment : public TfEdPurchase {
public:
    TfEdPurchAdvancePayment();
    std::string ClassName() const override { return "TfEdPurchAdvancePayment"; }

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void ContragentFieldOnChange(TField& field) override;
    bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) override;
    virtual void GenBusPostGroupMasterOnChange(TField& field);
    virtual void VATBusPostGroupMasterOnChange(TField& field);
    // A new header without lines gets its line at once.
    virtual void cdsMasterAfterScroll();
    void acSaveExecute() override;

private:
    void InsertAdvanceLine();
    void DescribeAdvanceLayout();
};

namespace uEdPurchAdvancePayment {
constexpr int kFormNumber = 10130;
// The server's kind code of an advance payment.
constexpr int kDocumentType = 30;
void Initialization();
void Finalization();
}  // namespace uEdPurchAdvancePayment

}  // namespace tavrek
