#pragma once

#include <string>
#include <vector>

#include "base/forms/TfBaseEditGrid.h"

namespace tavrek {

// The suggestion by sale order: what the store of the signed-in business group lacks for its
// sale orders (or for its own needs), ticked and turned by the server into one purchase order
// of the vendor chosen on the form.
class TfBrPurchOrderSuggBySaleOrder : public TfBaseEditGrid {
public:
    TfBrPurchOrderSuggBySaleOrder();
    std::string ClassName() const override { return "TfBrPurchOrderSuggBySaleOrder"; }

    TAction& acGenerateSuggestion;
    TAction& acGenerateSuggestionStore;
    TAction& acGenPurchOrder;
    TAction& acMarkAll;
    TAction& acUnmarkAll;
    TAction& acInverseMark;
    TAction& acExecuteOrderContragent;
    TAction& acGetPayMethod;
    TMenu pmFunctions{"pmFunctions", "Функции"};
    TTimer tmrGetContragent{"tmrGetContragent"};
    // The controls of the "Нови поръчки" page: the vendor, the subtype and the payment method.
    TClientDataSet cdsOrder{"cdsOrder"};

    void FormCreate() override;
    const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field) override;
    void GenerateSuggestion(int mode);
    void acGenPurchOrderExecute();
    void tmrGetContragentTimer();

    static constexpr int kFormNumber = 10780;

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;

private:
    void AddOrderFields();
    void CreateOrder();
    std::vector<TLookupDefinition> lookups_;
};

namespace uBrPurchOrderSuggBySaleOrder {
void Initialization();
void Finalization();
}  // namespace uBrPurchOrderSuggBySaleOrder

}  // namespace tavrek
