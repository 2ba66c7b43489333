#pragma once

#include <string>

#include "posted/uEdPostGlobalPurchDocument.h"

namespace tavrek {

// The view of a posted consolidated invoice.
class TfEdPostGlobalPurchInvoice : public TfEdPostGlobalPurchDocument {
public:
    TfEdPostGlobalPurchInvoice();
    std::string ClassName() const override { return "TfEdPostGlobalPurchInvoice"; }
};

namespace uEdPostGlobalPurchInvoice {
void Initialization();
void Finalization();
}  // namespace uEdPostGlobalPurchInvoice

}  // namespace tavrek
