#pragma once

#include "others/uOthersCard.h"

namespace tavrek {

// The contragent card: code, name, identification, address, and what purchase documents
// take from the vendor (currency, payment, posting groups, prices with VAT).
class TfEdContragent : public TfOthersCard {
public:
    TfEdContragent();
    std::string ClassName() const override { return "TfEdContragent"; }
};

namespace uEdContragent {
void Initialization();
void Finalization();
}  // namespace uEdContragent

}  // namespace tavrek
