#pragma once

#include <string>

#include "base/forms/TfBaseEditGrid.h"

namespace tavrek {

// The suggestion to vendor: per item of a vendor, producer and product group, what the sales
// of a past period say should be ordered for the days until arrival and of availability
// wanted; the ticked rows become one purchase order per vendor.
class TfBrPurchOrderSuggestionToVendor : public TfBaseEditGrid {
public:
    TfBrPurchOrderSuggestionToVendor();
    std::string ClassName() const override { return "TfBrPurchOrderSuggestionToVendor"; }

    TAction& acMarkAll;
    TAction& acUnmarkAll;
    TAction& acInverseMark;
    TAction& acGenerateSuggestion;
    TAction& acGeneratePurchOrder;
    TAction& acExecuteVendorNameSelector;
    TAction& acExecuteProducerINameSelector;
    TAction& acExecutePGroupIdSelector;
    // The saved suggestion documents: a new one on the parameters typed here, or one saved before.
    TAction& acNewSuggestionDocument;
    TAction& acOpenSuggestionDocument;
    TMenu pmFunctions{"pmFunctions", "Функции"};
    // The parameters of a run, one field per control of the "Общи данни" page.
    TClientDataSet cdsParams{"cdsParams"};

    void FormCreate() override;
    void FormShow() override;
    void UpdateGridFooter(TGrid& grid) override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;
    void acGenerateSuggestionExecute();
    void acGeneratePurchOrderExecute();
    void acNewSuggestionDocumentExecute();
    void acOpenSuggestionDocumentExecute();

    static constexpr int kFormNumber = 10760;

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    void AddParameterFields();
    // Keeps only the digits of a day count; an emptied box holds "0".
    void KeepDigits(TField& field);
    std::vector<TLookupDefinition> lookups_;
};

namespace uBrPurchOrderSuggestionToVendor {
void Initialization();
void Finalization();
}  // namespace uBrPurchOrderSuggestionToVendor

}  // namespace tavrek
