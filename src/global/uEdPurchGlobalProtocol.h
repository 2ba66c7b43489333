#pragma once

#include <string>

#include "global/uEdPurchGlobalDocument.h"

namespace tavrek {

// The consolidated VAT protocol: the company charges itself the VAT of a vendor's documents
// (an acquisition from the EU, say) in one protocol, posted as a purchase protocol. Its lines
// take the company's own VAT business group from the header.
class TfEdPurchGlobalProtocol : public TfEdPurchGlobalDocument {
public:
    TfEdPurchGlobalProtocol();
    std::string ClassName() const override { return "TfEdPurchGlobalProtocol"; }

    // While set, a line's VAT business group changed by the header does not walk every line.
    bool GroupPropagation = false;

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void PostDocument(bool print) override;
    bool CheckCanDeleteRecord() override { return true; }

    void VATBusPostGroupMasterOnChange(TField&);
    void VATBusPostGroupOnChange(TField&);
    void BusinessGroupOnChange(TField&);

private:
    // A posted protocol of the same vendor to the same document exists already.
    bool ProtocolExists();
};

namespace uEdPurchGlobalProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPurchGlobalProtocol

}  // namespace tavrek
