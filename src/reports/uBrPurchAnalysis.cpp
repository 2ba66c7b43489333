#include "reports/uBrPurchAnalysis.h"

#include <stdexcept>

#include "base/forms/RequestForm.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

constexpr const char* kAmount = "0.00";
constexpr const char* kQuantity = "0.###";
constexpr const char* kDate = "dd.mm.yyyy";
constexpr const char* kCount = "0";

// A column's field type follows its display format; the keys the grid does not show are text.
TFieldType TypeOfFormat(const std::string& format) {
    if (format == kDate) return TFieldType::ftDateTime;
    if (format == kCount) return TFieldType::ftInteger;
    if (!format.empty()) return TFieldType::ftFloat;
    return TFieldType::ftString;
}

// The keys a click follows to the documents behind a row.
const char* const kKeyFields[] = {"Contragent_Id", "Item_Id", "Group_Id", "Order_Id", "Document_Id"};

// The server's rows into the view's dataset, by column name.
void Fill(TClientDataSet& rows, const TRequestResult& result) {
    rows.DisableControls();
    rows.EmptyDataSet();
    std::vector<int> columnOf;
    for (int i = 0; i < rows.FieldCount(); ++i) columnOf.push_back(result.ColumnIndex(rows.Fields(i).FieldName()));
    for (const TVariantArray& row : result.Rows) {
        std::vector<Variant> values(columnOf.size());
        for (size_t i = 0; i < columnOf.size(); ++i)
            if (columnOf[i] >= 0) values[i] = row[static_cast<size_t>(columnOf[i])];
        rows.AppendLoaded(std::move(values));
    }
    rows.First();
    rows.EnableControls();
}

}  // namespace

TfBrPurchAnalysis::TfBrPurchAnalysis() {
    Description.Caption = "Анализ на покупките";
    HidePostingActions();
    for (TAction* action : {&acInsertRecord, &acDeleteRecord, &acSave, &acPrint}) action->Visible = false;
    acRefresh.Caption = "Покажи";
    // The analysis keeps nothing of its own: the master record only gives the framework one.
    cdsMaster.AddField("Id", TFieldType::ftString);
    cdsMaster.CreateDataSet();
    cdsParams.AddField("DateFrom", TFieldType::ftDateTime);
    cdsParams.AddField("DateTo", TFieldType::ftDateTime);
    cdsParams.AddField("ItemCode", TFieldType::ftString);
    cdsParams.AddField("ItemName", TFieldType::ftString);
    cdsParams.AddField("Item_Id", TFieldType::ftString);
    cdsParams.CreateDataSet();
    AddDataSet({&cdsParams, "", nullptr, "", "Id", false});
    const struct {
        const char* Field;
        const char* Caption;
        TFieldKind Kind;
    } params[] = {{"DateFrom", "От дата", TFieldKind::fkDate},
                  {"DateTo", "До дата", TFieldKind::fkDate},
                  {"ItemCode", "Артикул (ценова история)", TFieldKind::fkLookup},
                  {"ItemName", "Наименование", TFieldKind::fkText}};
    for (const auto& param : params) {
        THeaderField& field = Description.AddField(param.Field, param.Caption, param.Kind);
        field.DataSet = cdsParams.Name;
        field.ReadOnly = std::string(param.Field) == "ItemName";
    }
    Description.FindField("ItemCode")->Hint = "Кодът на артикула, чиято цена по доставчици показва „Ценова история“.";
    itemLookup_.Field = "ItemCode";
    itemLookup_.Caption = "артикул";
    itemLookup_.MasterTable = "N_Item";
    itemLookup_.Copies = {{"Code", "ItemCode"}, {"Name", "ItemName"}, {"Id", "Item_Id"}};
    using K = TChartKind;
    AddView("vendor", "tsVendor", "По доставчици",
            {{"Code", "Код", 70}, {"Name", "Доставчик", 200}, {"Currency", "Валута", 60}, {"Documents", "Документи", 70, kCount},
             {"Spend", "Във валутата", 110, kAmount}, {"Spend_LCY", "В местна валута", 110, kAmount}},
            K::ckBar, "Name", "Spend_LCY");
    AddView("item", "tsItem", "По артикули",
            {{"Code", "Код", 70}, {"Name", "Артикул", 200}, {"GroupName", "Група", 120}, {"Quantity", "Количество", 80, kQuantity},
             {"Spend_LCY", "В местна валута", 110, kAmount}, {"AvgCost_LCY", "Средна цена", 90, kAmount}},
            K::ckBar, "Name", "Spend_LCY");
    AddView("group", "tsGroup", "По групи",
            {{"GroupName", "Група", 200}, {"Items", "Артикули", 70, kCount}, {"Quantity", "Количество", 80, kQuantity},
             {"Spend_LCY", "В местна валута", 110, kAmount}},
            K::ckBar, "GroupName", "Spend_LCY");
    AddView("month", "tsMonth", "По месеци",
            {{"Month", "Месец", 80}, {"DateFrom", "От", 80, kDate}, {"DateTo", "До", 80, kDate},
             {"Documents", "Документи", 70, kCount}, {"Spend_LCY", "В местна валута", 110, kAmount}},
            K::ckLine, "Month", "Spend_LCY");
    AddView("price", "tsPrice", "Ценова история",
            {{"PostingDate", "Дата", 80, kDate}, {"DocumentNo", "Документ №", 100}, {"Code", "Доставчик код", 70},
             {"Name", "Доставчик", 180}, {"Currency", "Валута", 60}, {"Quantity", "Количество", 80, kQuantity},
             {"Price", "Цена във валута", 90, "0.00###"}, {"Price_LCY", "Цена в местна валута", 90, "0.00###"}},
            K::ckLine, "PostingDate", "Price_LCY", "Name");
    AddView("open", "tsOpen", "Отворени поръчки",
            {{"DocumentNo", "Поръчка №", 100}, {"DocumentDate", "Дата", 80, kDate}, {"Code", "Доставчик код", 70},
             {"Name", "Доставчик", 180}, {"RequestedReceiptDate", "Желана дата", 80, kDate},
             {"Ordered", "Поръчано", 80, kQuantity}, {"Received", "Получено", 80, kQuantity},
             {"Outstanding", "Очаквано", 80, kQuantity}, {"Outstanding_LCY", "Очаквано в местна валута", 100, kAmount},
             {"DaysLate", "Дни закъснение", 80, kCount}},
            K::ckBar, "DocumentNo", "Outstanding_LCY");
    AddView("ontime", "tsOnTime", "Точност на доставките",
            {{"Code", "Код", 70}, {"Name", "Доставчик", 200}, {"Orders", "Поръчки", 70, kCount},
             {"Ordered", "Поръчано", 80, kQuantity}, {"OnTime", "Получено навреме", 100, kQuantity},
             {"OnTimeRate", "Навреме, %", 80, kAmount}},
            K::ckBar, "Name", "OnTimeRate");
    Description.ShownPage = "tsVendor";
    Description.OnPageShown = [this] { RunGuarded(OperationName("PageShown"), [this] { ComputeShownView(); }); };
    // The item's key is copied last of its lookup: the whole item is in the record then.
    for (const char* field : {"DateFrom", "DateTo", "Item_Id"})
        cdsParams.FieldByName(field).OnChange = [this](TField&) {
            RunGuarded(OperationName("ParamsChange"), [this] { PeriodChanged(); });
        };
}

TfBrPurchAnalysis::~TfBrPurchAnalysis() = default;

void TfBrPurchAnalysis::AddView(const char* code, const char* page, const char* caption,
                                std::vector<TGridColumnRow> columns, TChartKind chart, const char* category,
                                const char* value, const char* series) {
    auto view = std::make_unique<TView>(code, page);
    for (const TGridColumnRow& column : columns) {
        view->Rows.AddField(column.Field, TypeOfFormat(column.Format));
        TGridColumn& shown = view->Grid.AddColumn(column.Field, column.Caption, column.Width);
        shown.DisplayFormat = column.Format;
        shown.ReadOnly = true;
    }
    for (const char* key : kKeyFields) view->Rows.AddField(key, TFieldType::ftString);
    view->Rows.CreateDataSet();
    view->Grid.Page = page;
    view->Grid.ReadOnly = true;
    const std::string pageName = page;
    view->Grid.OnDblClick = [this, pageName] { OpenDocumentsOf(pageName, RowsOf(pageName).RecNo() - 1); };
    Description.AddPage(page, caption);
    TChart shown;
    shown.Name = std::string("ch") + (page + 2);
    shown.Page = page;
    shown.DataSet = view->Rows.Name;
    shown.Kind = chart;
    shown.Title = caption;
    shown.CategoryField = category;
    shown.ValueField = value;
    shown.SeriesField = series;
    shown.OnClick = [this, pageName](int row) {
        RunGuarded(OperationName("ChartClick"), [this, pageName, row] { OpenDocumentsOf(pageName, row); });
    };
    Description.Charts.push_back(std::move(shown));
    AddDataSet({&view->Rows, "", nullptr, "", "Id", false});
    AddGrid(view->Grid);
    views_.push_back(std::move(view));
}

TfBrPurchAnalysis::TView& TfBrPurchAnalysis::ViewOf(const std::string& page) {
    for (auto& view : views_)
        if (EqualsIgnoreCase(view->Page, page)) return *view;
    throw std::invalid_argument("Анализът няма страница " + page);
}

TClientDataSet& TfBrPurchAnalysis::RowsOf(const std::string& page) { return ViewOf(page).Rows; }

// The year up to today, as a buyer first looks at it.
void TfBrPurchAnalysis::FormShow() {
    TfBase::FormShow();
    const TDateTime today = TDateTime::Today();
    int year = 0, month = 0, day = 0;
    today.DecodeDate(year, month, day);
    settingParams_ = true;
    cdsParams.Append();
    cdsParams.FieldByName("DateFrom").SetValue(TDateTime::FromDate(year, 1, 1));
    cdsParams.FieldByName("DateTo").SetValue(today);
    cdsParams.Post();
    settingParams_ = false;
    ComputeShownView();
}

void TfBrPurchAnalysis::acRefreshExecute() {
    for (auto& view : views_) view->Stale = true;
    ComputeShownView();
}

const TLookupDefinition* TfBrPurchAnalysis::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsParams && EqualsIgnoreCase(field, itemLookup_.Field)) return &itemLookup_;
    return TfBase::LookupOf(dataSet, field);
}

void TfBrPurchAnalysis::PeriodChanged() {
    if (settingParams_) return;
    if (cdsParams.State() != TDataSetState::dsBrowse) cdsParams.Post();
    if (cdsParams.FieldByName("DateFrom").IsNull() || cdsParams.FieldByName("DateTo").IsNull()) return;
    acRefreshExecute();
}

void TfBrPurchAnalysis::ComputeShownView() {
    TView& view = ViewOf(Description.ShownPage);
    if (view.Stale) Compute(view);
}

void TfBrPurchAnalysis::Compute(TView& view) {
    view.Stale = false;
    if (view.Code == "price" && cdsParams.FieldByName("Item_Id").AsString().empty()) {
        view.Rows.EmptyDataSet();
        ShowInfoKey("msg_AnalysisNoItem", "Изберете артикул, за да видите ценовата му история.");
        return;
    }
    TRequestResult rows;
    {
        TWaitCursor wait;
        rows = dm().Server().ExecuteStoredProcedure(
            GetMessageText("proc_PurchAnalysis", "usp_PurchAnalysis"),
            {LocalData().CompanyId, view.Code, cdsParams.FieldByName("DateFrom").Value(),
             cdsParams.FieldByName("DateTo").Value(), cdsParams.FieldByName("Item_Id").AsString()});
    }
    if (rows.Columns.empty()) {
        const std::string reason = dm().Server().LastRefusalText();
        MessageDlgEx(reason.empty() ? GetMessageText("err_AnalysisPeriod") : reason, TMsgDlgType::mtError, mbOK);
        return;
    }
    Fill(view.Rows, rows);
    ++Description.FindChart("ch" + view.Page.substr(2))->Version;
}

TFilter TfBrPurchAnalysis::PeriodFilter(const char* dateField) {
    return TFilter()
        .Add(dateField, ">=", cdsParams.FieldByName("DateFrom").Value(), "AND")
        .Add(dateField, "<=", cdsParams.FieldByName("DateTo").Value(), "AND");
}

void TfBrPurchAnalysis::OpenList(const char* className, TFilter filter) {
    TFormRequest request;
    request.FormNumber = FindCatalogueClass(className)->FormNumber;
    request.Filter = std::move(filter);
    request.CallingForm = this;
    RequestForm(request);
}

// Vendors and months open their posted invoices of the period, an item its price history, an
// order its editor, a price its invoice, an on-time rate the vendor's receipts.
void TfBrPurchAnalysis::OpenDocumentsOf(const std::string& page, int row) {
    TView& view = ViewOf(page);
    if (row < 0 || row >= view.Rows.RecordCount()) return;
    view.Rows.SetRecNo(row + 1);
    const auto key = [&view](const char* field) { return view.Rows.FieldByName(field).Value(); };
    const char* invoices = "D_PurchInvoiceHeader.PostingDate";
    if (view.Code == "vendor") {
        TFilter filter = PeriodFilter(invoices);
        filter.Add("D_PurchInvoiceHeader.Contragent_Id", "=", key("Contragent_Id"));
        OpenList("TfBrPostedPurchInvoice", std::move(filter));
    } else if (view.Code == "month") {
        OpenList("TfBrPostedPurchInvoice", TFilter()
                                               .Add(invoices, ">=", key("DateFrom"), "AND")
                                               .Add(invoices, "<=", key("DateTo")));
    } else if (view.Code == "item") {
        settingParams_ = true;
        cdsParams.Edit();
        cdsParams.FieldByName("ItemCode").SetAsString(view.Rows.FieldByName("Code").AsString());
        cdsParams.FieldByName("ItemName").SetAsString(view.Rows.FieldByName("Name").AsString());
        cdsParams.FieldByName("Item_Id").SetValue(key("Item_Id"));
        cdsParams.Post();
        settingParams_ = false;
        Description.ShownPage = "tsPrice";
        acRefreshExecute();
    } else if (view.Code == "price") {
        OpenList("TfEdPostedPurchInvoice", TFilter().Add("D_PurchInvoiceHeader.Id", "=", key("Document_Id")));
    } else if (view.Code == "open") {
        OpenList("TfEdPurchOrder", TFilter().Add("D_PurchHeader.Id", "=", key("Order_Id")));
    } else if (view.Code == "ontime") {
        OpenList("TfBrPostedReceipt", TFilter().Add("D_PurchReceiptHeader.Contragent_Id", "=", key("Contragent_Id")));
    }
}

namespace uBrPurchAnalysis {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrPurchAnalysis");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrPurchAnalysis>(); },
                      entry.Caption, TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchAnalysis

}  // namespace tavrek
