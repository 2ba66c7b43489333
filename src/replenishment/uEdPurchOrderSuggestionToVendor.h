#pragma once

#include <string>

#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// A saved suggestion to vendor: the header keeps the parameters of the run, the lines its
// rows, so a buyer can come back to a suggestion and order from it later.
class TfEdPurchOrderSuggestionToVendor : public TfBaseEditMasterDetail {
public:
    TfEdPurchOrderSuggestionToVendor();
    std::string ClassName() const override { return "TfEdPurchOrderSuggestionToVendor"; }

    TAction& acMarkAll;
    TAction& acUnmarkAll;
    TAction& acInverseMark;
    TAction& acGenerateSuggestion;
    // The button "Генерирай поръчка към доставчик": the orders, then save and refresh.
    TAction& btnGeneratePurch;
    TMenu pmFunctions{"pmFunctions", "Функции"};

    void FormCreate() override;
    void FormShow() override;
    void acSaveExecute() override;
    void UpdateGridFooter(TGrid& grid) override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;
    void acGenerateSuggestionExecute();
    void acGeneratePurchOrderExecute();

    static constexpr int kFormNumber = 10761;

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    void AddHeaderFields();
    void AddLineColumns();
    void StartHeader();
    // A new document takes its number from the suggestion series of the purchases setup.
    void AssignDocumentNo();
    void CheckPeriod();
    std::vector<TLookupDefinition> lookups_;
};

namespace uEdPurchOrderSuggestionToVendor {
void Initialization();
void Finalization();
}  // namespace uEdPurchOrderSuggestionToVendor

}  // namespace tavrek
