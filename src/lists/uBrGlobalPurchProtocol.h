#pragma once

#include <string>

#include "lists/uBrGlobalPurchDocument.h"

namespace tavrek {

// The list of consolidated VAT protocols, of invoices and of credit memos; they are posted from their editors.
class TfBrGlobalPurchProtocol : public TfBrGlobalPurchDocument {
public:
    TfBrGlobalPurchProtocol();
    std::string ClassName() const override { return "TfBrGlobalPurchProtocol"; }
};

namespace uBrGlobalPurchProtocol {
void Initialization();
void Finalization();
}  // namespace uBrGlobalPurchProtocol

}  // namespace tavrek
