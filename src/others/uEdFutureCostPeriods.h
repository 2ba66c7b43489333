#pragma once

#include "base/forms/TfBase.h"
#include "others/uOthersPackage.h"

namespace tavrek {

// Spreads an account line of a document over the months it is a cost of: the periods and
// their amounts, proposed evenly over a number of months from the first one or typed, and
// saved only when they add up to the line's amount. Posting defers the line and takes the
// periods from here.
class TfEdFutureCostPeriods : public TfBase {
public:
    TfEdFutureCostPeriods();
    std::string ClassName() const override { return "TfEdFutureCostPeriods"; }

    TAction& acSpreadByMonths;
    // The line: hAccount_id, hAccount_Name and hTotalValue from the caller; Months and
    // FirstPeriod for the spread.
    TClientDataSet cdsLine{"cdsLine"};

    void FormShow() override;
    void acSaveExecute() override;
    void acSpreadByMonthsExecute();

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    Variant Default(std::string_view name) const { return DefaultValueOf(DefaultValues, name); }
};

namespace uEdFutureCostPeriods {
void Initialization();
void Finalization();
}  // namespace uEdFutureCostPeriods

}  // namespace tavrek
