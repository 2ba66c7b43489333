#pragma once

#include <string>

#include "lists/uBrGlobalPurchDocument.h"

namespace tavrek {

// The list of consolidated credit memos.
class TfBrGloablPurchCrMemo : public TfBrGlobalPurchDocument {
public:
    TfBrGloablPurchCrMemo();
    std::string ClassName() const override { return "TfBrGloablPurchCrMemo"; }
};

namespace uBrGlobalPurchCrMemo {
void Initialization();
void Finalization();
}  // namespace uBrGlobalPurchCrMemo

}  // namespace tavrek
