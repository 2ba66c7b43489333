#pragma once

#include <string>

#include "lists/uBrPurchase.h"

namespace tavrek {

// The list of the company's advance payments to vendors, posted (and printed) from the list
// as invoices are.
class TfBrPurchAdvancePayment : public TfBrPurchase {
public:
    TfBrPurchAdvancePayment();
    std::string ClassName() const override { return "TfBrPurchAdvancePayment"; }

    void FormCreate() override;

protected:
    int CurrentCardFormNumber() override { return CardFormNumber; }
};

namespace uBrPurchAdvancePayment {
void Initialization();
void Finalization();
}  // namespace uBrPurchAdvancePayment

}  // namespace tavrek
