#include "others/uOthersForms.h"

#include "base/forms/Selectors.h"
#include "base/util/Text.h"
#include "others/uOthersPackage.h"

namespace tavrek::uOthersForms {
namespace {

constexpr const char* kDate = "dd.mm.yyyy";
constexpr const char* kAmount = "0.00";
constexpr const char* kQuantity = "0.000";

// The posted documents that vendor entries and selected lines belong to open in the
// posted invoice and credit memo views.
constexpr int kPostedInvoiceView = 10220;
constexpr int kPostedCrMemoView = 10190;
// What the line selectors take sources out of in removal mode.
constexpr const char* kGlobalLines = "D_GlobalPurchLine";
constexpr int kSaleOrderCard = 5101;

// Opened from the menu, a list of entries holds every vendor's: each row names its own.
std::vector<TBrowseColumn> VendorEntryColumns() {
    return {{"Contragent_Code", "Код на контрагент", 80},
            {"Contragent_Name", "Контрагент", 180},
            {"DocumentNo", "Документ", 100},
            {"DocumentDate", "Дата", 80, false, kDate},
            {"DueDate", "Падеж", 80, false, kDate},
            {"VendorDocumentNo", "Документ на доставчика", 140},
            {"Currency_Id", "Валута", 50},
            {"Amount", "Сума", 100, true, kAmount},
            {"Remaining", "Остатък", 100, true, kAmount}};
}

TBrowseDescription VendorEntries(const char* className) {
    return {className, nullptr, "dv_ContragentEntry", VendorEntryColumns(), {"Contragent_Code", "Contragent_Name", "DocumentNo", "VendorDocumentNo"},
            "",        {},      kPostedInvoiceView,   "D_PurchInvoiceHeader.Id", "Document_Id"};
}

std::vector<TBrowseColumn> PostedLineColumns(const char* document) {
    return {{"DocumentNo", document, 100},
            {"DocumentDate", "Дата", 80, false, kDate},
            {"Code", "Код", 70},
            {"Description", "Наименование", 220},
            {"Measure_Id", "Мярка", 50},
            {"Quantity", "Количество", 80, true, kQuantity},
            {"DirectUnitCost", "Цена", 80, false, kAmount},
            {"TotalValue", "Стойност", 100, true, kAmount}};
}

std::vector<TBrowseColumn> LineDetailColumns() {
    return {{"SerialNo", "Сериен номер", 120},
            {"LotNo", "Партида", 100},
            {"ExpirationDate", "Годен до", 80, false, kDate},
            {"Quantity", "Количество", 80, true, kQuantity}};
}

std::vector<TBrowseDescription> Describe() {
    std::vector<TBrowseDescription> forms;
    // Selectors.
    forms.push_back({nullptr,
                     "3680",
                     "G_LAccountDimension",
                     {{"Description", "Аванс", 220},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"Account_Id", "Сметка", 70},
                      {"sAmount", "Остатък", 100, true, kAmount}},
                     {"Description"},
                     "sAmount<>0"});
    forms.push_back({nullptr,
                     "10510",
                     "dv_PurchOrderLineSelect",
                     {{"DocumentNo", "Поръчка", 100},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"Code", "Код", 70},
                      {"Description", "Наименование", 220},
                      {"Measure_Id", "Мярка", 50},
                      {"Quantity", "Поръчано", 80, false, kQuantity},
                      {"CalculatedQTY", "За получаване", 90, true, kQuantity},
                      {"DirectUnitCost_ACY", "Цена", 80, false, kAmount}},
                     {"DocumentNo", "Code", "Description"}});
    forms.push_back({"TfBrSelectPurchInvoiceLines",
                     "10680",
                     "dv_PurchInvoiceLineSelect",
                     PostedLineColumns("Фактура"),
                     {"DocumentNo", "Code", "Description"},
                     "",
                     {},
                     kPostedInvoiceView,
                     "D_PurchInvoiceHeader.Id",
                     "Master_Id"});
    forms.back().SourceOf = kGlobalLines;
    forms.push_back({"TfBrSelectPurchCrMemoLines",
                     "10700",
                     "dv_PurchCrMemoLineSelect",
                     PostedLineColumns("Кредитно известие"),
                     {"DocumentNo", "Code", "Description"},
                     "",
                     {},
                     kPostedCrMemoView,
                     "D_PurchCrMemoHeader.Id",
                     "Master_Id"});
    forms.back().SourceOf = kGlobalLines;
    // Callers read the chosen subtype by position: 0 its key, 1 its code.
    forms.push_back({"TfBrSelectDocSubType",
                     "10770",
                     "N_SubDocument",
                     {{"Id", "Вид", 80}, {"Code", "Код", 60}, {"Name", "Наименование", 220}},
                     {"Code", "Name"},
                     "SaleOrPurchase=1"});
    forms.push_back(
        {nullptr,
         "410",
         "dv_ContragentSelect",
         {{"Code", "Код", 70}, {"Name", "Наименование", 220}, {"Bulstat", "ЕИК", 100}, {"City", "Град", 100}},
         {"Code", "Name"}});
    forms.push_back({nullptr, "330", "N_Producer", {{"Id", "Код", 80}, {"Name", "Производител", 220}}, {"Id", "Name"}});
    forms.push_back(
        {nullptr, "610", "N_ItemProductGroup", {{"Id", "Код", 80}, {"Name", "Продуктова група", 220}}, {"Id", "Name"}});
    // Ledgers of a vendor.
    forms.push_back(VendorEntries("TfBrContragentEntries"));
    TBrowseDescription overdue = VendorEntries("TfBrOverdueDebts");
    overdue.FixedFilter = "Opened=1";
    overdue.DefaultConditions = {{"Contragent_id", "Contragent_ID", "="}, {"DueDate", "DueDate", "<="}};
    forms.push_back(overdue);
    TBrowseDescription history = VendorEntries("TfBrContragentHistory");
    history.DefaultConditions = {{"Contragent_Id", "Contragent_ID", "="}};
    forms.push_back(history);
    forms.push_back({"TfBrAccountDimensionAdvances",
                     nullptr,
                     "G_LAccountDimension",
                     {{"Description", "Аванс", 220},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"Account_Id", "Сметка", 70},
                      {"sAmount", "Остатък", 100, true, kAmount}},
                     {"Description"}});
    // Ledgers of an item.
    forms.push_back({"TfBrItemEntries",
                     nullptr,
                     "dv_ItemEntry",
                     {{"PostingDate", "Дата", 80, false, kDate},
                      {"DocumentNo", "Документ", 100},
                      {"Store_Id", "Склад", 70},
                      {"Quantity", "Количество", 80, true, kQuantity},
                      {"RemainingQuantity", "Остатък", 80, true, kQuantity},
                      {"UnitCost", "Ед. себестойност", 90, false, kAmount},
                      {"CostAmount", "Себестойност", 100, true, kAmount}},
                     {"DocumentNo"},
                     "",
                     {},
                     401,
                     "N_Item.Id",
                     "Item_Id",
                     {{"Item_Id", "N_Item"}}});
    forms.push_back({"TfBrItemAvailByBG",
                     nullptr,
                     "G_LItemEntry_0",
                     {{"BusinessGroup_Name", "Обект", 200},
                      {"Quantity", "Наличност", 90, true, kQuantity},
                      {"CostAmount", "Себестойност", 100, true, kAmount}},
                     {},
                     "",
                     {},
                     0,
                     "",
                     "Id",
                     {{"fItem_Id", "N_Item"}}});
    forms.push_back({"TfBrItemDiscounts",
                     nullptr,
                     "N_VendorDiscount",
                     {{"StartingDate", "От дата", 80, false, kDate},
                      {"EndingDate", "До дата", 80, false, kDate},
                      {"MinimumQuantity", "От количество", 90, false, kQuantity},
                      {"LineDiscount", "Отстъпка %", 80, false, kAmount}},
                     {},
                     "",
                     {{"Item_id", "Item_Id", "="}, {"Contragent_id", "Contragent_Id", "="}},
                     0,
                     "",
                     "Id",
                     {{"Item_Id", "N_Item"}}});
    forms.push_back({"TfBrSalesPrices",
                     nullptr,
                     "N_SalesPrice",
                     {{"SalesCode", "Клиент или група", 110},
                      {"StartingDate", "От дата", 80, false, kDate},
                      {"EndingDate", "До дата", 80, false, kDate},
                      {"MinimumQuantity", "От количество", 90, false, kQuantity},
                      {"UnitPrice", "Продажна цена", 90, false, kAmount},
                      {"Currency_Id", "Валута", 50}},
                     {},
                     "",
                     {},
                     0,
                     "",
                     "Id",
                     {{"Item_Id", "N_Item"}}});
    forms.push_back({"TfBrPurchOrdersByLines",
                     nullptr,
                     "dv_PurchOrdersByLines",
                     {{"DocumentNo", "Документ", 100},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"Contragent_Name", "Доставчик", 200},
                      {"Quantity", "Поръчано", 80, false, kQuantity},
                      {"OutstandingQty", "Предстои", 80, true, kQuantity}},
                     {"DocumentNo", "Contragent_Name"}});
    forms.push_back({"TfBrBlockedQty",
                     nullptr,
                     "dv_BlockedQty",
                     {{"DocumentNo", "Документ", 100},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"Contragent_Name", "Контрагент", 200},
                      {"Quantity", "Блокирано", 80, true, kQuantity}},
                     {"DocumentNo", "Contragent_Name"}});
    // Details of posted and buffered lines.
    forms.push_back({"TfBrPostItemChargeAssignment",
                     nullptr,
                     "D_PostItemChargeAssigment",
                     {{"ItemCharge_Id", "Допълнителен разход", 120},
                      {"ItemLine_Id", "Ред на артикул", 160},
                      {"Quantity", "Количество", 80, true, kQuantity}},
                     {}});
    forms.push_back({"TfBrPostPurchOrderLineDetail",
                     nullptr,
                     "D_PostPurchOrderLineDetail",
                     LineDetailColumns(),
                     {"SerialNo", "LotNo"}});
    forms.push_back(
        {"TfBrBufLineDetail", nullptr, "D_PurchaseBufLineDetail", LineDetailColumns(), {"SerialNo", "LotNo"}});
    forms.push_back({"TfBrSaleOrder",
                     nullptr,
                     "D_SaleOrderHeader",
                     {{"DocumentNo", "Номер", 100},
                      {"DocumentDate", "Дата", 80, false, kDate},
                      {"BusinessGroup_Id", "Обект", 80},
                      {"Store_Id", "Склад", 80},
                      {"Comment", "Коментар", 220}},
                     {"DocumentNo", "Comment"},
                     "",
                     {},
                     kSaleOrderCard,
                     "D_SaleOrderHeader.Id"});
    forms.push_back({"TfBrLineSubDetails",
                     nullptr,
                     "D_PurchaseBufLineDetail",
                     LineDetailColumns(),
                     {"SerialNo", "LotNo"},
                     "",
                     {{"pBuffLine_Id", "MasterLine_Id", "="}}});
    return forms;
}

int32_t initializationCounter = 0;

}  // namespace

const std::vector<TBrowseDescription>& BrowseDescriptions() {
    static const std::vector<TBrowseDescription> forms = Describe();
    return forms;
}

const TBrowseDescription* FindByClass(std::string_view className) {
    for (const TBrowseDescription& d : BrowseDescriptions())
        if (d.ClassName != nullptr && EqualsIgnoreCase(d.ClassName, className)) return &d;
    return nullptr;
}

const TBrowseDescription* FindBySelector(std::string_view selector) {
    for (const TBrowseDescription& d : BrowseDescriptions())
        if (d.Selector != nullptr && d.Selector == selector) return &d;
    return nullptr;
}

void Initialization() {
    if (initializationCounter-- != 0) return;
    for (const TBrowseDescription& d : BrowseDescriptions()) {
        if (d.Selector != nullptr)
            RegisterSelectorRows(d.Selector, [&d](const TFilter& filter, TClientDataSet& rows) {
                uOthersBrowse::LoadRows(d, filter, rows);
            });
        if (d.ClassName == nullptr) continue;
        RegisterOtherPackageForm(d.ClassName, [&d] { return std::make_unique<TfOthersBrowse>(d); });
    }
}

void Finalization() { ++initializationCounter; }

}  // namespace tavrek::uOthersForms
