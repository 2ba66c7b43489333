#include "replenishment/uEdPurchOrderSuggestionToVendor.h"

#include "base/data/TDateTime.h"
#include "base/forms/EAbort.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "replenishment/uSuggestionOrders.h"

namespace tavrek {

using namespace uSuggestionOrders;

namespace {

// A period bound as the server takes it: eight digits of a date.
bool IsCompactDate(const std::string& text) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int month = std::stoi(text.substr(4, 2)), day = std::stoi(text.substr(6, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace

TfEdPurchOrderSuggestionToVendor::TfEdPurchOrderSuggestionToVendor()
    : acMarkAll(AcListBase.Add("acMarkAll", "Маркирай всички", "Функции")),
      acUnmarkAll(AcListBase.Add("acUnmarkAll", "Отмаркирай всички", "Функции")),
      acInverseMark(AcListBase.Add("acInverseMark", "Инверсно маркиране", "Функции")),
      acGenerateSuggestion(AcListBase.Add("acGenerateSuggestion", "Генерирай предложение", "Общи данни")),
      btnGeneratePurch(AcListBase.Add("btnGeneratePurch", "Генерирай поръчка към доставчик", "Общи данни")) {
    MasterProvider = "D_PurchOrderSuggToVendorHeader";
    MasterTable = "D_PurchOrderSuggToVendorHeader";
    DetailProvider = "D_PurchOrderSuggToVendorLine";
    Description.Caption = "Предложение към доставчик";
    HidePostingActions();
    // Nothing of it is printed.
    acPrint.Visible = false;
    BindAction(acMarkAll, "acMarkAllExecute", [this] { MarkRecords(cdsDetail, 0, "Checked"); });
    BindAction(acUnmarkAll, "acUnmarkAllExecute", [this] { MarkRecords(cdsDetail, 1, "Checked"); });
    BindAction(acInverseMark, "acInverseMarkExecute", [this] { MarkRecords(cdsDetail, 2, "Checked"); });
    BindAction(acGenerateSuggestion, "acGenerateSuggestionExecute", [this] { acGenerateSuggestionExecute(); });
    BindAction(btnGeneratePurch, "acGeneratePurchOrderExecute", [this] {
        acGeneratePurchOrderExecute();
        acSaveExecute();
        acRefreshExecute();
    });
    for (TAction* action : {&acMarkAll, &acUnmarkAll, &acInverseMark, &acGenerateSuggestion, &btnGeneratePurch})
        action->OnUpdate = [this](TAction& a) { a.Enabled = !ReadOnly && cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    pmFunctions.Add("miMarkAll", acMarkAll);
    pmFunctions.Add("miUnmarkAll", acUnmarkAll);
    pmFunctions.Add("miInverseMark", acInverseMark);
    AddMenu(pmFunctions);
    AddHeaderFields();
    AddLineColumns();
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { StartHeader(); };
    // The lines are the server's rows: a person ticks them and changes quantities, adds none.
    cdsDetail.BeforeInsert = [](TClientDataSet&) { throw EAbort(); };
}

void TfEdPurchOrderSuggestionToVendor::AddHeaderFields() {
    using K = TFieldKind;
    Description.AddPage("tsGeneral", "Общи данни");
    Description.AddFields({
        {"DocumentNo", "Номер", K::fkText, "tsGeneral"},
        {"DocumentDate", "Дата", K::fkDate, "tsGeneral"},
        {"Comment", "Коментар", K::fkText, "tsGeneral"},
        {"Vendor_Name", "Доставчик име", K::fkLookup, "tsGeneral"},
        {"Producer_Name", "Производител име", K::fkLookup, "tsGeneral"},
        {"ProductGroup_Id", "Продуктова група", K::fkLookup, "tsGeneral"},
        {"ArrivingDays", "Пристигане(бр. дни)", K::fkNumber, "tsGeneral"},
        {"FutureAvailability", "Бъдеща нал. в дни", K::fkNumber, "tsGeneral"},
        {"FromOldPeriod", "Стар период начало", K::fkText, "tsGeneral"},
        {"ToOldPeriod", "Стар период край", K::fkText, "tsGeneral"},
        {"GenerateQtyOptions", "Генерирани количества", K::fkCombo, "tsGeneral"},
    });
    Description.FindField("DocumentNo")->ReadOnly = true;
    for (const char* period : {"FromOldPeriod", "ToOldPeriod"}) Description.FindField(period)->Hint = "ггггммдд";
    Description.FindField("GenerateQtyOptions")->DisplayFormat =
        std::string(kValueNamesFormat) + "0=Всички количества;1=Само положителни количества";
    lookups_ = {
        ParameterLookup("Vendor_Name", "доставчик", "N_Contragent", "Name", {{"Code", "Vendor_Code"}, {"Name", "Vendor_Name"}}),
        ParameterLookup("Producer_Name", "производител", "N_Producer", "Name", {{"Id", "Producer_Id"}, {"Name", "Producer_Name"}}),
        ParameterLookup("ProductGroup_Id", "продуктова група", "N_ItemProductGroup", "Id", {{"Id", "ProductGroup_Id"}}),
    };
}

void TfEdPurchOrderSuggestionToVendor::AddLineColumns() {
    dbgDetail.AddColumns({{"Checked", "Избран", 50, kCheckBoxFormat}, {"Item_Id", "Артикул", 70},
                          {"N_Item_Name", "Наименование", 220}, {"VendorNo", "Доставчик", 70},
                          {"QTYForOrder", "За поръчка", 80, "0.###"}, {"SoldQty", "Продадено", 80, "0.###"},
                          {"DailyDemand", "Дневно търсене", 80, "0.###"}, {"ArrivingDays", "Дни до доставка", 70},
                          {"OnHand", "Наличност", 80, "0.###"}, {"OnOrder", "В поръчки", 80, "0.###"},
                          {"OpenSaleQty", "Поръчано от клиенти", 90, "0.###"}, {"MinimumStock", "Мин. запас", 80, "0.###"},
                          {"LastDirectCost", "Посл. доставна цена", 90, "0.00"}});
    for (TGridColumn& column : dbgDetail.Columns)
        column.ReadOnly = column.FieldName != "Checked" && column.FieldName != "QTYForOrder";
    dbgDetail.EntryFields = {"Checked", "QTYForOrder"};
}

void TfEdPurchOrderSuggestionToVendor::StartHeader() {
    const std::string today = TDateTime::Today().Format("yyyymmdd");
    cdsMaster.FieldByName("DocumentDate").SetValue(TDateTime::Today());
    cdsMaster.FieldByName("FromOldPeriod").SetAsString(today);
    cdsMaster.FieldByName("ToOldPeriod").SetAsString(today);
    cdsMaster.FieldByName("ArrivingDays").SetAsInteger(0);
    cdsMaster.FieldByName("FutureAvailability").SetAsInteger(0);
    cdsMaster.FieldByName("GenerateQtyOptions").SetAsInteger(0);
}

void TfEdPurchOrderSuggestionToVendor::CheckPeriod() {
    for (const char* bound : {"FromOldPeriod", "ToOldPeriod"})
        if (!IsCompactDate(cdsMaster.FieldByName(bound).AsString()))
            AbortWithError("err_SuggestionPeriodDate", "Периодът се въвежда като дата ггггммдд, например 20260131.");
    for (const char* days : {"ArrivingDays", "FutureAvailability"})
        if (cdsMaster.FieldByName(days).AsFloat() < 0)
            AbortWithError("err_SuggestionDays", "Дните се въвеждат като цяло число, 0 или повече.");
}

const TLookupDefinition* TfEdPurchOrderSuggestionToVendor::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsMaster)
        for (const TLookupDefinition& lookup : lookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditMasterDetail::LookupOf(dataSet, field);
}

void TfEdPurchOrderSuggestionToVendor::FormCreate() {
    TfBaseEditMasterDetail::FormCreate();
    cdsDetail.PacketRecords = -1;
}

void TfEdPurchOrderSuggestionToVendor::FormShow() {
    TfBaseEditMasterDetail::FormShow();
    UpdateFooters();
}

void TfEdPurchOrderSuggestionToVendor::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditMasterDetail::DataSetOpened(dataSet);
    if (dataSet.DataSet == &cdsDetail) cdsDetail.AggregatesActive = true;
    // A name emptied by the user takes its code with it.
    if (dataSet.DataSet != &cdsMaster) return;
    for (const auto& [name, code] : {std::pair{"Vendor_Name", "Vendor_Code"}, {"Producer_Name", "Producer_Id"}})
        cdsMaster.FieldByName(name).OnChange = [this, code](TField& field) {
            if (field.AsString().empty()) cdsMaster.FieldByName(code).Clear();
        };
}

void TfEdPurchOrderSuggestionToVendor::UpdateGridFooter(TGrid& grid) {
    TfBaseEditMasterDetail::UpdateGridFooter(grid);
    if (&grid == &dbgDetail && cdsDetail.Active()) FillAggregateFooters(grid, cdsDetail, {});
}

void TfEdPurchOrderSuggestionToVendor::AssignDocumentNo() {
    if (cdsMaster.UpdateStatus() != TUpdateStatus::usInserted || !FieldValue(cdsMaster, "DocumentNo").IsEmpty()) return;
    TRequestResult series;
    dm().Server().RequestValue(0, "C_PurchasesSetup", "PurchOrdSegg_Series_Id",
                               TFilter().Add("C_PurchasesSetup.Id", "=", Variant(LocalData().CompanyId)), series);
    std::string drawn;
    if (series.Value().IsEmpty() ||
        dm().Server().GetNextSerieNo(series.Value().AsString(), LocalData().BusinessGroupId, drawn) < 0)
        AbortWithError("err_NoSuggestionSeries",
                       "В настройката на покупките няма серия за предложенията за поръчки, от която да се вземе номер.");
    if (cdsMaster.State() == TDataSetState::dsBrowse) cdsMaster.Edit();
    cdsMaster.FieldByName("DocumentNo").SetAsString(drawn);
    cdsMaster.FieldByName("Series_Id").SetValue(series.Value());
}

void TfEdPurchOrderSuggestionToVendor::acSaveExecute() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty()) {
        cdsMaster.CheckBrowseMode();
        CheckPeriod();
        AssignDocumentNo();
    }
    TfBaseEditMasterDetail::acSaveExecute();
}

void TfEdPurchOrderSuggestionToVendor::acGenerateSuggestionExecute() {
    if (cdsDetail.Active() && !cdsDetail.IsEmpty() &&
        MessageDlgEx(GetMessageText("que_PurchOrderSuggestionGenerateAttention"), TMsgDlgType::mtWarning, mbYesNo) !=
            mrYes)
        return;
    {
        TWaitCursor wait;
        if (!SaveData()) return;
        const auto text = [this](const char* field) { return FieldValue(cdsMaster, field).AsString(); };
        const TVariantArray params{LocalData().CompanyId,
                                   text("Vendor_Name").empty() ? std::string() : text("Vendor_Code"),
                                   text("Producer_Name").empty() ? std::string() : text("Producer_Id"),
                                   text("ProductGroup_Id"),
                                   FieldValue(cdsMaster, "ArrivingDays").AsInteger(),
                                   FieldValue(cdsMaster, "FutureAvailability").AsInteger(),
                                   text("FromOldPeriod"),
                                   text("ToOldPeriod"),
                                   FieldValue(cdsMaster, "GenerateQtyOptions").AsInteger(),
                                   text("id")};
        RunSuggestionToVendor(params, [this] { acRefreshExecute(); });
    }
    UpdateFooters();
}

void TfEdPurchOrderSuggestionToVendor::acGeneratePurchOrderExecute() {
    // A saved line whose quantity is 0 or less makes no order line.
    OrderTickedSuggestions(*this, cdsDetail, dbgDetail, {"QTYForOrder", "N_Item_Description2", true},
                           [this] { acRefreshExecute(); }, "TfEdPurchOrderSuggestionToVendor.acGeneratePurchOrderExecute");
    UpdateFooters();
}

namespace uEdPurchOrderSuggestionToVendor {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchOrderSuggestionToVendor", TfEdPurchOrderSuggestionToVendor::kFormNumber,
                      [] { return std::make_unique<TfEdPurchOrderSuggestionToVendor>(); },
                      "Предложение към доставчик (документ)", TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchOrderSuggestionToVendor
}  // namespace tavrek
