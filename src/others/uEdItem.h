#pragma once

#include "others/uOthersCard.h"

namespace tavrek {

// The item card of the nomenclature: code, name, units, posting groups, producer, product
// group, prices and the usual vendor.
class TfEdItem : public TfOthersCard {
public:
    TfEdItem();
    std::string ClassName() const override { return "TfEdItem"; }
};

namespace uEdItem {
void Initialization();
void Finalization();
}  // namespace uEdItem

}  // namespace tavrek
