#pragma once

#include <string>

#include "base/forms/TfBaseBrowseCardPostedDocument.h"

namespace tavrek {

// The list of posted orders: the copies of completed orders and the goods an order buffer sent
// back or refused; each row opens in the view of its kind.
class TfBrPostPurchOrder : public TfBaseBrowseCardPostedDocument {
public:
    TfBrPostPurchOrder();
    std::string ClassName() const override { return "TfBrPostPurchOrder"; }

    void FormCreate() override;
    int CurrentCardFormNumber() override;

    static constexpr int kFormNumber = 10545;
};

namespace uBrPostPurchOrder {
void Initialization();
void Finalization();
}  // namespace uBrPostPurchOrder

}  // namespace tavrek
