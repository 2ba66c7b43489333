#pragma once

#include "others/uEdPurchProtocol.h"

namespace tavrek {

// The VAT protocol made from a posted credit memo: it takes back the VAT its invoice's
// protocol charged, posted into the posted credit memos.
class TfEdPurchCrMemoProtocol : public TfEdPurchProtocol {
public:
    TfEdPurchCrMemoProtocol();
    std::string ClassName() const override { return "TfEdPurchCrMemoProtocol"; }
};

namespace uEdPurchCrMemoProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPurchCrMemoProtocol

}  // namespace tavrek
