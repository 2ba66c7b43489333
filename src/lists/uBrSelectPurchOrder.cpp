#include "lists/uBrSelectPurchOrder.h"

#include <algorithm>

#include "base/forms/EFormError.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TImportFilter.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

constexpr const char* kSource = "dv_SelectPurchOrder";
// The server relation whose fields a vendor's file is read into.
constexpr const char* kFileRows = "D_PurchOrderFileRow";
constexpr int kQuantityDecimals = 3;

// The rows are typed here, so that quantities computed by the server's view stay numbers
// on every engine; Marked and Ready are the form's own.
const std::pair<const char*, TFieldType> kRowFields[] = {
    {"Id", TFieldType::ftString},
    {"Master_Id", TFieldType::ftString},
    {"DocumentNo", TFieldType::ftString},
    {"DocumentDate", TFieldType::ftDateTime},
    {"Contragent_Id", TFieldType::ftString},
    {"VendorOrderNo", TFieldType::ftString},
    {"Line_No", TFieldType::ftInteger},
    {"Type", TFieldType::ftInteger},
    {"AllowInvoiceDisc", TFieldType::ftInteger},
    {"Currency_Id", TFieldType::ftString},
    {"Code", TFieldType::ftString},
    {"Item_Id", TFieldType::ftString},
    {"Description", TFieldType::ftString},
    {"Description2", TFieldType::ftString},
    {"VendorItemNo", TFieldType::ftString},
    {"GenBusPostGroup_Id", TFieldType::ftString},
    {"GenProdPostGroup_Id", TFieldType::ftString},
    {"InventoryPostGroup_Id", TFieldType::ftString},
    {"Measure_Id", TFieldType::ftString},
    {"VATPercent", TFieldType::ftFloat},
    {"VATLedger", TFieldType::ftInteger},
    {"VATBusPostGroup_Id", TFieldType::ftString},
    {"VATProdPostGroup_Id", TFieldType::ftString},
    {"SerialNo", TFieldType::ftString},
    {"PartNo", TFieldType::ftString},
    {"PriceIncludingVAT", TFieldType::ftInteger},
    {"DirectUnitCost_ACY", TFieldType::ftFloat},
    {"UnitCost", TFieldType::ftFloat},
    {"LineDiscount", TFieldType::ftFloat},
    {"QtyPerUnitOfMeasure", TFieldType::ftFloat},
    {"Quantity", TFieldType::ftFloat},
    {"ReceivedQty", TFieldType::ftFloat},
    {"ReturnedQty", TFieldType::ftFloat},
    {"RejectedQty", TFieldType::ftFloat},
    {"InvoicedQty", TFieldType::ftFloat},
    {"CalculatedQTY", TFieldType::ftFloat},
    {"Marked", TFieldType::ftInteger},
    {"Ready", TFieldType::ftInteger},
};

std::string Text(TClientDataSet& rows, const char* field) { return rows.FieldByName(field).AsString(); }

}  // namespace

TfBrSelectPurchOrder::TfBrSelectPurchOrder()
    : acGenerateReceiveQTY(AcListBase.Add("acGenerateReceiveQTY", "Количество за получаване", "Изчисли")),
      acGenerateReturnQTY(AcListBase.Add("acGenerateReturnQTY", "Количество за връщане", "Изчисли")),
      acGenerateRejectQTY(AcListBase.Add("acGenerateRejectQTY", "Количество за отказване", "Изчисли")),
      acGenerateInvoiceQTY(AcListBase.Add("acGenerateInvoiceQTY", "Количество за фактуриране", "Изчисли")),
      acRecieveInvoice(AcListBase.Add("acRecieveInvoice", "Получаване и фактуритане", "Изчисли")),
      acMarkAll(AcListBase.Add("acMarkAll", "Маркирай всички", "Функции")),
      acUnMarkAll(AcListBase.Add("acUnMarkAll", "Отмаркирай всички", "Функции")),
      acInverseMark(AcListBase.Add("acInverseMark", "Инверсно", "Функции")),
      acToggleMark(AcListBase.Add("acToggleMark", "Маркиране на реда", "Функции")),
      acImportFromFile(AcListBase.Add("acImportFromFile", "Зареди от файл", "Функции")),
      acImportFromFileCode(AcListBase.Add("acImportFromFileCode", "Зареди от файл (код при доставчик)", "Функции")) {
    MasterProvider = kSource;
    MasterTable = kSource;
    Description.Caption = "Избор на редове от поръчки";
    for (const auto& [name, type] : kRowFields) cdsMaster.AddField(name, type);
    dbgMaster.AddColumns({{"Marked", "Избран", 50, kCheckBoxFormat},
                          {"DocumentNo", "Поръчка", 100},
                          {"Line_No", "Ред", 40},
                          {"Code", "Код", 70},
                          {"Description", "Наименование", 220},
                          {"Measure_Id", "Мярка", 50},
                          {"Quantity", "Поръчано", 80, "0.000"},
                          {"ReceivedQty", "Получено", 80, "0.000"},
                          {"ReturnedQty", "Върнато", 80, "0.000"},
                          {"RejectedQty", "Отказано", 80, "0.000"},
                          {"InvoicedQty", "Фактурирано", 80, "0.000"},
                          {"CalculatedQTY", "Количество", 90, "0.000"},
                          {"DirectUnitCost_ACY", "Цена", 80, "0.00"}});
    // The quantity is typed and the mark ticked; the rest is the order's.
    for (TGridColumn& column : dbgMaster.Columns)
        column.ReadOnly = column.FieldName != "CalculatedQTY" && column.FieldName != "Marked";
    acInverseMark.Hint = "Маркирай инверсно";
    acImportFromFile.Hint = "Зареди от файл (артикул код)";
    acToggleMark.ShortCut = "Space";
    const std::pair<TAction*, TQuantityMode> computing[] = {{&acGenerateReceiveQTY, qmReceive},
                                                            {&acGenerateReturnQTY, qmReturn},
                                                            {&acGenerateRejectQTY, qmReject},
                                                            {&acGenerateInvoiceQTY, qmInvoice},
                                                            {&acRecieveInvoice, qmReceiveInvoice}};
    for (const auto& [action, mode] : computing)
        BindAction(*action, action->Name + "Execute", [this, mode = mode] { GenerateQuantities(mode); });
    const std::pair<TAction*, int> marking[] = {{&acMarkAll, 0}, {&acUnMarkAll, 1}, {&acInverseMark, 2}};
    for (const auto& [action, mode] : marking)
        BindAction(*action, action->Name + "Execute", [this, mode = mode] { MarkRecords(cdsMaster, mode, "Marked"); });
    BindAction(acToggleMark, "acToggleMarkExecute", [this] {
        cdsMaster.Edit();
        TField& marked = cdsMaster.FieldByName("Marked");
        marked.SetAsInteger(marked.AsInteger() == 1 ? 0 : 1);
        cdsMaster.Post();
    });
    BindAction(acImportFromFile, "ImportOrderFromFile", [this] { ImportOrderFromFile(false); });
    BindAction(acImportFromFileCode, "ImportOrderFromFile", [this] { ImportOrderFromFile(true); });
    const auto hasRow = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    for (TAction* action : {&acGenerateReceiveQTY, &acGenerateReturnQTY, &acGenerateRejectQTY, &acGenerateInvoiceQTY,
                            &acRecieveInvoice, &acMarkAll, &acUnMarkAll, &acInverseMark, &acToggleMark,
                            &acImportFromFile, &acImportFromFileCode})
        action->OnUpdate = hasRow;
    dbgMaster.OnDblClick = [this] { acEditRecord.Execute(); };
}

// Callers name the order tables ("D_PurchHeader.Contragent_Id"); the view has those fields
// under their own names.
TFilter TfBrSelectPurchOrder::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.DataSet != &cdsMaster) return TfBrSelectDocument::DataSetFilter(dataSet);
    TFilter filter;
    for (TFilterCondition condition : Filter.Conditions()) {
        if (!condition.IsLiteral()) condition.Field = std::string(kSource) + "." + std::string(condition.FieldName());
        filter.Add(std::move(condition));
    }
    return filter;
}

// The rows come unmarked; from then on a row is marked when its quantity is above zero.
void TfBrSelectPurchOrder::DataSetOpened(TFormDataSet& dataSet) {
    TfBrSelectDocument::DataSetOpened(dataSet);
    if (dataSet.DataSet != &cdsMaster) return;
    filling_ = true;
    for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next()) {
        cdsMaster.Edit();
        cdsMaster.FieldByName("Marked").SetAsInteger(0);
        cdsMaster.FieldByName("Ready").SetAsInteger(0);
        cdsMaster.Post();
    }
    cdsMaster.First();
    filling_ = false;
    cdsMaster.FieldByName("CalculatedQTY").OnChange = [this](TField& quantity) {
        if (!filling_) cdsMaster.FieldByName("Marked").SetAsInteger(quantity.AsFloat() > 0 ? 1 : 0);
    };
}

void TfBrSelectPurchOrder::GenerateQuantities(TQuantityMode mode) {
    TWaitCursor wait;
    cdsMaster.CheckBrowseMode();
    cdsMaster.DisableControls();
    for (cdsMaster.First(); !cdsMaster.Eof();) {
        const double quantity = uBrSelectPurchOrder::QuantityFor(
            mode, static_cast<int>(cdsMaster.FieldByName("Type").AsInteger()), cdsMaster.FieldByName("Quantity").AsFloat(),
            cdsMaster.FieldByName("ReceivedQty").AsFloat(), cdsMaster.FieldByName("ReturnedQty").AsFloat(),
            cdsMaster.FieldByName("RejectedQty").AsFloat(),
            cdsMaster.FieldByName("InvoicedQty").AsFloat());
        cdsMaster.Edit();
        cdsMaster.FieldByName("CalculatedQTY").SetAsFloat(quantity);
        cdsMaster.Post();
        if (quantity <= 0)
            cdsMaster.Delete();
        else
            cdsMaster.Next();
    }
    cdsMaster.First();
    cdsMaster.EnableControls();
}

void TfBrSelectPurchOrder::acSelectExecute() {
    cdsMaster.CheckBrowseMode();
    TSelectionList& list = SelectionList();
    if (cdsMaster.FieldByName("Marked").AsInteger() != 1 && cdsMaster.RecordCount() == 1 && list.Columns.size() == 1) {
        if (cdsMaster.FieldByName("CalculatedQTY").AsFloat() == 0) {
            cdsMaster.Edit();
            cdsMaster.FieldByName("CalculatedQTY").SetAsFloat(1);
            cdsMaster.Post();
        }
        AddSelectedRecord();
    } else {
        for (cdsMaster.First(); !cdsMaster.Eof(); cdsMaster.Next())
            if (cdsMaster.FieldByName("Marked").AsInteger() > 0 && cdsMaster.FieldByName("CalculatedQTY").AsFloat() > 0)
                AddSelectedRecord();
    }
    HandSelectionToCaller();
}

bool TfBrSelectPurchOrder::Matches(bool byVendorCode) {
    if (cdsMaster.FieldByName("Type").AsInteger() != 1) return false;
    const auto same = [this](const char* rowField, const char* fileField, bool whenGiven) {
        const std::string wanted = Text(cdsExtFileData, fileField);
        return (whenGiven && wanted.empty()) || Text(cdsMaster, rowField) == wanted;
    };
    const bool item = byVendorCode ? same("VendorItemNo", "VendorItemNo", false) &&
                                         same("VendorOrderNo", "VendorOrderNo", true)
                                   : same("Code", "Item_Id", false);
    return item && same("Description2", "Description2", true);
}

void TfBrSelectPurchOrder::TakeRow(double quantity) {
    const std::string id = Text(cdsMaster, "Id");
    placed_[id] = RoundUp(placed_[id] + quantity, kQuantityDecimals);
    cdsMaster.Edit();
    filling_ = true;
    cdsMaster.FieldByName("CalculatedQTY").SetAsFloat(placed_[id]);
    filling_ = false;
    cdsMaster.FieldByName("Marked").SetAsInteger(1);
    cdsMaster.FieldByName("Ready").SetAsInteger(1);
    if (!cdsExtFileData.FieldByName("UnitCost").IsNull()) {
        cdsMaster.FieldByName("DirectUnitCost_ACY").SetValue(cdsExtFileData.FieldByName("UnitCost").Value());
        cdsMaster.FieldByName("Currency_Id").SetValue(cdsExtFileData.FieldByName("Currency_Id").Value());
    }
    cdsMaster.Post();
}

double TfBrSelectPurchOrder::PlaceFileRow(bool byVendorCode) {
    double left = cdsExtFileData.FieldByName("Quantity").AsFloat();
    for (cdsMaster.First(); !cdsMaster.Eof() && left > 0; cdsMaster.Next()) {
        if (!Matches(byVendorCode)) continue;
        const double open = std::max(0.0, cdsMaster.FieldByName("Quantity").AsFloat() -
                                              cdsMaster.FieldByName("ReceivedQty").AsFloat() +
                                              cdsMaster.FieldByName("ReturnedQty").AsFloat() -
                                              cdsMaster.FieldByName("RejectedQty").AsFloat());
        const double free = RoundUp(open - placed_[Text(cdsMaster, "Id")], kQuantityDecimals);
        if (free <= 0) continue;
        const double taken = std::min(free, left);
        TakeRow(taken);
        left = RoundUp(left - taken, kQuantityDecimals);
    }
    return left;
}

void TfBrSelectPurchOrder::ImportOrderFromFile(bool byVendorCode) {
    cdsExtFileData.Close();
    dm().Server().RequestData(kFileRows, TFilter().Add(std::string(kFileRows) + ".Id", "=", Variant()), cdsExtFileData);
    if (cdsExtFileData.FieldCount() == 0 || cdsExtFileData.FindField("Quantity") == nullptr)
        throw EFormError(GetMessageText("err_NotDefinedPurchImportCDS", "Не е дефиниран импорт на поръчки за покупка."));
    TImportFilter filter;
    std::string path;
    if (!SelectImportFilter(filter) || !SelectDataFile(path)) return;
    ImportInitLog(GetMessageText("inf_ImportSkippedRows", "Редове, които не бяха импортирани:"));
    std::string notPlaced;
    try {
        TWaitCursor wait;
        RequestImport(filter, path, cdsExtFileData);
        placed_.clear();
        const std::string format = GetMessageText("fmt_RemainingQty", "%s\t%s");
        for (cdsExtFileData.First(); !cdsExtFileData.Eof(); cdsExtFileData.Next()) {
            const double left = PlaceFileRow(byVendorCode);
            const char* code = byVendorCode ? "VendorItemNo" : "Item_Id";
            if (left > 0) notPlaced += FormatMessage(format, {Text(cdsExtFileData, code), Variant(left).AsString()}) + "\r\n";
        }
    } catch (...) {
        cdsExtFileData.Close();
        ImportCloseLog();
        throw;
    }
    cdsExtFileData.Close();
    ImportCloseLog();
    cdsMaster.First();
    if (notPlaced.empty()) return;
    MessageDlgEx(GetMessageText("msg_NotFoundItemsInPurchOrder", "Следните артикули не са намерени в поръчката:") +
                     "\r\n" + FormatMessage(GetMessageText("fmt_RemainingQtyHdr", "%s\t%s"), {"Код", "Ост. к-во"}) +
                     "\r\n" + notPlaced,
                 TMsgDlgType::mtWarning, mbOK);
}

namespace uBrSelectPurchOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

double QuantityFor(TfBrSelectPurchOrder::TQuantityMode mode, int type, double ordered, double received,
                   double returned, double rejected, double invoiced) {
    const bool item = type == 1;
    received -= returned;
    const double open = ordered - received - rejected;
    double quantity = 0;
    switch (mode) {
        case TfBrSelectPurchOrder::qmReceive: quantity = item ? open : 0; break;
        case TfBrSelectPurchOrder::qmReturn: quantity = item ? received - invoiced : 0; break;
        case TfBrSelectPurchOrder::qmReject:
        case TfBrSelectPurchOrder::qmReceiveInvoice: quantity = open; break;
        case TfBrSelectPurchOrder::qmInvoice: quantity = item ? received - invoiced : received - invoiced - rejected; break;
    }
    return std::max(0.0, RoundUp(quantity, kQuantityDecimals));
}

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrSelectPurchOrder", TfBrSelectPurchOrder::kFormNumber,
                      [] { return std::make_unique<TfBrSelectPurchOrder>(); }, "Избор на редове от поръчки",
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrSelectPurchOrder
}  // namespace tavrek
