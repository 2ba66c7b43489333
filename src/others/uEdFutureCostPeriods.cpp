#include "others/uEdFutureCostPeriods.h"

#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace {

constexpr int kAmountDecimals = 2;

// The first day of the month months after the month of date.
TDateTime MonthStart(TDateTime date, int months) {
    int year = 0, month = 0, day = 0;
    date.DecodeDate(year, month, day);
    const int index = year * 12 + (month - 1) + months;
    return TDateTime::FromDate(index / 12, index % 12 + 1, 1);
}

}  // namespace

TfEdFutureCostPeriods::TfEdFutureCostPeriods()
    : acSpreadByMonths(AcListBase.Add("acSpreadByMonths", "Разпредели по месеци", "Документ")) {
    MasterProvider = "D_FutureCostPeriod";
    MasterTable = "D_FutureCostPeriod";
    for (const auto& [field, type] :
         {std::pair{"hAccount_id", TFieldType::ftString}, std::pair{"hAccount_Name", TFieldType::ftString},
          std::pair{"hTotalValue", TFieldType::ftFloat}, std::pair{"Months", TFieldType::ftInteger},
          std::pair{"FirstPeriod", TFieldType::ftDateTime}})
        cdsLine.AddField(field, type);
    AddDataSet({&cdsLine, "", nullptr, "", "Id", false});
    Description.AddReadOnlyFields({{"hAccount_id", "Сметка", TFieldKind::fkText, ""},
                                   {"hAccount_Name", "Ред", TFieldKind::fkText, ""},
                                   {"hTotalValue", "Сума за разпределяне", TFieldKind::fkNumber, ""}});
    Description.AddFields(
        {{"Months", "Брой месеци", TFieldKind::fkNumber, ""}, {"FirstPeriod", "От месец", TFieldKind::fkDate, ""}});
    for (THeaderField& field : Description.Fields) field.DataSet = cdsLine.Name;
    dbgMaster.AddColumn("PeriodDate", "Период", 90).DisplayFormat = "dd.mm.yyyy";
    TGridColumn& amount = dbgMaster.AddColumn("Amount", "Сума", 100);
    amount.DisplayFormat = "0.00";
    amount.FooterAggregate = "Agg_Amount";
    for (TAction* action : {&acInsertRecord, &acPrint}) action->Visible = false;
    BindAction(acSpreadByMonths, "acSpreadByMonthsExecute", [this] { acSpreadByMonthsExecute(); });
}

void TfEdFutureCostPeriods::FormShow() {
    cdsLine.CreateDataSet();
    cdsLine.Append();
    for (const char* field : {"hAccount_id", "hAccount_Name", "hTotalValue"})
        cdsLine.FieldByName(field).SetValue(Default(field));
    cdsLine.FieldByName("Months").SetAsInteger(12);
    const Variant date = Default("PostingDate").IsEmpty() ? Default("DocumentDate") : Default("PostingDate");
    cdsLine.FieldByName("FirstPeriod").SetValue(date.IsEmpty() ? Variant(TDateTime::Today()) : date);
    cdsLine.Post();
    TfBase::FormShow();
}

// New periods belong to the caller's line.
void TfEdFutureCostPeriods::DataSetOpened(TFormDataSet& dataSet) {
    TfBase::DataSetOpened(dataSet);
    if (dataSet.DataSet != &cdsMaster) return;
    if (cdsMaster.FindAggregate("Agg_Amount") == nullptr) cdsMaster.AddAggregate("Agg_Amount", "SUM(Amount)");
    cdsMaster.OnNewRecord = [this](TClientDataSet&) {
        FillNewRecordKeys(*FindFormDataSet(cdsMaster));
        cdsMaster.FieldByName("Master_id").SetValue(Default("Master_id"));
        cdsMaster.FieldByName("MasterLine_Id").SetValue(Default("MasterLine_Id"));
    };
}

void TfEdFutureCostPeriods::acSpreadByMonthsExecute() {
    cdsLine.CheckBrowseMode();
    const int64_t months = cdsLine.FieldByName("Months").AsInteger();
    if (months <= 0) AbortWithError("err_FutureCostMonths", "Въведете брой месеци, по-голям от нула.");
    const double total = cdsLine.FieldByName("hTotalValue").AsFloat();
    const TDateTime first = cdsLine.FieldByName("FirstPeriod").Value().AsDateTime();
    for (cdsMaster.First(); !cdsMaster.IsEmpty(); cdsMaster.First()) cdsMaster.Delete();
    double given = 0;
    for (int64_t month = 0; month < months; ++month) {
        const double amount = month + 1 == months ? RoundUp(total - given, kAmountDecimals)
                                                  : RoundUp(total / static_cast<double>(months), kAmountDecimals);
        cdsMaster.Append();
        cdsMaster.FieldByName("PeriodDate").SetValue(Variant(MonthStart(first, static_cast<int>(month))));
        cdsMaster.FieldByName("Amount").SetAsFloat(amount);
        cdsMaster.Post();
        given += amount;
    }
    cdsMaster.First();
}

void TfEdFutureCostPeriods::acSaveExecute() {
    cdsMaster.CheckBrowseMode();
    const double spread = RoundUp(cdsMaster.AggregateValue("Agg_Amount").AsFloat(), kAmountDecimals);
    const double total = RoundUp(cdsLine.FieldByName("hTotalValue").AsFloat(), kAmountDecimals);
    if (spread != total) {
        const std::string text =
            GetMessageText("err_FutureCostSum", "Разпределената сума %s не е равна на сумата на реда %s.");
        MessageDlgEx(FormatMessage(text, {FixedText(spread, kAmountDecimals), FixedText(total, kAmountDecimals)}),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    TfBase::acSaveExecute();
}

namespace uEdFutureCostPeriods {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdFutureCostPeriods", [] { return std::make_unique<TfEdFutureCostPeriods>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdFutureCostPeriods
}  // namespace tavrek
