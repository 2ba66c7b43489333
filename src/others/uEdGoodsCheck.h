#pragma once

#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// The stock check of a posted receipt: the receipt's item lines with what it took in, the
// quantity a person counted on each, and the difference, saved as a check of that receipt.
// Callers pass three values without field names: the receipt's Id, its number and the kind
// of check (1, goods received). A receipt that was checked before opens on its check, so
// that a recount replaces the figures.
class TfEdGoodsCheck : public TfBaseEditMasterDetail {
public:
    TfEdGoodsCheck();
    std::string ClassName() const override { return "TfEdGoodsCheck"; }

    void InsertDocumentFromDefaults(const TDefaultValues& values) override;
    void AttachDynamicEvents(TClientDataSet& dataSet) override;
    void acSaveExecute() override;

protected:
    void ApplyDefaultValues(const TDefaultValues& values) override;

private:
    void AddReceiptLines(const Variant& receiptId);
    void CheckCounted();
    void CountDifferences();
};

namespace uEdGoodsCheck {
void Initialization();
void Finalization();
}  // namespace uEdGoodsCheck

}  // namespace tavrek
