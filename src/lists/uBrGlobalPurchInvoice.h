#pragma once

#include <string>

#include "lists/uBrGlobalPurchDocument.h"

namespace tavrek {

// The list of consolidated invoices.
class TfBrGlobalPurchInvoice : public TfBrGlobalPurchDocument {
public:
    TfBrGlobalPurchInvoice();
    std::string ClassName() const override { return "TfBrGlobalPurchInvoice"; }
};

namespace uBrGlobalPurchInvoice {
void Initialization();
void Finalization();
}  // namespace uBrGlobalPurchInvoice

}  // namespace tavrek
