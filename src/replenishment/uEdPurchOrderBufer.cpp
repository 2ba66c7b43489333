#include "replenishment/uEdPurchOrderBufer.h"

#include <iterator>
#include <sstream>
#include <utility>

#include "base/forms/EAbort.h"
#include "base/forms/RequestForm.h"
#include "base/forms/Selectors.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uVendorDocumentReceiver.h"
#include "documents/uVendorItemMapping.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;
using uPurchCalcHelpers::TCalcGuard;

namespace {

struct TOperationTexts {
    const char* CaptionKey;
    const char* NameKey;
    const char* Default;
};

const TOperationTexts kOperations[] = {{"str_Receive", "str_Receive", "Получаване"},
                                       {"str_Return", "str_Return", "Връщане"},
                                       {"str_Reject", "str_Reject", "Отказване"},
                                       {"str_Invoice", "str_Invoice_Common", "Фактуриране"},
                                       {"str_ReceiceAndIncoice", "str_ReceiceAndIncoice", "Получаване и фактуриране"}};

// The order line fields a chosen order line hands to a buffer line: its Id becomes the
// buffer line's OrderLine_Id and its open quantity the buffer line's Quantity.
const char* const kOrderLineFields =
    "Type,AllowInvoiceDisc,Currency_Id,Description,Description2,GenBusPostGroup_Id,GenProdPostGroup_Id,"
    "InventoryPostGroup_Id,Measure_Id,VATPercent,VATLedger,VATBusPostGroup_Id,VATProdPostGroup_Id,SerialNo,PartNo,"
    "Code,PriceIncludingVAT,DirectUnitCost_ACY,Id,CalculatedQTY,LineDiscount,QtyPerUnitOfMeasure";
const char* const kBufferLineFields =
    "Type,AllowInvoiceDisc,Currency_Id,Description,Description2,GenBusPostGroup_Id,GenProdPostGroup_Id,"
    "InventoryPostGroup_Id,Measure_Id,VATPercent,VATLedger,VATBusPostGroup_Id,VATProdPostGroup_Id,SerialNo,PartNo,"
    "Code,PriceIncludingVAT,DirectUnitCost_ACY,OrderLine_Id,Quantity,LineDiscount,QtyPerUnitOfMeasure";

// The vendor's open order lines a vendor's document is placed on.
constexpr const char* kOrderLinesToPlace = "dv_PurchOrderLineToPlace";
const char* const kOrderLinesToPlaceFields =
    "Type,Measure_Id,SerialNo,PartNo,Code,DirectUnitCost_ACY,Id,CalculatedQTY,LineDiscount,Quantity,ReturnedQty,"
    "ReceivedQty,RejectedQty,DocumentNo,GlobalDimension_Id,Description2,AllowInvoiceDisc,Currency_Id,Description,"
    "GenBusPostGroup_Id,GenProdPostGroup_Id,InventoryPostGroup_Id,VATPercent,VATLedger,VATBusPostGroup_Id,"
    "VATProdPostGroup_Id,QtyPerUnitOfMeasure";
// What a placed line takes of its order line; price, discount and quantity are the vendor's.
const char* const kPlacedLineFields[] = {
    "Type", "Code", "Measure_Id", "Description", "Description2", "GlobalDimension_Id", "AllowInvoiceDisc",
    "Currency_Id", "GenBusPostGroup_Id", "GenProdPostGroup_Id", "InventoryPostGroup_Id", "VATPercent", "VATLedger",
    "VATBusPostGroup_Id", "VATProdPostGroup_Id", "SerialNo", "PartNo", "QtyPerUnitOfMeasure"};

// The vendor's discount, as a percent of the line at its price.
double VendorDiscount(const TUblInvoiceLine& line) {
    const double gross = line.Quantity * line.DirectUnitCost;
    return gross > 0.0 ? RoundUp((gross - line.LineAmount) / gross * 100.0, 5) : 0.0;
}

void SetIfGiven(TClientDataSet& ds, const char* field, const std::string& value) {
    if (!value.empty()) ds.FieldByName(field).SetAsString(value);
}

}  // namespace

TfEdPurchOrderBufer::TfEdPurchOrderBufer()
    : acAddPurchOrderLines(AcListBase.Add("acAddPurchOrderLines", "Добавяне на редове от поръчка", "Документ")),
      acGenerateProtocol(AcListBase.Add("acGenerateProtocol", "Генериране на протокол", "Документ")),
      acGetDocFromVendor(AcListBase.Add("acGetDocFromVendor", "Изтегляне на документ", "Документ")),
      acSendForCheck(AcListBase.Add("acSendForCheck", "Изпрати за проверка", "Документ")),
      acItemChargeAssigment(AcListBase.Add("acItemChargeAssigment", "Разпределение на доп. разходи", "Ред")),
      acLineDetail(AcListBase.Add("acLineDetail", "Детайли на ред", "Ред")) {
    MasterProvider = "D_PurchOrderBufHeader";
    DetailProvider = "D_PurchOrderBufLine";
    MasterTable = "D_PurchOrderBufHeader";
    NumberSeriesSetupField = "PurchOrderBuf_Series_Id";
    acReCalcDocument.ShortCut = "F9";
    acPostDocument.Hint = "Осчетоводяване";
    BindAction(acAddPurchOrderLines, "acAddPurchOrderLinesExecute", [this] { acAddPurchOrderLinesExecute(); });
    BindAction(acGenerateProtocol, "acGenerateProtocolExecute", [this] { acGenerateProtocolExecute(); });
    BindAction(acGetDocFromVendor, "acGetDocFromVendorExecute", [this] { acGetDocFromVendorExecute(); });
    BindAction(acSendForCheck, "acSendForCheckExecute", [this] { acSendForCheckExecute(); });
    BindAction(acItemChargeAssigment, "acItemChargeAssigmentExecute", [this] { acItemChargeAssigmentExecute(); });
    BindAction(acLineDetail, "acLineDetailExecute", [this] { acLineDetailExecute(); });
    pmPost.Add("miPost", acPostDocument);
    pmPost.Add("miPostAndPrint", acPostAndPrintDocument);
    pmPost.ButtonAction = &acPostDocument;
    AddMenu(pmPost);
    pmDocument.Add("miAddPurchOrderLines", acAddPurchOrderLines);
    pmDocument.Add("miExportSubDetails", "Списък детайли на редове", [this] {
        RunGuarded(OperationName("miExportSubDetailsClick"), [this] { miExportSubDetailsClick(); });
    });
    pmDocument.Add("miGenerateProtocol", acGenerateProtocol);
    pmDocument.Add("miGetDocFromVendor", acGetDocFromVendor);
    pmDocument.AddSeparator();
    pmDocument.Add("miSendForCheck", acSendForCheck);
    pmLine.Add("miItemChargeAssigment", acItemChargeAssigment);
    pmLine.Add("miLineDetail", acLineDetail);
    AddDataSet({&cdsVendorDoc, "", nullptr, "", "Id", false});
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { PurchSetNewHeaderDefaults(cdsMaster, kDocKindPurchOrderBuffer); };
    DescribeLayout();
}

void TfEdPurchOrderBufer::DescribeLayout() {
    Description.Caption = "Буфер за поръчка";
    Description.AddPage("tsCommon", "Общи данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOtherData", "Други данни");
    Description.AddPage("tsForeignTrade", "Външна търговия");
    using K = TFieldKind;
    Description.AddFields({
        {"DocumentNo", "Номер", K::fkText, "tsCommon"},
        {"N_SubDocument_Code", "Вид документ", K::fkLookup, "tsCommon"},
        {"N_Contragent_Code", "Доставчик", K::fkLookup, "tsCommon"},
        {"N_SubDocument_Name", "Име на вида документ", K::fkText, "tsCommon"},
        {"N_Contragent_Name", "Име на доставчик", K::fkText, "tsCommon"},
        {"N_Contragent_Bulstat", "ЕИК", K::fkText, "tsCommon"},
        {"ToOrderNo", "Към поръчка", K::fkText, "tsCommon"},
        {"OrderDate", "Дата на поръчка", K::fkDate, "tsCommon"},
        {"DocumentDate", "Дата на документа", K::fkDate, "tsCommon"},
        {"VendorInvoiceNo", "Фактура на доставчика", K::fkText, "tsCommon"},
        {"VendorShipmentNo", "Доставка на доставчика", K::fkText, "tsCommon"},
        {"PostingDate", "Дата на осчетоводяване", K::fkDate, "tsCommon"},
        {"PayMethod_Id", "Начин на плащане", K::fkLookup, "tsCommon"},
        {"PriceIncludingVAT", "Цени с ДДС", K::fkFlag, "tsCommon"},
        {"Currency_Id", "Валута", K::fkLookup, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", K::fkLookup, "tsFinanceData"},
        {"DueDate", "Падеж", K::fkDate, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", K::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", K::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", K::fkNumber, "tsFinanceData"},
        {"TotalValue_LCY", "Сума без ДДС (евро)", K::fkNumber, "tsFinanceData"},
        {"VATValue_LCY", "ДДС (евро)", K::fkNumber, "tsFinanceData"},
        {"TotalVAT_LCY", "Сума с ДДС (евро)", K::fkNumber, "tsFinanceData"},
        {"NotIncludeVatLedger", "Не влиза в дневника по ДДС", K::fkFlag, "tsFinanceData"},
        {"AbsoluteNo", "Абсолютен номер", K::fkText, "tsOtherData"},
        {"SalesPerson_Id", "Купувач", K::fkText, "tsOtherData"},
        {"BusinessGroup_Id", "Обект", K::fkLookup, "tsOtherData"},
        {"User_Id", "Създал", K::fkText, "tsOtherData"},
        {"C_Datetime", "Създаден на", K::fkDate, "tsOtherData"},
        {"Comment", "Коментар", K::fkText, "tsOtherData"},
        {"LedgerSubjectType", "Вид субект в дневника", K::fkCombo, "tsOtherData"},
        {"ThirdSideOfDeal", "Тристранна сделка", K::fkFlag, "tsForeignTrade"},
        {"DealKind", "Вид сделка", K::fkText, "tsForeignTrade"},
        {"StatProcedure", "Статистическа процедура", K::fkText, "tsForeignTrade"},
        {"TermsOfDelivery", "Условия на доставка", K::fkText, "tsForeignTrade"},
        {"TransportType", "Вид транспорт", K::fkText, "tsForeignTrade"},
        {"TransportCountry", "Държава на транспорта", K::fkText, "tsForeignTrade"},
        {"ThirdSideCountry_Id", "Държава на третата страна", K::fkText, "tsForeignTrade"},
    });
    AddStandardLookups();
    for (const char* readOnly : {"N_SubDocument_Name", "N_Contragent_Name", "N_Contragent_Bulstat", "ToOrderNo",
                                 "OrderDate", "TotalValue", "VATValue", "TotalVAT", "TotalValue_LCY", "VATValue_LCY",
                                 "TotalVAT_LCY", "AbsoluteNo", "User_Id", "C_Datetime"})
        Description.FindField(readOnly)->ReadOnly = true;
    vendorDocPanel_.Describe(Description);
    AddLineColumns({{"Line_No", "Ред"},
                    {"Type", "Вид"},
                    {"Code", "Код"},
                    {"Description", "Описание"},
                    {"Measure_Id", "Мярка"},
                    {"Quantity", "Количество"},
                    {"DirectUnitCost_ACY", "Ед. цена"},
                    {"LineDiscount", "Отстъпка %"},
                    {"TotalValue", "Без ДДС"},
                    {"TotalVAT", "С ДДС"},
                    {"TotalValue_LCY", "Без ДДС (евро)"}});
}

std::string TfEdPurchOrderBufer::OperationText(bool forName) const {
    const TOperationTexts& texts = kOperations[operation_];
    return GetMessageText(forName ? texts.NameKey : texts.CaptionKey, texts.Default);
}

void TfEdPurchOrderBufer::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    DocumentKindCode = kDocKindPurchOrderBuffer;
    if (!DefaultValues.empty() && DefaultValues.front().FieldName == "Operation") {
        const int64_t operation = DefaultValues.front().Value.AsInteger();
        if (operation >= 0 && operation < static_cast<int64_t>(std::size(kOperations)))
            operation_ = static_cast<int>(operation);
    }
    if (operation_ >= 0) Description.Caption = OperationText(false) + " - " + Description.Caption;
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История", "Аванс.плащ.(без ДДС)"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)", "Заменими артикули", "Цени", "Отстъпки",
                      "Свободно количество ", "Количество на поръчка"});
}

void TfEdPurchOrderBufer::FormShow() {
    TfEdBasePurchDocument::FormShow();
    FillLedgerSubjectTypes();
}

void TfEdPurchOrderBufer::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    AttachStandardBinding(dataSet);
    if (&dataSet != &cdsDetail) return;
    using H = void (TfEdBasePurchDocument::*)(TField&);
    Bind(dataSet, "Description", &TfEdBasePurchDocument::CodeOnChange);
    Bind(dataSet, "UnitPrice", static_cast<H>(&TfEdPurchOrderBufer::UnitPriceOnChange));
    Bind(dataSet, "UnitPriceWithVAT", static_cast<H>(&TfEdPurchOrderBufer::UnitPriceWithVATOnChange));
    Bind(dataSet, "Marj", static_cast<H>(&TfEdPurchOrderBufer::MarjOnChange));
}

// Opened from an order with its operation: the order is copied by the template the order
// found (Value1), the buffer keeps only the lines with something to do and computes them.
void TfEdPurchOrderBufer::InsertDocumentFromDefaults(const TDefaultValues& values) {
    if (values.empty() || values.front().FieldName != "Operation") {
        TfEdBasePurchDocument::InsertDocumentFromDefaults(values);
        return;
    }
    {
        TCalcGuard filling(Suspended);
        const std::string templateId = Value1.AsString();
        if (!templateId.empty() && CallingForm != nullptr)
            CopyDocumentByTemplate(Value2.AsString(), templateId, CallingForm->FormNumber, 0, 1, 0);
        else
            TfEdBasePurchDocument::InsertDocumentFromDefaults({});
    }
    if (!uPurchCalcHelpers::InWriteState(cdsMaster)) cdsMaster.Edit();
    if (operation_ >= 0) cdsMaster.FieldByName("OperationName").SetAsString(OperationText(true));
    for (cdsDetail.First(); !cdsDetail.Eof();) {
        if (!cdsDetail.FieldByName("Quantity").IsNull() && cdsDetail.FieldByName("Quantity").AsFloat() == 0.0)
            cdsDetail.Delete();
        else
            cdsDetail.Next();
    }
    // The copy took prices and quantities with the rules suspended: the buffer is computed
    // as its recalculation would, so that it can be posted as it stands.
    DoRecalcDocument();
    cdsDetail.First();
}

// Lines taken from orders come with their order's data; only their amounts are computed.
void TfEdPurchOrderBufer::ProcessSelectedRecords(const TRequestResult& rows) {
    if (bAdvanceSelectedRecords) {
        TfEdBasePurchDocument::ProcessSelectedRecords(rows);
        return;
    }
    for (const TVariantArray& row : rows.Rows) {
        {
            TCalcGuard filling(Suspended);
            cdsDetail.Append();
            for (size_t column = 0; column < rows.Columns.size() && column < row.size(); ++column)
                if (TField* field = cdsDetail.FindField(rows.Columns[column])) field->SetValue(row[column]);
        }
        LineDiscountOnChange(cdsDetail.FieldByName("LineDiscount"));
        cdsDetail.Post();
    }
}

// A line the form fills itself (from chosen order lines) is not re-priced half way: the
// whole-document price rule would post it before its other fields are set.
void TfEdPurchOrderBufer::CodeOnChange(TField& field) {
    if (Calculating || Suspended) return;
    if (operation_ < 0) PriceIncudingVATOnChange(cdsMaster.FieldByName("PriceIncludingVAT"));
    if (cdsDetail.FieldByName("OrderLine_Id").Value().IsEmpty()) TfEdBasePurchDocument::CodeOnChange(field);
}

// A line that carries out an order line keeps the order's price; the quantity in base units,
// which the stock receives, follows.
void TfEdPurchOrderBufer::QuantityOnChange(TField& field) {
    if (cdsDetail.FieldByName("OrderLine_Id").Value().IsEmpty()) {
        TfEdBasePurchDocument::QuantityOnChange(field);
        return;
    }
    const double perUnit = cdsDetail.FieldByName("QtyPerUnitOfMeasure").AsFloat();
    cdsDetail.FieldByName("Quantity_Base").SetAsFloat(field.AsFloat() * (perUnit == 0.0 ? 1.0 : perUnit));
    LineDiscountOnChange(cdsDetail.FieldByName("LineDiscount"));
}

void TfEdPurchOrderBufer::UnitPriceOnChange(TField&) {
    UpdateItemUnitPrice(cdsDetail.FieldByName("UnitPrice").AsFloat(), 0);
}

void TfEdPurchOrderBufer::UnitPriceWithVATOnChange(TField&) {
    UpdateItemUnitPrice(cdsDetail.FieldByName("UnitPriceWithVAT").AsFloat(), 1);
}

void TfEdPurchOrderBufer::MarjOnChange(TField&) {
    const double cost = cdsDetail.FieldByName("UnitCost_LCY").AsFloat();
    UpdateItemUnitPrice(cost + cost * cdsDetail.FieldByName("Marj").AsFloat() / 100.0, 0);
}

void TfEdPurchOrderBufer::acAddPurchOrderLinesExecute() {
    TFilter filter;
    const Variant order = FieldValue(cdsMaster, "AppliesToDoc_Id");
    if (!order.IsEmpty())
        filter.Add("D_PurchaseLine.Master_Id", "=", order);
    else
        filter.Add("D_PurchHeader.Contragent_Id", "=", FieldValue(cdsMaster, "Contragent_Id"));
    TRequestResult rows;
    if (!GetSelectorRows("10510", filter, kOrderLineFields, kBufferLineFields, rows)) return;
    ProcessSelectedRecords(rows);
}

// The vendor's document.

void TfEdPurchOrderBufer::acGetDocFromVendorExecute() {
    TRequestResult documents;
    int chosen = -1;
    if (!TVendorDocumentReceiver(cdsMaster, cdsDetail, Calculating).ChooseDocument(documents, chosen)) return;
    vendorDocPanel_.Show(documents, chosen);
    edtVendorDocNoChange();
}

// What buffers hold of the order lines comes from the server, so the buffer is saved before
// a vendor's document is placed.
void TfEdPurchOrderBufer::edtVendorDocNoChange() {
    const std::string number = vendorDocPanel_.DocumentNo();
    if (number.empty() || !QueryToSaveBeforeToDo()) return;
    TVendorDocumentReceiver receiver(cdsMaster, cdsDetail, Calculating);
    TUblInvoice document;
    if (!receiver.Fetch(number, document)) return;
    TWaitCursor wait;
    TVendorItemMapping items(document, FieldValue(cdsMaster, "N_Contragent_Code").AsString());
    if (!receiver.MapItems(items)) return;
    const TRequestResult orderLines = ReadOrderLinesToPlace();
    receiver.CopyHeader(document, "VendorInvoiceNo");
    PlaceVendorLines(document, items, orderLines);
    receiver.WarnMissingItems(items);
}

TRequestResult TfEdPurchOrderBufer::ReadOrderLinesToPlace() {
    TFilter filter;
    filter.Add(std::string(kOrderLinesToPlace) + ".Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add(std::string(kOrderLinesToPlace) + ".Contragent_Id", " =", FieldValue(cdsMaster, "Contragent_Id"));
    TRequestResult rows;
    dm().Server().RequestValue(0, kOrderLinesToPlace, kOrderLinesToPlaceFields, filter, rows, true);
    return rows;
}

void TfEdPurchOrderBufer::PlaceVendorLines(const TUblInvoice& document, const TVendorItemMapping& items,
                                           const TRequestResult& orderLines) {
    std::vector<TVendorQuantity> vendorLines;
    for (size_t i = 0; i < document.Lines.size(); ++i) vendorLines.push_back({items.CodeOf(i), document.Lines[i].Quantity});
    std::vector<TOpenOrderLine> open;
    for (size_t row = 0; row < orderLines.Rows.size(); ++row) {
        const auto number = [&](const char* field) { return orderLines.ByName(field, row).AsFloat(); };
        open.push_back({orderLines.ByName("Code", row).AsString(), number("Quantity"), number("ReturnedQty"),
                        number("ReceivedQty"), number("RejectedQty"), number("CalculatedQTY")});
    }
    for (const TPlacedQuantity& placed : TVendorLinePlacement::Place(vendorLines, open)) {
        AppendPlacedLine(document.Lines[placed.VendorLine], items, orderLines, placed);
        cdsDetail.Post();
    }
    cdsDetail.First();
}

// The line is written with the rules quiet (a code written is no item typed), and its amounts
// computed from the vendor's price and discount.
void TfEdPurchOrderBufer::AppendPlacedLine(const TUblInvoiceLine& vendor, const TVendorItemMapping& items,
                                           const TRequestResult& orderLines, const TPlacedQuantity& placed) {
    {
        TCalcGuard filling(Suspended);
        TCalcGuard quiet(Calculating);
        cdsDetail.Append();
        if (placed.OrderLine) {
            for (const char* field : kPlacedLineFields)
                if (TField* target = cdsDetail.FindField(field))
                    target->SetValue(orderLines.ByName(field, *placed.OrderLine));
            cdsDetail.FieldByName("OrderLine_Id").SetValue(orderLines.ByName("Id", *placed.OrderLine));
        } else {
            const TRequestResult& item = items.ItemOf(placed.VendorLine);
            cdsDetail.FieldByName("Type").SetAsInteger(1);
            cdsDetail.FieldByName("Code").SetAsString(items.CodeOf(placed.VendorLine));
            for (const char* field : {"Measure_Id", "GenProdPostGroup_Id", "VATProdPostGroup_Id"})
                cdsDetail.FieldByName(field).SetValue(item.ByName(field));
            cdsDetail.FieldByName("Description").SetValue(item.ByName("Name"));
            cdsDetail.FieldByName("Description2").SetAsString(vendor.Description);
            cdsDetail.FieldByName("VATPercent").SetAsFloat(vendor.Category.Percent);
        }
        SetIfGiven(cdsDetail, "SerialNo", vendor.SerialNo);
        SetIfGiven(cdsDetail, "PartNo", vendor.PartNo);
        cdsDetail.FieldByName("PriceIncludingVAT").SetAsInteger(0);
        cdsDetail.FieldByName("DirectUnitCost_ACY").SetAsFloat(vendor.DirectUnitCost);
        cdsDetail.FieldByName("Quantity").SetAsFloat(placed.Quantity);
        const double perUnit = cdsDetail.FieldByName("QtyPerUnitOfMeasure").AsFloat();
        cdsDetail.FieldByName("Quantity_Base").SetAsFloat(placed.Quantity * (perUnit == 0.0 ? 1.0 : perUnit));
        cdsDetail.FieldByName("LineDiscount").SetAsFloat(VendorDiscount(vendor));
    }
    LineDiscountOnChange(cdsDetail.FieldByName("LineDiscount"));
}

// Posting.

int TfEdPurchOrderBufer::AskOperation() {
    std::istringstream options(GetMessageText(
        "str_PurchOrderPostDocumentOptions", "Получаване\nВръщане\nОтказване\nФактуриране\nПолучаване и фактуриране"));
    TRequestResult rows{{"Operation"}, {}};
    for (std::string option; std::getline(options, option);) rows.Rows.push_back({option});
    int chosen = -1;
    if (!dm().Dialogs().ChooseRow(GetMessageText("str_Oschetovodqvane", "Осчетоводяване"), rows, chosen)) return -1;
    return chosen;
}

bool TfEdPurchOrderBufer::HasFreeItemLines() {
    bool found = false;
    for (cdsDetail.First(); !cdsDetail.Eof() && !found; cdsDetail.Next())
        found = cdsDetail.FieldByName("Type").AsInteger() == 1 && cdsDetail.FieldByName("OrderLine_Id").Value().IsEmpty();
    return found;
}

bool TfEdPurchOrderBufer::PostingChecksPass(int operation) {
    if (operation != 2 && operation != 4 && HasFreeItemLines()) {
        ShowErrorKey("err_CanNotPostPurchFreeLines", "Буферът има редове, които не са към поръчка.");
        return false;
    }
    if ((operation == 0 || operation == 1 || operation == 4) && !DocumentCheckIsDone(cdsMaster)) return false;
    if ((operation == 3 || operation == 4) &&
        !CheckCanPostDocument(FieldValue(cdsMaster, "PayMethod_Id"), "", 1, FieldValue(cdsMaster, "DirectPay")))
        return false;
    if (FieldValue(cdsMaster, "DocSubType_id").IsEmpty()) {
        ShowErrorKey("err_SelectDocSubType", "Изберете вид на документа.");
        return false;
    }
    return true;
}

void TfEdPurchOrderBufer::PostDocument(bool print) {
    TfEdBasePurchDocument::PostDocument(print);
    TWaitCursor wait;
    int operation = operation_;
    if (operation < 0) operation = AskOperation();
    if (operation < 0 || !PostingChecksPass(operation)) return;
    TVariantArray keys;
    if (dm().Server().PostPurchOrder(cdsMaster.FieldByName("Id").AsString(), keys, operation) < 0) {
        TellDocumentRefused(TDocumentDeed::ddPosted, kDocKindPurchOrderBuffer, ShownDocumentNo());
        return;
    }
    const double totalVat = FieldValue(cdsMaster, "TotalVat").AsFloat();
    if (LocalData().ShowChangeCalculation && FieldValue(cdsMaster, "DirectPay").AsInteger() == 1 && totalVat != 0.0) {
        const double totalLCY = FieldValue(cdsMaster, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(totalLCY, totalLCY);
    }
    acRefreshExecute();
    if (auto* caller = dynamic_cast<IBaseIntf*>(CallingForm)) caller->RefreshDocument();
    if (print) PrintPosted(keys);
    TellPostedDocuments(keys, operation);
}

// Names each document the posting made: the receipt, the return or the rejection, the invoice.
void TfEdPurchOrderBufer::TellPostedDocuments(const TVariantArray& keys, int operation) {
    const std::pair<const char*, int> made[] = {
        {"D_PurchReceiptHeader", kDocKindPostedReceipt},
        {"D_PostPurchOrderHeader", operation == 2 ? kDocKindPostedRejectOrder : kDocKindPostedReturnOrder},
        {"D_PurchInvoiceHeader", kDocKindPostedPurchaseInvoice}};
    for (size_t i = 0; i < keys.size() && i < std::size(made); ++i) {
        const std::string number = PostedNumberOf(made[i].first, keys[i]);
        if (!number.empty()) TellDocumentDone(TDocumentDeed::ddPosted, made[i].second, number);
    }
}

void TfEdPurchOrderBufer::PrintPosted(const TVariantArray& keys) {
    if (keys.empty()) return;
    if (!LocalData().PrintPostedDocumentsSeparately) {
        PrintPostedDocument(keys, kPrintForms[0]);
        return;
    }
    for (size_t i = 0; i < keys.size() && i < std::size(kPrintForms); ++i)
        if (!keys[i].IsEmpty()) PrintPostedDocument({keys[i]}, kPrintForms[i]);
}

// Protocol, warehouse check, item charges, line details.

void TfEdPurchOrderBufer::acGenerateProtocolExecute() {
    const TLocalData& session = LocalData();
    const std::string text = "exec " +
                             GetMessageText("usp_CreatePurchaseProtocolFromPurchOrderBuf",
                                            "dbo.usp_CreatePurchaseProtocolFromPurchOrderBuf") +
                             " " + QuotedSql(session.CompanyId) + ", " + QuotedSql(session.BusinessGroupId) + ", " +
                             QuotedSql(cdsMaster.FieldByName("Id").AsString()) + ", " + QuotedSql(session.UserId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Result,ErrMsg", TFilter(), result);
    if (result.ByName("Result").AsString() == "-1") {
        MessageDlgEx(GetMessageText("err_CommonError", "Грешка:") + " " + result.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    ShowInfoKey("msg_OperSuccess", "Операцията е успешна.");
    const std::string protocolId = result.ByName("ErrMsg").AsString();
    RequestForm(11001, {soNormal}, TFilter().Add("D_PurchInvoiceHeader.Id", "=", Variant(QuotedSql(protocolId))),
                Variant(), Variant(), nullptr, {}, this);
    TellCreatedDocument("D_GlobalPurchHeader", Variant(protocolId));
}

void TfEdPurchOrderBufer::acSendForCheckExecute() {
    if (!QueryToSaveBeforeToDo()) return;
    if (SendDocumentForCheck(FieldValue(cdsMaster, "Id"), 3, 0, 0, true, FieldValue(cdsMaster, "Businessgroup_Id")))
        acRefreshExecute();
}

void TfEdPurchOrderBufer::acItemChargeAssigmentExecute() {
    if (cdsDetail.IsEmpty() || cdsDetail.FieldByName("Type").AsInteger() != 3) {
        ShowInfoKey("inf_SelectItemCharge", "Изберете ред за допълнителен разход.");
        return;
    }
    const Variant id = FieldValue(cdsMaster, "Id"), lineId = FieldValue(cdsDetail, "Id");
    const TDefaultValues defaults{{"TableName", "D_PurchOrderBufLine"},
                                  {"Document_Id", id},
                                  {"AppliesToDoc_Id", id},
                                  {"AppliesToDocType", FieldValue(cdsMaster, "DocumentType")},
                                  {"UnitCost", FieldValue(cdsDetail, "TotalValue_LCY")},
                                  {"Contragent_Id", FieldValue(cdsMaster, "Contragent_Id")},
                                  {"EntryType", 0},
                                  {"ItemCharge_Id", FieldValue(cdsDetail, "Code")},
                                  {"Quantity", FieldValue(cdsDetail, "Quantity")},
                                  {"DocumentLine_Id", lineId}};
    TFilter filter;
    filter.Add("D_ItemChargeAssignment.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_ItemChargeAssignment.Document_ID", "=", id, "AND")
        .Add("D_ItemChargeAssignment.DocumentLine_Id", "=", lineId);
    RequestForm(10600, {soNormal}, filter, Variant(), Variant(), nullptr, defaults, this);
}

void TfEdPurchOrderBufer::acLineDetailExecute() {
    TFilter filter;
    filter.Add("D_PurchaseBufLineDetail.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_PurchaseBufLineDetail.Master_Id", "=", FieldValue(cdsMaster, "Id"), "AND")
        .Add("D_PurchaseBufLineDetail.MasterLine_Id", "=", FieldValue(cdsDetail, "Id"));
    RequestForm(4490, {soNormal}, filter, Variant(), Variant(), nullptr, {}, this);
}

void TfEdPurchOrderBufer::miExportSubDetailsClick() {
    RequestForm(3590, {soNormal}, TFilter(), Variant(), Variant(), nullptr,
                {{"pBuffLine_Id", FieldValue(cdsDetail, "Id")}}, this);
}

void TfEdPurchOrderBufer::GetPanelDetailsMaster() {
    TfEdBasePurchDocument::GetPanelDetailsMaster();
    ShowVendorAdvancePayment();
}

int TfEdPurchOrderBufer::GetPrintDocumentType() { return 2; }

// Deleting.

void TfEdPurchOrderBufer::acDeleteRecordExecute() {
    if (!CheckDocumentBeforeDelete(5)) return;
    TfEdBasePurchDocument::acDeleteRecordExecute();
}

// The server decides whether a line of a buffer under goods check may go; each chosen line
// is asked for as it is deleted.
void TfEdPurchOrderBufer::cdsDetailBeforeDelete() {
    TfBaseEditDocumentPanel::cdsDetailBeforeDelete();
    const std::string code = cdsDetail.FieldByName("Code").AsString();
    if (!PurchCheckDocumentBeforeDelete(cdsMaster, 5, &code)) throw EAbort();
}

void TfEdPurchOrderBufer::MoveToAnnulDocs() {
    if (!PurchSaveHistoryBeforeDelete(cdsMaster, 7)) throw EAbort();
    TfEdBasePurchDocument::MoveToAnnulDocs();
}

namespace uEdPurchOrderBufer {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchOrderBufer", TfEdPurchOrderBufer::kFormNumber,
                      [] { return std::make_unique<TfEdPurchOrderBufer>(); }, "Буфер за поръчка",
                      TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchOrderBufer

}  // namespace tavrek
