#pragma once

#include <string>

#include "posted/uEdPostGlobalPurchDocument.h"

namespace tavrek {

// The view of a posted consolidated credit memo.
class TfEdPostGlobalPurchCrMemo : public TfEdPostGlobalPurchDocument {
public:
    TfEdPostGlobalPurchCrMemo();
    std::string ClassName() const override { return "TfEdPostGlobalPurchCrMemo"; }
};

namespace uEdPostGlobalPurchCrMemo {
void Initialization();
void Finalization();
}  // namespace uEdPostGlobalPurchCrMemo

}  // namespace tavrek
