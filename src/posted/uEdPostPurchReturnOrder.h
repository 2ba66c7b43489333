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

// The header and lines of a posted return or rejection of order quantities; a rejection
// also shows the order's date.
void DescribePostedOrderOperation(TfBaseEditPostedDocument& view, const char* caption, bool withOrderDate);

namespace uEdPostPurchReturnOrder {
void Initialization();
void Finalization();
}  // namespace uEdPostPurchReturnOrder

}  // namespace tavrek
