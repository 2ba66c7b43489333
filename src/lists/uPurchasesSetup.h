#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/forms/TfBaseEditMaster.h"

namespace tavrek {

// The purchase settings of the company signed in: its one record of the purchases setup,
// edited field by field; nothing is added to it or deleted.
class TfPurchasesSetup : public TfBaseEditMaster {
public:
    static constexpr int kFormNumber = 10900;

    TfPurchasesSetup();
    std::string ClassName() const override { return "TfPurchasesSetup"; }
    void FormCreate() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

private:
    std::vector<TLookupDefinition> accountLookups_;
};

namespace uPurchasesSetup {
void Initialization();
void Finalization();
}  // namespace uPurchasesSetup

}  // namespace tavrek
