#include "others/uEdFutureCostPeriods.h"

#include <gtest/gtest.h>

#include "OthersFixture.h"
#include "base/forms/RequestForm.h"

namespace tavrek::testing {
namespace {

// An account line of 100.00 posted on 2026-11-20, spread as the posted invoice's "Разпределяне
// на бъдещи разходи" opens the periods.
class FutureCostPeriods : public OthersFixture {
protected:
    TfEdFutureCostPeriods& Open() {
        const TFilter filter = TFilter()
                                   .Add("D_FutureCostPeriod.Comp_Id", "=", "DEMO", " AND")
                                   .Add("D_FutureCostPeriod.Master_id", "=", "{D1}", "AND")
                                   .Add("D_FutureCostPeriod.MasterLine_Id", "=", "{D1-2}");
        const TDefaultValues defaults{
            {"MasterLine_Id", "{D1-2}"}, {"Master_id", "{D1}"},
            {"hTotalValue", 100.0},      {"hAccount_id", "602"},
            {"hAccount_Name", "Наем"},   {"PostingDate", Variant(TDateTime::FromDate(2026, 11, 20))}};
        RequestForm(12230, {soNormal}, filter, Variant(), Variant(), nullptr, defaults);
        return dynamic_cast<TfEdFutureCostPeriods&>(*host.OpenForms().back());
    }
};

TEST_F(FutureCostPeriods, MonthsTakeEvenSharesAndOnlyAWholeSpreadIsSaved) {
    TfEdFutureCostPeriods& form = Open();
    form.cdsLine.Edit();
    form.cdsLine.FieldByName("Months").SetAsInteger(3);
    form.acSpreadByMonths.Execute();
    const struct {
        TDateTime period;
        double amount;
    } expected[] = {{TDateTime::FromDate(2026, 11, 1), 33.33},
                    {TDateTime::FromDate(2026, 12, 1), 33.33},
                    {TDateTime::FromDate(2027, 1, 1), 33.34}};
    ASSERT_EQ(form.cdsMaster.RecordCount(), 3);
    form.cdsMaster.First();
    for (const auto& e : expected) {
        EXPECT_EQ(form.cdsMaster.FieldByName("PeriodDate").Value().AsDateTime(), e.period);
        EXPECT_DOUBLE_EQ(form.cdsMaster.FieldByName("Amount").AsFloat(), e.amount);
        form.cdsMaster.Next();
    }
    form.cdsMaster.Last();
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("Amount").SetAsFloat(33.33);
    dialogs.ExpectMessage(mrOk, "99.99");
    form.acSave.Execute();
    EXPECT_EQ(Count("D_FutureCostPeriod"), 0);
    form.cdsMaster.Edit();
    form.cdsMaster.FieldByName("Amount").SetAsFloat(33.34);
    form.acSave.Execute();
    EXPECT_EQ(Count("D_FutureCostPeriod", "Master_id = '{D1}' AND MasterLine_Id = '{D1-2}' AND Comp_Id = 'DEMO'"), 3);
    EXPECT_EQ(Open().cdsMaster.RecordCount(), 3) << "the saved periods open again";
}

}  // namespace
}  // namespace tavrek::testing
