#include "lists/uEdPurchOrdImport.h"

#include <algorithm>
#include <sstream>

#include "base/data/TDateTime.h"
#include "base/forms/EAbort.h"
#include "base/forms/IFormHost.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/partner/TUblInvoice.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "calc/uPurchCalcHelpers.h"
#include "documents/uVendorItemMapping.h"
#include "lists/uDespatchAdviceFilter.h"
#include "lists/uOrdImportCsvFilter.h"
#include "replenishment/uSuggestionOrders.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

namespace {

constexpr const char* kEntryProvider = "dv_PurchOrdImportEntry";
constexpr const char* kRelationProvider = "dv_PurchOrdImportLineDetail";
constexpr const char* kBusinessGroupTarget = "10";

bool HasRow(const TClientDataSet& dataSet) { return dataSet.Active() && !dataSet.IsEmpty(); }

double Num(TClientDataSet& dataSet, const char* field) { return FieldValue(dataSet, field).AsFloat(); }

std::string Str(TClientDataSet& dataSet, const char* field) { return FieldValue(dataSet, field).AsString(); }

// A quantity as the server reads it: a point, no grouping, no trailing zeros.
std::string QuantityText(double quantity) {
    std::ostringstream text;
    text.imbue(std::locale::classic());
    text.precision(12);
    text << quantity;
    return text.str();
}

// The lines of the file as the vendor's document the item mapping reads.
TUblInvoice MappedDocument(const TOrdImportFile& file) {
    TUblInvoice document;
    for (const TOrdImportFileLine& line : file.Lines) {
        TUblInvoiceLine l;
        l.Id = line.Where;
        l.Code = line.VendorItemNo;
        l.BuyerCode = line.BuyerItemNo;
        l.Barcode = line.StandardItemNo;
        l.Description = line.Description;
        l.Quantity = line.Quantity;
        document.Lines.push_back(std::move(l));
    }
    return document;
}

}  // namespace

const std::vector<std::string>& TfEdPurchOrdImport::FileFilters() {
    static const std::vector<std::string> filters{"CSV (разделен със запетая или точка и запетая)",
                                                  "Известие за експедиция PEPPOL BIS Despatch Advice 3 (UBL 2.1)"};
    return filters;
}

TfEdPurchOrdImport::TfEdPurchOrdImport()
    : acImportFromFile(AcListBase.Add("acImportFromFile", "Импортирай от файл", "Документ")),
      acMoveToTarget(AcListBase.Add("acMoveToTarget", "Разпредели към поръчка за продажба", "Разпределение")),
      acMoveBGToTarget(AcListBase.Add("acMoveBGToTarget", "Разпредели към обект", "Разпределение")),
      RemoveFromRelation(AcListBase.Add("RemoveFromRelation", "Върни от разпределението", "Разпределение")),
      acGenPurchOrderBuf(AcListBase.Add("acGenPurchOrderBuf", "Генериране на доставка по поръчка ", "Документ")),
      acLoadLineDetail(AcListBase.Add("acLoadLineDetail", "Покажи разпределението на реда", "Разпределение")) {
    MasterProvider = "D_PurchOrdImportHeader";
    MasterTable = "D_PurchOrdImportHeader";
    DetailProvider = "D_PurchOrdImportLine";
    Description.Caption = "Импорт на поръчки";
    HidePostingActions();
    acPrint.Visible = false;
    acLoadLineDetail.Visible = false;
    // The inherited import stays hidden: this button runs it once the document is saved.
    BindAction(acImportFromFile, "acImportFromFileExecute", [this] {
        if (CheckIsSave()) acImportExecute();
    });
    BindAction(acMoveToTarget, "acMoveToTargetExecute", [this] { acMoveToTargetExecute(); });
    BindAction(acMoveBGToTarget, "acMoveBGToTargetExecute", [this] { acMoveBGToTargetExecute(); });
    BindAction(RemoveFromRelation, "RemoveFromRelationExecute", [this] { RemoveFromRelationExecute(); });
    BindAction(acGenPurchOrderBuf, "acGenPurchOrderBufExecute", [this] { acGenPurchOrderBufExecute(); });
    BindAction(acLoadLineDetail, "acLoadLineDetailExecute", [this] { acLoadLineDetailExecute(); });
    const auto editable = [this](TAction& a) { a.Enabled = !ReadOnly && HasRow(cdsMaster) && HasRight(TFormRight::frEdit); };
    acImportFromFile.OnUpdate = editable;
    acGenPurchOrderBuf.OnUpdate = editable;
    acMoveToTarget.OnUpdate = [this, editable](TAction& a) { editable(a); a.Enabled = a.Enabled && HasRow(cdsEntry); };
    acMoveBGToTarget.OnUpdate = [this, editable](TAction& a) {
        editable(a);
        a.Enabled = a.Enabled && HasRow(cdsEntry) && HasRow(cdsBusinessGroup);
    };
    RemoveFromRelation.OnUpdate = [this, editable](TAction& a) { editable(a); a.Enabled = a.Enabled && HasRow(cdsDetailRelation); };
    pmDocument.Add("miImportFromFile", acImportFromFile);
    pmDocument.Add("miGenPurchOrderBuf", acGenPurchOrderBuf);
    pmLine.Add("miMoveToTarget", acMoveToTarget);
    pmLine.Add("miMoveBGToTarget", acMoveBGToTarget);
    pmLine.Add("miRemoveFromRelation", RemoveFromRelation);
    AddDataSet({&cdsDetailRelation, kRelationProvider, &cdsDetail, "MasterLine_Id", "Id", false});
    AddDataSet({&cdsEntry, kEntryProvider, nullptr, "", "Id", false});
    AddDataSet({&cdsBusinessGroup, "N_BusinessGroup", nullptr, "", "Id", false});
    AddGrid(dbgDetailRelation);
    AddGrid(dbgEntry);
    AddGrid(dbgBusinessGroups);
    DescribeLayout();
    cdsMaster.OnNewRecord = [](TClientDataSet& header) {
        header.FieldByName("DocumentDate").SetValue(TDateTime::Today());
        header.FieldByName("ShowCurrentBG").SetAsInteger(0);
    };
    // Lines come from the vendor's file only: a person distributes them, and adds none.
    cdsDetail.BeforeInsert = [this](TClientDataSet&) {
        if (!importing_) throw EAbort();
    };
}

void TfEdPurchOrdImport::DescribeLayout() {
    using K = TFieldKind;
    Description.AddFields({
        {"DocumentNo", "Номер", K::fkText, ""},
        {"DocumentDate", "Дата", K::fkDate, ""},
        {"Code", "Доставчик", K::fkLookup, ""},
        {"Name", "Име на доставчика", K::fkText, ""},
        {"VendorShipmentNo", "Експедиция на доставчика", K::fkText, ""},
        {"ShowCurrentBG", "Само в текущия обект", K::fkFlag, ""},
        {"Comment", "Коментар", K::fkText, ""},
    });
    for (const char* field : {"DocumentNo", "Name"}) Description.FindField(field)->ReadOnly = true;
    lookups_ = {uSuggestionOrders::ParameterLookup("Code", "доставчик", "N_Contragent", "Code",
                                                   {{"Id", "Contragent_id"}, {"Code", "Code"}, {"Name", "Name"}})};
    dbgDetail.ReadOnly = true;
    dbgDetail.AddColumns({{"Line_No", "№", 40}, {"VendorItemNo", "Код на доставчика", 110}, {"ItemCode", "Артикул", 70},
                          {"Description", "Наименование", 220}, {"UnitCode", "Мярка", 50}, {"OrderNo", "Поръчка", 90},
                          {"Quantity", "Количество", 80, "0.###"}, {"RemainingQty", "Неразпределено", 90, "0.###"}});
    dbgDetailRelation.Caption = "Разпределение на реда";
    dbgDetailRelation.ReadOnly = true;
    dbgDetailRelation.AddColumns({{"OrderNo", "Поръчка", 90}, {"OrderLine_No", "Ред", 40},
                                  {"BusinessGroup_Name", "Обект", 100}, {"Quantity", "Количество", 80, "0.###"},
                                  {"BufferNo", "Буфер", 90}});
    dbgEntry.Caption = "Поръчки със свободно количество";
    dbgEntry.ReadOnly = true;
    dbgEntry.AddColumns({{"OrderNo", "Поръчка", 90}, {"Line_No", "Ред", 40}, {"Description", "Наименование", 180},
                         {"PurchFreeQty", "Свободно", 70, "0.###"}, {"SaleDocumentNo", "Поръчка за продажба", 110},
                         {"QtyToShip", "За експедиране", 90, "0.###"}});
    dbgBusinessGroups.Caption = "Обекти";
    dbgBusinessGroups.ReadOnly = true;
    dbgBusinessGroups.AddColumns({{"Code", "Код", 60}, {"Name", "Обект", 160}});
}

const TLookupDefinition* TfEdPurchOrdImport::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsMaster)
        for (const TLookupDefinition& lookup : lookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditMasterDetail::LookupOf(dataSet, field);
}

// The candidates are the vendor's open order lines of the current line's item, within the
// current business group when the import keeps to it.
TFilter TfEdPurchOrdImport::DataSetFilter(const TFormDataSet& dataSet) {
    const std::string& company = LocalData().CompanyId;
    // The lines scroll while the server fills them: the current line is known once they are open.
    if (dataSet.DataSet == &cdsDetail) detailOpening_ = true;
    if (dataSet.DataSet == &cdsBusinessGroup) return TFilter().Add("N_BusinessGroup.Comp_Id", "=", Variant(company));
    if (dataSet.DataSet != &cdsEntry) return TfBaseEditMasterDetail::DataSetFilter(dataSet);
    const Variant document = HasRow(cdsMaster) ? FieldValue(cdsMaster, "Id") : Variant();
    const Variant item = HasRow(cdsDetail) ? FieldValue(cdsDetail, "ItemForConnetc") : Variant();
    const std::string table = kEntryProvider;
    const bool ownGroup = FieldValue(cdsMaster, "ShowCurrentBG").AsInteger() == 1;
    TFilter filter = TFilter()
                         .Add(table + ".Comp_Id", "=", Variant(company), "AND")
                         .Add(table + ".Doc_Id", "=", document, "AND")
                         .Add(table + ".Item_Id", "=", item, ownGroup ? "AND" : "");
    if (ownGroup) filter.Add(table + ".BusinessGroup_Id", "=", Variant(LocalData().BusinessGroupId));
    return filter;
}

void TfEdPurchOrdImport::acSaveExecute() {
    if (HasRow(cdsMaster)) {
        cdsMaster.CheckBrowseMode();
        if (FieldValue(cdsMaster, "DocumentNo").IsEmpty()) {
            TRequestResult series;
            dm().Server().RequestValue(0, "C_PurchasesSetup", "PurchOrdImpSeries_id",
                                       TFilter().Add("C_PurchasesSetup.Id", "=", Variant(LocalData().CompanyId)), series);
            if (series.Value().IsEmpty()) AbortWithError("err_GetSeriesNo", "");
            std::string number;
            if (dm().Server().GetNextSerieNo(series.Value().AsString(), LocalData().CompanyId, number) < 0 || number.empty())
                AbortWithError("err_GetSeriesNo", "");
            cdsMaster.Edit();
            cdsMaster.FieldByName("DocumentNo").SetAsString(number);
            cdsMaster.FieldByName("Series_Id").SetValue(series.Value());
            cdsMaster.Post();
        }
        if (FieldValue(cdsMaster, "Contragent_id").IsEmpty()) AbortWithError("err_NoContragentSet", "");
    }
    TfBaseEditMasterDetail::acSaveExecute();
}

// Reading the document again keeps the person on the line they were distributing.
void TfEdPurchOrdImport::KeepingCurrentLine(const std::function<void()>& reload) {
    const Variant line = HasRow(cdsDetail) ? FieldValue(cdsDetail, "Id") : Variant();
    reload();
    detailOpening_ = false;
    if (!line.IsNull() && HasRow(cdsDetail)) cdsDetail.Locate("Id", {line});
    acLoadLineDetailExecute();
}

void TfEdPurchOrdImport::acRefreshExecute() {
    KeepingCurrentLine([this] { TfBaseEditMasterDetail::acRefreshExecute(); });
}

void TfEdPurchOrdImport::ReadBackSavedData() {
    // The imported lines are read back once, by the refresh after they are attached.
    if (importing_ && !Filter.Empty()) return;
    KeepingCurrentLine([this] { TfBaseEditMasterDetail::ReadBackSavedData(); });
}

bool TfEdPurchOrdImport::CheckIsSave() {
    if (!HasUnsavedData()) return true;
    if (SaveData()) return true;
    ShowErrorKey("err_DataSaveError");
    return false;
}

void TfEdPurchOrdImport::cdsDetailAfterOpen() {
    TfBaseEditMasterDetail::cdsDetailAfterOpen();
    detailOpening_ = false;
}

void TfEdPurchOrdImport::cdsDetailAfterScroll() {
    TfBaseEditMasterDetail::cdsDetailAfterScroll();
    if (!importing_ && !detailOpening_ && Shown()) acLoadLineDetailExecute();
}

void TfEdPurchOrdImport::acLoadLineDetailExecute() {
    for (TClientDataSet* dataSet : {&cdsDetailRelation, &cdsEntry, &cdsBusinessGroup})
        if (cdsMaster.Active()) OpenDataSet(*FindFormDataSet(*dataSet));
    UpdateActions();
}

// Import and attach: the file's lines are saved with the document, then the server places
// them on the vendor's open order lines.
void TfEdPurchOrdImport::acImportExecute() {
    RequireRight(TFormRight::frEdit);
    if (!CheckIsSave()) return;
    TOrdImportFile file;
    std::vector<TRequestResult> items;
    if (!ReadVendorFile(file, items)) return;
    {
        TWaitCursor wait;
        importing_ = true;
        bool saved = false;
        try {
            AppendFileLines(file, items);
            saved = SaveData();
        } catch (...) {
            importing_ = false;
            DiscardChanges();
            throw;
        }
        importing_ = false;
        if (!saved) {
            DiscardChanges();
            ShowErrorKey("err_DataSaveError");
            return;
        }
    }
    AttachToOrders();
}

bool TfEdPurchOrdImport::ReadVendorFile(TOrdImportFile& file, std::vector<TRequestResult>& items) {
    TRequestResult filters{{"Name"}, {}};
    for (const std::string& name : FileFilters()) filters.Rows.push_back({name});
    int chosen = -1;
    std::string path;
    if (!dm().Dialogs().ChooseRow("Филтър за импорт", filters, chosen) ||
        !dm().Dialogs().SelectFile("Файл на доставчика", chosen == 0 ? "*.csv *.txt" : "*.xml", false, path))
        return false;
    try {
        TWaitCursor wait;
        file = chosen == 0 ? ReadOrdImportCsv(path) : ReadDespatchAdvice(path);
        const TUblInvoice document = MappedDocument(file);
        TVendorItemMapping mapping(document, Str(cdsMaster, "Code"));
        mapping.FindItems();
        std::string missing;
        for (size_t line = 0; line < file.Lines.size(); ++line) {
            if (mapping.Found(line)) {
                items.push_back(mapping.ItemOf(line));
            } else {
                missing += "\r\n" + file.Lines[line].Where + ": " + document.Lines[line].VendorKey();
            }
        }
        if (!missing.empty())
            throw EOrdImportFile(FormatMessage(GetMessageText("err_OrdImportFileItems"), {missing}));
    } catch (const EOrdImportFile& error) {
        MessageDlgEx(error.what(), TMsgDlgType::mtError, mbOK);
        return false;
    }
    return true;
}

void TfEdPurchOrdImport::WriteFileLine(const TOrdImportFileLine& line, const TRequestResult& item, int lineNo) {
    const Variant code = item.ByName("Code").IsEmpty() ? item.ByName("Item_Id") : item.ByName("Code");
    const Variant name = item.ByName("Name");
    cdsDetail.Append();
    cdsDetail.FieldByName("Line_No").SetAsInteger(lineNo);
    cdsDetail.FieldByName("VendorItemNo").SetAsString(line.VendorItemNo.empty() ? line.BuyerItemNo : line.VendorItemNo);
    cdsDetail.FieldByName("ItemForConnetc").SetValue(item.ByName("Item_Id"));
    cdsDetail.FieldByName("ItemCode").SetValue(code);
    cdsDetail.FieldByName("Description").SetAsString(name.IsEmpty() ? line.Description : name.AsString());
    cdsDetail.FieldByName("UnitCode").SetAsString(line.UnitCode);
    cdsDetail.FieldByName("OrderNo").SetAsString(line.OrderNo);
    cdsDetail.FieldByName("Quantity").SetAsFloat(line.Quantity);
    cdsDetail.Post();
}

void TfEdPurchOrdImport::AppendFileLines(const TOrdImportFile& file, const std::vector<TRequestResult>& items) {
    if (FieldValue(cdsMaster, "VendorShipmentNo").IsEmpty() && !file.DocumentNo.empty()) {
        cdsMaster.Edit();
        cdsMaster.FieldByName("VendorShipmentNo").SetAsString(file.DocumentNo);
        cdsMaster.Post();
    }
    int lineNo = cdsDetail.RecordCount();
    IFormHost* host = Host();
    const std::string caption = "Импорт на редове от файла на доставчика";
    cdsDetail.DisableControls();
    const auto done = [&] {
        cdsDetail.EnableControls();
        if (host != nullptr) host->ShowProgress(caption, 0, 0);
    };
    try {
        for (size_t i = 0; i < file.Lines.size(); ++i) {
            if (host != nullptr && i % 500 == 499) host->ShowProgress(caption, static_cast<int>(i), static_cast<int>(file.Lines.size()));
            WriteFileLine(file.Lines[i], items[i], ++lineNo);
        }
    } catch (...) {
        done();
        throw;
    }
    done();
}

TRequestResult TfEdPurchOrdImport::CallProcedure(const char* procedure, const TVariantArray& args, const char* fields,
                                                 bool allRows) {
    std::string text = "exec " + GetMessageText(procedure, procedure) + " ";
    for (size_t i = 0; i < args.size(); ++i) text += (i == 0 ? "" : ", ") + QuotedSql(args[i].AsString());
    TRequestResult result;
    dm().Server().RequestValue(-1, text, fields, TFilter(), result, allRows);
    return result;
}

void TfEdPurchOrdImport::AttachToOrders() {
    TWaitCursor wait;
    const std::string& group = LocalData().BusinessGroupId;
    const TRequestResult result = dm().Server().ExecuteStoredProcedure(
        GetMessageText("usp_AttachImpToOrder", "usp_AttachImpToOrder"),
        {LocalData().CompanyId, FieldValue(cdsMaster, "Id"),
         FieldValue(cdsMaster, "ShowCurrentBG").AsInteger() == 1 ? group : std::string(), group, LocalData().UserId});
    if (result.Empty() || result.Value().AsInteger() != 0) {
        const std::string reason = result.ByName("ErrMsg").AsString();
        MessageDlgEx(GetMessageText("err_AttachImpToOrder") + (reason.empty() ? "" : "\r\n" + reason), TMsgDlgType::mtError, mbOK);
    }
    acRefreshExecute();
}

std::string TfEdPurchOrdImport::CurrentLineId() { return HasRow(cdsDetail) ? Str(cdsDetail, "Id") : std::string(); }

bool TfEdPurchOrdImport::AskQuantity(const std::string& caption, double& quantity) {
    if (quantity <= 0) {
        ShowInfoKey("inf_OrdImportNothingToDistribute", "По реда няма количество за разпределяне.");
        return false;
    }
    return dm().Dialogs().InputQuantity(caption, quantity, quantity);
}

void TfEdPurchOrdImport::Distribute(const char* procedure, const TVariantArray& args) {
    const TRequestResult result = CallProcedure(procedure, args, "Result,ErrMsg", false);
    if (result.Empty() || result.ByName("Result").AsInteger() != 0) {
        MessageDlgEx(GetMessageText("inf_OperationError") + "\r\n" + result.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    acRefreshExecute();
}

void TfEdPurchOrdImport::acMoveToTargetExecute() {
    if (!HasRow(cdsEntry) || !CheckIsSave()) return;
    if (FieldValue(cdsEntry, "SaleDocLine_id").IsEmpty()) return ShowErrorKey("err_MustSelectBG");
    double quantity = std::min({Num(cdsEntry, "PurchFreeQty"), Num(cdsEntry, "QtyToShip"), Num(cdsDetail, "RemainingQty")});
    if (!AskQuantity(GetMessageText("que_OrdImportDistributeQty", "Количество за разпределяне"), quantity)) return;
    Distribute("usp_SetOrdImportLineDetail",
               {LocalData().CompanyId, Str(cdsMaster, "Id"), CurrentLineId(), Str(cdsEntry, "PurchLineId"),
                Str(cdsEntry, "SaleDocumentType"), Str(cdsEntry, "SaleDocLine_id"), QuantityText(quantity),
                LocalData().BusinessGroupId, LocalData().UserId});
}

void TfEdPurchOrdImport::acMoveBGToTargetExecute() {
    if (!HasRow(cdsEntry) || !HasRow(cdsBusinessGroup) || !CheckIsSave()) return;
    double quantity = std::min(Num(cdsEntry, "PurchFreeQty"), Num(cdsDetail, "RemainingQty"));
    if (!AskQuantity(GetMessageText("que_OrdImportDistributeQty", "Количество за разпределяне"), quantity)) return;
    Distribute("usp_SetOrdImportLineDetail",
               {LocalData().CompanyId, Str(cdsMaster, "Id"), CurrentLineId(), Str(cdsEntry, "PurchLineId"),
                kBusinessGroupTarget, Str(cdsBusinessGroup, "Id"), QuantityText(quantity), LocalData().BusinessGroupId,
                LocalData().UserId});
}

void TfEdPurchOrdImport::RemoveFromRelationExecute() {
    if (!HasRow(cdsDetailRelation) || !CheckIsSave()) return;
    double quantity = Num(cdsDetailRelation, "Quantity");
    if (!AskQuantity(GetMessageText("que_OrdImportRemoveQty", "Количество за връщане от разпределението"), quantity)) return;
    Distribute("usp_RemoveFromRelationOrdImpLine", {LocalData().CompanyId, Str(cdsDetailRelation, "Id"),
                                                    QuantityText(quantity), LocalData().BusinessGroupId, LocalData().UserId});
}

void TfEdPurchOrdImport::acGenPurchOrderBufExecute() {
    if (!CheckIsSave()) return;
    TFormRequest request;
    request.FormNumber = kSubTypeSelector;
    request.ShowOptions = {soModal};
    request.Value2 = GetMessageText("c_GenerateSaleOffer", "Генериране на доставки по поръчки") + "\r\n" +
                     GetMessageText("msg_SelectDocSubType", "Изберете вид на документа");
    request.CallingForm = this;
    if (RequestForm(request) != 1 || request.Result.empty() || request.Result[0].IsEmpty()) return;
    TRequestResult result;
    {
        TWaitCursor wait;
        result = CallProcedure("usp_CreatePurchOrderBuffImp",
                               {LocalData().CompanyId, Str(cdsMaster, "Id"), request.Result[0].AsString(),
                                LocalData().BusinessGroupId, LocalData().UserId},
                               "Result, Doc_ID, DocumentNo, ErrMsg", true);
    }
    if (result.Empty()) return ShowErrorKey("inf_OperationError");
    const int64_t code = result.ByName("Result").AsInteger();
    if (code == -2) return ShowErrorKey(result.ByName("ErrMsg").AsString());
    if (code == -1) {
        MessageDlgEx(result.ByName("ErrMsg").AsString(), TMsgDlgType::mtError, mbOK);
        return;
    }
    std::string text = GetMessageText("inf_PurchOrderBufDocCreated");
    for (size_t row = 0; row < result.Rows.size(); ++row) text += "\r\n" + result.ByName("DocumentNo", row).AsString();
    MessageDlgEx(text, TMsgDlgType::mtInformation, mbOK);
    acRefreshExecute();
}

namespace uEdPurchOrdImport {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchOrdImport", TfEdPurchOrdImport::kFormNumber,
                      [] { return std::make_unique<TfEdPurchOrdImport>(); }, "Импорт на поръчки", TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchOrdImport
}  // namespace tavrek
