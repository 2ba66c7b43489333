#pragma once

#include <string>

#include "posted/uEdPostGlobalPurchDocument.h"

namespace tavrek {

// The view of a posted consolidated VAT protocol.
class TfEdPostGlobalPurchProtocol : public TfEdPostGlobalPurchDocument {
public:
    TfEdPostGlobalPurchProtocol();
    std::string ClassName() const override { return "TfEdPostGlobalPurchProtocol"; }
};

namespace uEdPostGlobalPurchProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPostGlobalPurchProtocol

}  // namespace tavrek
