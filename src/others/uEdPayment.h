#pragma once

#include "base/forms/TfBaseEditMaster.h"

namespace tavrek {

// A payment to a vendor, made from a posted invoice or credit memo by its copy template:
// it proposes what is still open of that document, takes all of it or a part, and posts
// through the server, which applies it to the vendor entry in one transaction with the
// general ledger. A posted payment can no longer be changed.
class TfEdPayment : public TfBaseEditMaster {
public:
    TfEdPayment();
    std::string ClassName() const override { return "TfEdPayment"; }

    bool CheckDataModification() override;
    void PostDocument(bool print) override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

protected:
    void ApplyDefaultValues(const TDefaultValues& values) override;

private:
    void ProposePayment();
    void CheckAmount();

    TLookupDefinition accountLookup_;
};

namespace uEdPayment {
void Initialization();
void Finalization();
}  // namespace uEdPayment

}  // namespace tavrek
