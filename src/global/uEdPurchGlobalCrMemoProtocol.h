#pragma once

#include <string>

#include "global/uEdPurchGlobalDocument.h"

namespace tavrek {

// The consolidated protocol of a vendor's posted credit memos, posted as a credit memo
// protocol. The header's VAT business group is pushed to every line with its VAT rates.
class TfEdPurchGlobalCrMemoProtocol : public TfEdPurchGlobalDocument {
public:
    TfEdPurchGlobalCrMemoProtocol();
    std::string ClassName() const override { return "TfEdPurchGlobalCrMemoProtocol"; }

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void PostDocument(bool print) override;
    // Its sources are taken out with no count to compare: the inherited step always runs.
    void acDeleteLinesFromDocsExecute() override;

    void VATBusPostGroupOnChange(TField&);
};

namespace uEdPurchGlobalCrMemoProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPurchGlobalCrMemoProtocol

}  // namespace tavrek
