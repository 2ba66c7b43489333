#pragma once

#include "base/forms/TfBase.h"
#include "others/uOthersPackage.h"

namespace tavrek {

// Spreads an item charge line of a document over the document's item lines: by quantity,
// by amount, or as typed. The quantities assigned must add up to the charge's quantity;
// posting shares the charge's cost among the item lines in their proportion.
class TfEdItemChargeAssignment : public TfBase {
public:
    TfEdItemChargeAssignment();
    std::string ClassName() const override { return "TfEdItemChargeAssignment"; }

    TAction& acSuggestByQuantity;
    TAction& acSuggestByAmount;
    // The charge: ItemCharge_Id, Quantity (to assign) and UnitCost (its amount), from the caller.
    TClientDataSet cdsCharge{"cdsCharge"};
    // The stored assignments of the charge line.
    TClientDataSet cdsAssignment{"cdsAssignment"};

    void FormShow() override;
    void acSaveExecute() override;
    // Shares the charge's quantity among the item lines in proportion to a line field.
    void SuggestBy(const std::string& field);

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;

private:
    Variant Default(std::string_view name) const { return DefaultValueOf(DefaultValues, name); }
    std::string ChargeLineId() const;
    void LoadItemLines();
    void StoreAssignments();
};

namespace uEdItemChargeAssignment {
void Initialization();
void Finalization();
}  // namespace uEdItemChargeAssignment

}  // namespace tavrek
