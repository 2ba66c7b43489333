#pragma once

#include "others/uOthersCard.h"

namespace tavrek {

// The item card of the nomenclature: code, name, units, posting groups, producer, product
// group, prices, the default vendor, and what replenishment reads: the minimum stock, the
// order multiple and, per vendor, the least order and the days a delivery takes.
class TfEdItem : public TfOthersCard {
public:
    TfEdItem();
    std::string ClassName() const override { return "TfEdItem"; }

    TClientDataSet cdsVendors{"cdsVendors"};
    TGrid dbgVendors{"dbgVendors", "cdsVendors"};

    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

private:
    TLookupDefinition vendorLookup_;
};

namespace uEdItem {
void Initialization();
void Finalization();
}  // namespace uEdItem

}  // namespace tavrek
