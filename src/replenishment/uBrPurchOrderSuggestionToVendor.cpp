#include "replenishment/uBrPurchOrderSuggestionToVendor.h"

#include <stdexcept>

#include "base/data/TDateTime.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "replenishment/uSuggestionOrders.h"

namespace tavrek {

using namespace uSuggestionOrders;

namespace {

constexpr int kSuggestionDocument = 10761;

// A day count as the server takes it: digits only, and no more than an integer holds.
int StrictInteger(const std::string& text) {
    size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size()) throw std::invalid_argument("'" + text + "' не е цяло число");
    return value;
}

std::string CompactDate(const TField& field) {
    int year = 0, month = 0, day = 0;
    TDateTime(field.AsFloat()).DecodeDate(year, month, day);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
    return text;
}

}  // namespace

TfBrPurchOrderSuggestionToVendor::TfBrPurchOrderSuggestionToVendor()
    : acMarkAll(AcListBase.Add("acMarkAll", "Маркирай всички", "Функции")),
      acUnmarkAll(AcListBase.Add("acUnmarkAll", "Отмаркирай всички", "Функции")),
      acInverseMark(AcListBase.Add("acInverseMark", "Инверсно маркиране", "Функции")),
      acGenerateSuggestion(AcListBase.Add("acGenerateSuggestion", "Генерирай предл.", "Общи данни")),
      acGeneratePurchOrder(AcListBase.Add("acGeneratePurchOrder", "Генерирай поръчка към доставчик", "Общи данни")),
      acExecuteVendorNameSelector(AcListBase.Add("acExecuteVendorNameSelector", "Избор на доставчик...", "Общи данни")),
      acExecuteProducerINameSelector(AcListBase.Add("acExecuteProducerINameSelector", "Избор на производител...", "Общи данни")),
      acExecutePGroupIdSelector(AcListBase.Add("acExecutePGroupIdSelector", "Избор на продуктова група...", "Общи данни")),
      acNewSuggestionDocument(AcListBase.Add("acNewSuggestionDocument", "Нов документ с тези параметри", "Документи")),
      acOpenSuggestionDocument(AcListBase.Add("acOpenSuggestionDocument", "Запазени предложения...", "Документи")) {
    MasterProvider = "D_PurchOrderSuggToVendorLine";
    MasterTable = "D_PurchOrderSuggToVendorLine";
    Description.Caption = "Предложения към доставчик";
    acInsertRecord.Visible = false;
    HidePostingActions();
    BindAction(acMarkAll, "acMarkAllExecute", [this] { MarkRecords(cdsMaster, 0, "Checked"); });
    BindAction(acUnmarkAll, "acUnmarkAllExecute", [this] { MarkRecords(cdsMaster, 1, "Checked"); });
    BindAction(acInverseMark, "acInverseMarkExecute", [this] { MarkRecords(cdsMaster, 2, "Checked"); });
    BindAction(acGenerateSuggestion, "acGenerateSuggestionExecute", [this] { acGenerateSuggestionExecute(); });
    BindAction(acGeneratePurchOrder, "acGeneratePurchOrderExecute", [this] { acGeneratePurchOrderExecute(); });
    BindAction(acNewSuggestionDocument, "acNewSuggestionDocumentExecute", [this] { acNewSuggestionDocumentExecute(); });
    BindAction(acOpenSuggestionDocument, "acOpenSuggestionDocumentExecute", [this] { acOpenSuggestionDocumentExecute(); });
    pmFunctions.Add("miMarkAll", acMarkAll);
    pmFunctions.Add("miUnmarkAll", acUnmarkAll);
    pmFunctions.Add("miInverseMark", acInverseMark);
    AddMenu(pmFunctions);
    AddParameterFields();
    dbgMaster.AddColumns({{"Checked", "Избран", 50, kCheckBoxFormat}, {"Item_Id", "Артикул", 70},
                          {"N_Item_Name", "Наименование", 220}, {"VendorNo", "Доставчик", 70},
                          {"QTYForOrder", "За поръчка", 80, "0.###"}, {"SoldQty", "Продадено", 80, "0.###"},
                          {"DailyDemand", "Дневно търсене", 80, "0.###"}, {"ArrivingDays", "Дни до доставка", 70},
                          {"OnHand", "Наличност", 80, "0.###"}, {"OnOrder", "В поръчки", 80, "0.###"},
                          {"OpenSaleQty", "Поръчано от клиенти", 90, "0.###"}, {"MinimumStock", "Мин. запас", 80, "0.###"},
                          {"LastDirectCost", "Посл. доставна цена", 90, "0.00"}});
    for (TGridColumn& column : dbgMaster.Columns)
        column.ReadOnly = column.FieldName != "Checked" && column.FieldName != "QTYForOrder";
    dbgMaster.EntryFields = {"Checked", "QTYForOrder"};
}

void TfBrPurchOrderSuggestionToVendor::AddParameterFields() {
    for (const char* name : {"edtVendorCode", "edtVendorName", "edtProducerId", "edtProducerName", "edtProductGroup",
                             "edtArrivingDays", "edtFutureAvailabilityPeriod"})
        cdsParams.AddField(name, TFieldType::ftString);
    cdsParams.AddField("dtpFromOldPeriod", TFieldType::ftDateTime);
    cdsParams.AddField("dtpToOldPeriod", TFieldType::ftDateTime);
    cdsParams.AddField("rgGenerateQtyOptions", TFieldType::ftInteger);
    cdsParams.CreateDataSet();
    cdsParams.Append();
    cdsParams.FieldByName("edtArrivingDays").SetAsString("0");
    cdsParams.FieldByName("edtFutureAvailabilityPeriod").SetAsString("0");
    cdsParams.FieldByName("rgGenerateQtyOptions").SetAsInteger(0);
    cdsParams.Post();
    AddDataSet({&cdsParams, "", nullptr, "", "Id", false});
    Description.AddPage("tsGeneral", "Общи данни");
    Description.AddFields({
        {"edtVendorName", "Доставчик име", TFieldKind::fkLookup, "tsGeneral"},
        {"edtProducerName", "Производител име", TFieldKind::fkLookup, "tsGeneral"},
        {"edtProductGroup", "Продуктова група", TFieldKind::fkLookup, "tsGeneral"},
        {"edtArrivingDays", "Пристигане(бр. дни)", TFieldKind::fkText, "tsGeneral"},
        {"edtFutureAvailabilityPeriod", "Бъдеща н-ст в дни", TFieldKind::fkText, "tsGeneral"},
        {"dtpFromOldPeriod", "Стар период начало", TFieldKind::fkDate, "tsGeneral"},
        {"dtpToOldPeriod", "Стар период край", TFieldKind::fkDate, "tsGeneral"},
        {"rgGenerateQtyOptions", "Генерирани количества", TFieldKind::fkCombo, "tsGeneral"},
    });
    for (THeaderField& field : Description.Fields) field.DataSet = cdsParams.Name;
    Description.FindField("rgGenerateQtyOptions")->DisplayFormat =
        std::string(kValueNamesFormat) + "0=Всички количества;1=Само положителни количества";
    // A name emptied by the user takes its code with it.
    for (const auto& [name, code] : {std::pair{"edtVendorName", "edtVendorCode"}, {"edtProducerName", "edtProducerId"}})
        cdsParams.FieldByName(name).OnChange = [this, code](TField& field) {
            if (field.AsString().empty()) cdsParams.FieldByName(code).Clear();
        };
    for (const char* days : {"edtArrivingDays", "edtFutureAvailabilityPeriod"})
        cdsParams.FieldByName(days).OnChange = [this](TField& field) { KeepDigits(field); };
    lookups_ = {
        ParameterLookup("edtVendorName", "доставчик", "N_Contragent", "Name", {{"Code", "edtVendorCode"}, {"Name", "edtVendorName"}}),
        ParameterLookup("edtProducerName", "производител", "N_Producer", "Name", {{"Id", "edtProducerId"}, {"Name", "edtProducerName"}}),
        ParameterLookup("edtProductGroup", "продуктова група", "N_ItemProductGroup", "Id", {{"Id", "edtProductGroup"}}),
    };
    const auto select = [this](const char* field) {
        SelectLookup(*Description.FindField(field), cdsParams.FieldByName(field).AsString());
    };
    BindAction(acExecuteVendorNameSelector, "acExecuteVendorNameSelectorExecute", [select] { select("edtVendorName"); });
    BindAction(acExecuteProducerINameSelector, "acExecuteProducerINameSelectorExecute",
               [select] { select("edtProducerName"); });
    BindAction(acExecutePGroupIdSelector, "acExecutePGroupIdSelectorExecute", [select] { select("edtProductGroup"); });
}

void TfBrPurchOrderSuggestionToVendor::KeepDigits(TField& field) {
    const std::string typed = field.AsString();
    std::string digits;
    for (char c : typed)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.empty()) digits = "0";
    if (digits != typed) field.SetAsString(digits);
}

const TLookupDefinition* TfBrPurchOrderSuggestionToVendor::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsParams)
        for (const TLookupDefinition& lookup : lookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditGrid::LookupOf(dataSet, field);
}

void TfBrPurchOrderSuggestionToVendor::FormCreate() {
    TfBaseEditGrid::FormCreate();
    cdsMaster.PacketRecords = -1;
}

void TfBrPurchOrderSuggestionToVendor::FormShow() {
    cdsParams.Edit();
    cdsParams.FieldByName("dtpFromOldPeriod").SetValue(TDateTime::Today());
    cdsParams.FieldByName("dtpToOldPeriod").SetValue(TDateTime::Today());
    cdsParams.Post();
    TfBaseEditGrid::FormShow();
    UpdateFooters();
}

TFilter TfBrPurchOrderSuggestionToVendor::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsMaster) return TfBaseEditGrid::DataSetFilter(dataSet);
    return TFilter().Add("D_PurchOrderSuggToVendorLine.Master_Id", "IS", "NULL");
}

void TfBrPurchOrderSuggestionToVendor::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditGrid::DataSetOpened(dataSet);
    if (dataSet.DataSet == &cdsMaster) cdsMaster.AggregatesActive = true;
}

void TfBrPurchOrderSuggestionToVendor::UpdateGridFooter(TGrid& grid) {
    TfBaseEditGrid::UpdateGridFooter(grid);
    if (&grid == &dbgMaster && cdsMaster.Active()) FillAggregateFooters(grid, cdsMaster, {});
}

void TfBrPurchOrderSuggestionToVendor::acGenerateSuggestionExecute() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty() &&
        MessageDlgEx(GetMessageText("que_PurchOrderSuggestionGenerateAttention"), TMsgDlgType::mtWarning, mbYesNo) !=
            mrYes)
        return;
    {
        TWaitCursor wait;
        cdsParams.CheckBrowseMode();
        TField& vendorName = cdsParams.FieldByName("edtVendorName");
        TField& producerName = cdsParams.FieldByName("edtProducerName");
        cdsParams.Edit();
        if (vendorName.AsString().empty()) cdsParams.FieldByName("edtVendorCode").Clear();
        if (producerName.AsString().empty()) cdsParams.FieldByName("edtProducerId").Clear();
        cdsParams.Post();
        const TVariantArray params{LocalData().CompanyId,
                                   cdsParams.FieldByName("edtVendorCode").AsString(),
                                   cdsParams.FieldByName("edtProducerId").AsString(),
                                   cdsParams.FieldByName("edtProductGroup").AsString(),
                                   StrictInteger(cdsParams.FieldByName("edtArrivingDays").AsString()),
                                   StrictInteger(cdsParams.FieldByName("edtFutureAvailabilityPeriod").AsString()),
                                   CompactDate(cdsParams.FieldByName("dtpFromOldPeriod")),
                                   CompactDate(cdsParams.FieldByName("dtpToOldPeriod")),
                                   cdsParams.FieldByName("rgGenerateQtyOptions").AsInteger()};
        RunSuggestionToVendor(params, [this] { acRefreshExecute(); });
    }
    UpdateFooters();
}

void TfBrPurchOrderSuggestionToVendor::acGeneratePurchOrderExecute() {
    const TOrderOutcome outcome =
        OrderTickedSuggestions(*this, cdsMaster, dbgMaster, {"QTYForOrder", "N_Item_Description2"},
                               [this] { acRefreshExecute(); }, "TfBrPurchOrderSuggestionToVendor.acGeneratePurchOrderExecute");
    if (outcome == TOrderOutcome::ooStopped) return;
    if (outcome == TOrderOutcome::ooOrdered) acSaveExecute();
    acRefreshExecute();
    UpdateFooters();
}

void TfBrPurchOrderSuggestionToVendor::acNewSuggestionDocumentExecute() {
    cdsParams.CheckBrowseMode();
    const auto param = [this](const char* name) { return cdsParams.FieldByName(name).AsString(); };
    const bool vendor = !param("edtVendorName").empty(), producer = !param("edtProducerName").empty();
    const TDefaultValues header = {
        {"Vendor_Code", vendor ? param("edtVendorCode") : std::string()},
        {"Vendor_Name", param("edtVendorName")},
        {"Producer_Id", producer ? param("edtProducerId") : std::string()},
        {"Producer_Name", param("edtProducerName")},
        {"ProductGroup_Id", param("edtProductGroup")},
        {"ArrivingDays", StrictInteger(param("edtArrivingDays"))},
        {"FutureAvailability", StrictInteger(param("edtFutureAvailabilityPeriod"))},
        {"FromOldPeriod", CompactDate(cdsParams.FieldByName("dtpFromOldPeriod"))},
        {"ToOldPeriod", CompactDate(cdsParams.FieldByName("dtpToOldPeriod"))},
        {"GenerateQtyOptions", cdsParams.FieldByName("rgGenerateQtyOptions").AsInteger()},
    };
    RequestForm(kSuggestionDocument, {soNormal}, TFilter(), Variant(), Variant(), nullptr, header, this);
}

void TfBrPurchOrderSuggestionToVendor::acOpenSuggestionDocumentExecute() {
    TRequestResult chosen;
    const TFilter ofCompany = TFilter().Add("D_PurchOrderSuggToVendorHeader.Comp_Id", "=", Variant(LocalData().CompanyId));
    if (!dm().Dialogs().Select("D_PurchOrderSuggToVendorHeader", ofCompany, false, chosen) || chosen.Empty()) return;
    const TFilter document =
        TFilter().Add("D_PurchOrderSuggToVendorHeader.id", "=", chosen.ByName("id", 0));
    RequestForm(kSuggestionDocument, {soNormal}, document, Variant(), Variant(), nullptr, {}, this);
}

namespace uBrPurchOrderSuggestionToVendor {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOrderSuggestionToVendor", TfBrPurchOrderSuggestionToVendor::kFormNumber,
                      [] { return std::make_unique<TfBrPurchOrderSuggestionToVendor>(); }, "Предложения към доставчик",
                      TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOrderSuggestionToVendor
}  // namespace tavrek
