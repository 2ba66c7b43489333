#pragma once

#include <string>

#include "base/forms/TfBaseEditPostedDocument.h"

namespace tavrek {

// The posted return order view: the goods of an order sent back to the vendor, read-only.
class TfEdPostPurchReturnOrder : public TfBaseEditPostedDocument {
public:
    TfEdPostPurchReturnOrder();
    std::string ClassName() const override { return "TfEdPostPurchReturnOrder"; }

    static constexpr int kFormNumber = 10540;
};

namespace uEdPostPurchReturnOrder {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchReturnOrder

}  // namespace tavrek
