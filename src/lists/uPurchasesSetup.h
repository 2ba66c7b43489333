#pragma once

#include <string>

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
};

namespace uPurchasesSetup {
void Initialization();
void Finalization();
}  // namespace uPurchasesSetup

}  // namespace tavrek
