#pragma once

#include <string>

#include "posted/uEdPostGlobalPurchDocument.h"

namespace tavrek {

// The view of a posted consolidated credit memo protocol.
class TfEdPostGlobalPurchCrMemoProtocol : public TfEdPostGlobalPurchDocument {
public:
    TfEdPostGlobalPurchCrMemoProtocol();
    std::string ClassName() const override { return "TfEdPostGlobalPurchCrMemoProtocol"; }
};

namespace uEdPostGlobalPurchCrMemoProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPostGlobalPurchCrMemoProtocol

}  // namespace tavrek
