#pragma once

#include <string>
#include <vector>

#include "base/forms/TfBaseEditGrid.h"

namespace tavrek {

// The replenishment worksheet of the company: the server's suggestion of what to buy, row by
// row, ticked and edited by the buyer and turned into one purchase order per vendor.
class TfBrPurchOrderSuggestion : public TfBaseEditGrid {
public:
    TfBrPurchOrderSuggestion();
    std::string ClassName() const override { return "TfBrPurchOrderSuggestion"; }

    TAction& acMarkAll;
    TAction& acUnmarkAll;
    TAction& acInverseMark;
    TAction& acGenerateSuggestion;
    TAction& acGeneratePurchOrder;
    TMenu pmFunctions{"pmFunctions", "Функции"};

    void FormCreate() override;
    void FormShow() override;
    void UpdateGridFooter(TGrid& grid) override;
    void acGenerateSuggestionExecute();
    void acGeneratePurchOrderExecute();

    static constexpr int kFormNumber = 10750;

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    // Runs the rest of the order generation once the user confirmed and chose the subtype.
    void GenerateOrders(const std::vector<std::string>& vendors, const std::string& subType);
    void DeleteCreatedOrders(const std::vector<std::string>& orders);
    // Whether fn_CheckPurchOrderFromSgg finds a row for the order.
    bool OrderDiffersFromSuggestion(const std::string& orderId);
};

namespace uBrPurchOrderSuggestion {
void Initialization();
void Finalization();
}  // namespace uBrPurchOrderSuggestion

}  // namespace tavrek
