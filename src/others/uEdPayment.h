#pragma once

#include "base/forms/TfBaseEditMaster.h"

namespace tavrek {

// A payment to a vendor, made from a posted invoice or credit memo by its copy template:
// it proposes what is still open of that document in the document's currency, takes all of
// it or a part, and posts through the server, which numbers it, applies it to the vendor
// entry in one transaction with the general ledger, and takes its local amount at the
// document's rate. A posted payment can no longer be changed, only annulled.
class TfEdPayment : public TfBaseEditMaster {
public:
    TfEdPayment();
    std::string ClassName() const override { return "TfEdPayment"; }

    bool CheckDataModification() override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void PostDocument(bool print) override;
    void acAnnulDocumentExecute() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;

protected:
    void ApplyDefaultValues(const TDefaultValues& values) override;

private:
    void ProposePayment();
    void CheckAmount();
    void RunOnServer(const char* procedureKey, const char* errorKey, const char* errorText);
    bool FlagSet(const char* field);
    bool IsPosted() { return FlagSet("Posted"); }
    bool IsAnnulled() { return FlagSet("Annul"); }

    TLookupDefinition accountLookup_;
};

namespace uEdPayment {
void Initialization();
void Finalization();
}  // namespace uEdPayment

}  // namespace tavrek
