#pragma once

#include <string>

#include "global/uEdPurchGlobalDocument.h"

namespace tavrek {

// The consolidated credit memo: the lines of a vendor's posted credit memos kept out of the
// VAT ledger, booked as one credit memo that enters it.
class TfEdPurchGlobalCrMemo : public TfEdPurchGlobalDocument {
public:
    TfEdPurchGlobalCrMemo();
    std::string ClassName() const override { return "TfEdPurchGlobalCrMemo"; }

    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void PostDocument(bool print) override;

    void MeasureOnChange(TField&);
};

namespace uEdPurchGlobalCrMemo {
void Initialization();
void Finalization();
}  // namespace uEdPurchGlobalCrMemo

}  // namespace tavrek
