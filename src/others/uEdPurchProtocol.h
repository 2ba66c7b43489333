#pragma once

#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// The VAT protocol made from a posted invoice: its header and lines as the protocol
// procedure wrote them, the dates and the comment still editable, posted through
// PostPurchProtocol into the posted invoices with its VAT entries and transaction.
// Callers name the protocol by the posted header's Id; the editor reads it from the open
// protocols.
class TfEdPurchProtocol : public TfBaseEditMasterDetail {
public:
    TfEdPurchProtocol();
    std::string ClassName() const override { return "TfEdPurchProtocol"; }

    void PostDocument(bool print) override;

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    // 0 for a protocol of an invoice, 1 for one of a credit memo.
    int CrMemo = 0;
};

namespace uEdPurchProtocol {
void Initialization();
void Finalization();
}  // namespace uEdPurchProtocol

}  // namespace tavrek
