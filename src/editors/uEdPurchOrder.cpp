#include "editors/uEdPurchOrder.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <sstream>
#include <stdexcept>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/EFormError.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TImportFilter.h"
#include "base/forms/TWaitCursor.h"
#include "base/partner/ITavrekAPI.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Base64.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uPurchPrintForms.h"
#include "editors/uOrderResponseFilter.h"

namespace tavrek {

using uPurchCalcHelpers::Num;
using uPurchCalcHelpers::QuotedSql;
using uPurchCalcHelpers::SetNum;
using uPurchCalcHelpers::TCalcGuard;

namespace {

int A() { return LocalData().AmountDecimals; }

// The namespace of the order documents our vendors' services take.
constexpr const char* kOrderNamespace = "urn:tavrek:purchase:order:1";

// A number as the shortest text that reads back as the same double ("10", "2.5").
std::string NumberText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

// The line controls stay off while an operation walks the lines, and come back on any exit.
class TControlsOff {
public:
    explicit TControlsOff(TClientDataSet& dataSet) : dataSet_(dataSet) { dataSet_.DisableControls(); }
    ~TControlsOff() { dataSet_.EnableControls(); }
    TControlsOff(const TControlsOff&) = delete;
    TControlsOff& operator=(const TControlsOff&) = delete;

private:
    TClientDataSet& dataSet_;
};

// The import definition of a vendor's confirmation, one row per confirmed item, as the server
// defines it; a server without it cannot import confirmations.
constexpr const char* kConfirmationRows = "D_PurchOrderConfirmRow";

void DefineConfirmationDataSet(TClientDataSet& rows) {
    dm().Server().RequestData(kConfirmationRows,
                              TFilter().Add(std::string(kConfirmationRows) + ".Id", "=", Variant()), rows);
    for (const char* field : {"VendorItemNo", "Quantity", "UnitPrice", "LineDiscount"})
        if (rows.FindField(field) == nullptr)
            throw EFormError(GetMessageText("err_NotDefinedPurchImportCDS", "Не е дефиниран импорт на поръчки за покупка."));
}

}  // namespace

TfEdPurchOrder::TfEdPurchOrder()
    : acReceive(AcListBase.Add("acReceive", "Получаване", "Функции")),
      acReturn(AcListBase.Add("acReturn", "Връщане", "Функции")),
      acReject(AcListBase.Add("acReject", "Отказване", "Функции")),
      acInvoice(AcListBase.Add("acInvoice", "Фактуриране", "Функции")),
      acReceiveAndInvoice(AcListBase.Add("acReceiveAndInvoice", "Получаване и фактура", "Функции")),
      acUnLockOrder(AcListBase.Add("acUnLockOrder", "Повторно отваряне на поръчка", "Документ")),
      acConfirmOrder(AcListBase.Add("acConfirmOrder", "Импорт на подтвърждение", "Документ")),
      acAcceptConfirmation(AcListBase.Add("acAcceptConfirmation", "Приеми к-во, цени потвърждение", "Документ")),
      acSendtoVendor(AcListBase.Add("acSendtoVendor", "Изпрати към доставчик", "Документ")),
      acApprove(AcListBase.Add("acApprove", "Одобряване", "Документ")) {
    MasterProvider = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
    MasterTable = "D_PurchHeader";
    acReCalcDocument.ShortCut = "F9";
    acAddAdvancePayment.Visible = true;
    // An order is carried out through its buffer, which posts it.
    HidePostingActions();
    NumberSeriesSetupField = "Order_Series_Id";
    BindOperation(acReceive, opReceive, "que_ConfirmRecvOrder");
    BindOperation(acReturn, opReturn, "que_ConfirmReturnOrder");
    BindOperation(acReject, opReject, "que_ConfirmRejectOrder");
    BindOperation(acInvoice, opInvoice, "que_ConfirmInvoiceOrder");
    BindOperation(acReceiveAndInvoice, opReceiveAndInvoice, "que_ConfirmRecvAndInvOrder");
    BindAction(acUnLockOrder, "acUnLockOrderExecute", [this] { acUnLockOrderExecute(); });
    BindAction(acConfirmOrder, "ImportOrderFromFile", [this] { acConfirmOrderExecute(); });
    BindAction(acAcceptConfirmation, "acAcceptConfirmationExecute", [this] { acAcceptConfirmationExecute(); });
    BindAction(acSendtoVendor, "acSendToServiceExecute", [this] { acSendToServiceExecute(); });
    BindAction(acApprove, "acApproveExecute", [this] { acApproveExecute(); });
    // Whether the order is above the amount is the server's to say when it is asked.
    acApprove.OnUpdate = [this](TAction& a) {
        a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty() && HasRight(TFormRight::frApprove) &&
                    FieldValue(cdsMaster, "ApprovedBy_Id").IsEmpty();
    };
    for (TAction* action : {&acReceive, &acReturn, &acReject, &acInvoice, &acReceiveAndInvoice})
        pmFunctions.Add("mi" + action->Name.substr(2), *action);
    AddMenu(pmFunctions);
    pmDocument.Add("miUnLockOrder", acUnLockOrder);
    pmDocument.Add("miConfirmOrder", acConfirmOrder);
    pmDocument.Add("miAcceptConfirmation", acAcceptConfirmation);
    pmDocument.Add("miSendtoVendor", acSendtoVendor);
    pmDocument.Add("miApprove", acApprove);
    pmLine.Add("miPurchOrderDetail", "Детайли на ред", [this] {
        RunGuarded(OperationName("miPurchOrderDetailClick"), [this] { miPurchOrderDetailClick(); });
    });
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { SetNewDocumentDefaults(); };
    // A closed order is only looked at, sent to its vendor or opened again.
    for (TAction* action : {&acReceive, &acReturn, &acReject, &acInvoice, &acReceiveAndInvoice, &acConfirmOrder,
                            &acAcceptConfirmation})
        action->OnUpdate = [this](TAction& a) { a.Enabled = !ReadOnly && cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    acUnLockOrder.OnUpdate = [this](TAction& a) { a.Enabled = OrderClosed(); };
    DescribeLayout();
}

bool TfEdPurchOrder::OrderClosed() { return storedStatus_ != 0 && cdsMaster.Active() && !cdsMaster.IsEmpty(); }

bool TfEdPurchOrder::CheckDataModification() {
    storedStatus_ = cdsMaster.Active() && !cdsMaster.IsEmpty() ? FieldValue(cdsMaster, "DocStatus").AsInteger() : 0;
    const bool editable = TfEdBasePurchDocument::CheckDataModification();
    if (!OrderClosed()) return editable;
    ReadOnly = true;
    for (TGrid* grid : Grids()) grid->ReadOnly = true;
    return false;
}

void TfEdPurchOrder::MoveToAnnulDocs() {
    if (!PurchSaveHistoryBeforeDelete(cdsMaster, kOrderHistoryKind)) throw EAbort();
    TfEdBasePurchDocument::MoveToAnnulDocs();
}

std::string TfEdPurchOrder::EditPropsRefusal() const {
    return FormatMessage(GetMessageText("err_EditPropsRightNotAllowed", "Нямате право да променяте свойствата на форма %s."),
                         {std::to_string(FormNumber)}) +
           "\r\n" + GetMessageText("inf_CallSystemAdministrator", "Обърнете се към системния администратор.");
}

void TfEdPurchOrder::BindOperation(TAction& action, int operation, const char* confirmationKey) {
    BindAction(action, "CallSaleOrderBuffer", [this, operation, confirmationKey, caption = action.Caption] {
        const std::string question = GetMessageText(confirmationKey, "Да бъде ли изпълнено \"" + caption + "\"?");
        if (MessageDlgEx(question, TMsgDlgType::mtConfirmation, mbOK | mbCancel) == mrOk) CallPurchOrderBuffer(operation);
    });
}

void TfEdPurchOrder::SetNewDocumentDefaults() {
    const TDateTime today = TDateTime::Today();
    PurchSetEmptyFieldsQuietly(cdsMaster, {
        {"DocumentType", Variant(int64_t{kDocKindPurchOrder})}, {"DocumentDate", Variant(today)},
        {"OrderDate", Variant(today)},                          {"DocStatus", Variant(int64_t{0})},
        {"CurrencyFactor", Variant(1.0)},                       {"PriceIncludingVAT", Variant(int64_t{0})},
        {"BusinessGroup_Id", Variant(LocalData().BusinessGroupId)}});
}

void TfEdPurchOrder::DescribeLayout() {
    Description.Caption = "Поръчка за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOtherData", "Други данни");
    using K = TFieldKind;
    Description.AddFields({
        {"DocumentNo", "Номер", K::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", K::fkLookup, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", K::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", K::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", K::fkDate, "tsMainData"},
        {"OrderDate", "Дата на поръчка", K::fkDate, "tsMainData"},
        {"DocStatus", "Затворена", K::fkFlag, "tsMainData"},
        {"AwaitsApproval", "Чака одобрение", K::fkFlag, "tsMainData"},
        {"ApprovedBy_Name", "Одобрена от", K::fkText, "tsMainData"},
        {"ApprovedAt", "Одобрена на", K::fkDate, "tsMainData"},
        {"VendorOrderNo", "Поръчка на доставчика", K::fkText, "tsMainData"},
        {"Comment", "Коментар", K::fkText, "tsMainData"},
        {"PayMethod_Id", "Начин на плащане", K::fkLookup, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", K::fkLookup, "tsFinanceData"},
        {"Currency_Id", "Валута", K::fkLookup, "tsFinanceData"},
        {"CurrencyFactor", "Курс", K::fkNumber, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", K::fkFlag, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", K::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", K::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", K::fkNumber, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", K::fkCombo, "tsFinanceData"},
        {"RequestedReceiptDate", "Желана дата на получаване", K::fkDate, "tsOtherData"},
        {"RequestedReceiptHour", "Желан час на получаване", K::fkText, "tsOtherData"},
        {"ExpectedReceiptDate", "Очаквана дата на получаване", K::fkDate, "tsOtherData"},
        {"AutoOrderStartDate", "Затворена на", K::fkDate, "tsOtherData"},
    });
    AddStandardLookups();
    for (const char* readOnly : {"N_Contragent_Name", "TotalValue", "VATValue", "TotalVAT", "AutoOrderStartDate",
                                 "AwaitsApproval", "ApprovedBy_Name", "ApprovedAt"})
        Description.FindField(readOnly)->ReadOnly = true;
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
                    {"QtyToReceive", "За получаване"},
                    {"ReceivedQty", "Получено"},
                    {"InvoicedQty", "Фактурирано"},
                    {"ReturnedQty", "Върнато"},
                    {"RejectedQty", "Отказано"},
                    {"ConfirmQuantity", "Потв. к-во"},
                    {"ConfirmPrice", "Потв. цена"},
                    {"ConfirmDiscount", "Потв. отстъпка"}});
}

void TfEdPurchOrder::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    DocumentKindCode = kDocKindPurchOrder;
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История", "Аванс.плащ.(без ДДС)"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)", "Заменими артикули", "Цени", "Отстъпки",
                      "Свободно количество ", "Количество на поръчка", "Минимално к-во за поръчка"});
}

void TfEdPurchOrder::FormShow() {
    TfEdBasePurchDocument::FormShow();
    FillLedgerSubjectTypes();
}

// Binding.

void TfEdPurchOrder::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    using T = TfEdBasePurchDocument;
    using H = void (T::*)(TField&);
    AttachStandardBinding(dataSet);
    if (&dataSet == &cdsMaster) {
        Bind(dataSet, "DocStatus", static_cast<H>(&TfEdPurchOrder::DocStatusOnChange));
        if (TField* status = cdsMaster.FindField("DocStatus"))
            status->OnValidate = [this](TField& f) { ValidateDocStatus(f); };
    }
    if (&dataSet != &cdsDetail) return;
    Bind(dataSet, "Description", &T::CodeOnChange);
    const auto validate = [this](const char* name, void (TfEdPurchOrder::*handler)(TField&)) {
        if (TField* field = cdsDetail.FindField(name)) field->OnValidate = [this, handler](TField& f) { (this->*handler)(f); };
    };
    Bind(dataSet, "QtyToInvoice", static_cast<H>(&TfEdPurchOrder::QtyToInvoiceOnChange));
    validate("QtyToInvoice", &TfEdPurchOrder::ValidateQtyToInvoice);
    Bind(dataSet, "QtyToReceive", static_cast<H>(&TfEdPurchOrder::QtyToReceiveOnChange));
    validate("QtyToReceive", &TfEdPurchOrder::ValidateQtyToShip);
    validate("Quantity", &TfEdPurchOrder::ValidateQuantity);
    Bind(dataSet, "InvoicedQty", static_cast<H>(&TfEdPurchOrder::InvoicedQtyOnChange));
    Bind(dataSet, "ReceivedQty", static_cast<H>(&TfEdPurchOrder::ReceivedQtyOnChange));
}

// Unticking a closed order opens it again, which the order form's right to edit document
// properties allows.
void TfEdPurchOrder::ValidateDocStatus(TField& field) {
    if (field.AsInteger() != 0 || storedStatus_ == 0 || reopening_) return;
    if (!HasRight(TFormRight::frEditProps)) throw EFormError(EditPropsRefusal());
}

void TfEdPurchOrder::DocStatusOnChange(TField& field) {
    if (field.AsInteger() != 1) return;
    uPurchCalcHelpers::EnsureEditing(cdsMaster);
    cdsMaster.FieldByName("AutoOrderStartDate").SetAsDateTime(TDateTime::Now());
}

void TfEdPurchOrder::QtyToInvoiceOnChange(TField& field) { CalcBaseQuantity(cdsDetail, field.FieldName(), Calculating); }

void TfEdPurchOrder::QtyToReceiveOnChange(TField& field) { CalcBaseQuantity(cdsDetail, field.FieldName(), Calculating); }

void TfEdPurchOrder::InvoicedQtyOnChange(TField& field) { CalcBaseQuantity(cdsDetail, field.FieldName(), Calculating); }

void TfEdPurchOrder::ReceivedQtyOnChange(TField& field) { CalcBaseQuantity(cdsDetail, field.FieldName(), Calculating); }

void TfEdPurchOrder::ValidateQtyToShip(TField&) {
    uPurchCallculations::PurchValidateQuantityReceived(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchOrder::ValidateQtyToInvoice(TField&) {
    uPurchCallculations::PurchValidateQuantityInvoiced(cdsMaster, cdsDetail, Calculating);
}

// A line nothing was done with yet receives all of its new quantity.
void TfEdPurchOrder::ValidateQuantity(TField& field) {
    static const char* const done[] = {"InvoicedQty", "ReceivedQty", "ReturnedQty", "RejectedQty"};
    const bool untouched =
        std::all_of(std::begin(done), std::end(done), [this](const char* name) { return Num(cdsDetail, name) == 0.0; });
    if (untouched) {
        uPurchCalcHelpers::EnsureEditing(cdsDetail);
        cdsDetail.FieldByName("QtyToReceive").SetAsFloat(field.AsFloat());
    }
    uPurchCallculations::PurchValidateQuantityReceived(cdsMaster, cdsDetail, Calculating);
    uPurchCallculations::PurchValidateQuantityInvoiced(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchOrder::CodeOnChange(TField&) {
    if (Suspended) return;
    uPurchCallculations::PurchCodeOnChange(cdsMaster, cdsDetail, Calculating, false, true);
    GetPanelDetailsDetail();
}

void TfEdPurchOrder::ContragentFieldOnChange(TField&) {
    if (Calculating || FieldValue(cdsMaster, "Contragent_Id").IsEmpty()) return;
    uPurchCallculations::PurchContragentDefaults(cdsMaster);
    const std::optional<bool> answered = std::exchange(contragentAnswer_, std::nullopt);
    const bool lookupPrice = !HasLines() || (answered ? *answered : AskYesNoKey("queChangeContragent"));
    GetPanelDetailsMaster();
    uPurchCallculations::PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, lookupPrice);
}

// The order's VAT step takes the header's price basis and books the VAT on the whole value.
void TfEdPurchOrder::UpdateVATAmounts() {
    TCalcGuard scope(Calculating);
    try {
        const double totalPrice = Num(cdsDetail, "TotalPrice"), invDisc = Num(cdsDetail, "InvDiscAmount");
        if (RoundUp(totalPrice, A()) == RoundUp(invDisc, A())) {
            for (const char* field : {"TotalValue", "VATBaseAmount", "VATValue", "TotalVAT", "TotalValue_LCY",
                                      "VATValue_LCY", "TotalVAT_LCY"})
                SetNum(cdsDetail, field, 0.0);
            return;
        }
        const double percent = Num(cdsDetail, "VATPercent");
        const bool inclusive = cdsMaster.FieldByName("PriceIncludingVAT").AsInteger() == 1 && percent != 0.0;
        const double value =
            RoundUp(inclusive ? (totalPrice - invDisc) / (1.0 + percent / 100.0) : totalPrice - invDisc, A());
        SetNum(cdsDetail, "TotalValue", value);
        const double valueLCY = RoundUp(value * Num(cdsMaster, "CurrencyFactor"), A());
        const double vatLCY = RoundUp(valueLCY * percent / 100.0, A());
        SetNum(cdsDetail, "TotalValue_LCY", valueLCY);
        SetNum(cdsDetail, "VATValue_LCY", vatLCY);
        SetNum(cdsDetail, "TotalVAT_LCY", valueLCY + vatLCY);
        const double vat = RoundUp(value * percent / 100.0, A());
        SetNum(cdsDetail, "VATBaseAmount", value);
        SetNum(cdsDetail, "VATValue", vat);
        SetNum(cdsDetail, "TotalVAT", vat + value);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdPurchOrder.UpdateVATAmounts");
    }
}

void TfEdPurchOrder::GetPanelDetailsMaster() {
    TfEdBasePurchDocument::GetPanelDetailsMaster();
    ShowVendorAdvancePayment();
}

TRequestResult TfEdPurchOrder::GetPrintDocument() {
    TRequestResult result = TfEdBasePurchDocument::GetPrintDocument();
    try {
        TRequestResult forms;
        if (PurchPrintForms(FieldValue(cdsMaster, "DocSubType_Id"), forms) > 0) result = forms;
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdPurchOrder.GetPrintDocument");
    }
    return result;
}

void TfEdPurchOrder::miPurchOrderDetailClick() {
    TFilter filter;
    filter.Add("D_PurchaseLineDetail.Master_Id", "=", FieldValue(cdsMaster, "Id"), "AND")
        .Add("D_PurchaseLineDetail.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_PurchaseLineDetail.MasterLine_Id", "=", FieldValue(cdsDetail, "Id"));
    RequestForm(4480, {soNormal}, filter, Variant(), Variant(), nullptr, {}, this);
}

// Order operations.

void TfEdPurchOrder::ComputeCalculatedQty(int operation) {
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        // Goods sent back are no longer received: they may come again and are not invoiced.
        const double q = Num(cdsDetail, "Quantity"), r = Num(cdsDetail, "ReceivedQty") - Num(cdsDetail, "ReturnedQty");
        const double i = Num(cdsDetail, "InvoicedQty"), j = Num(cdsDetail, "RejectedQty");
        const bool item = cdsDetail.FieldByName("Type").AsInteger() == 1;
        double quantity = 0.0;
        switch (operation) {
            case opReceive: quantity = item ? q - r - j : 0.0; break;
            case opReturn: quantity = item ? r - i : 0.0; break;
            case opInvoice: quantity = item ? r - i : q - i - j; break;
            default: quantity = q - r - j; break;
        }
        cdsDetail.Edit();
        cdsDetail.FieldByName("CalculatedQTY").SetAsFloat(std::max(quantity, 0.0));
        cdsDetail.Post();
    }
}

std::string TfEdPurchOrder::FindBufferTemplate() {
    TFilter filter;
    filter.Add("S_CopyDocTemplateHeader.SrcForm_Id", "=", FormNumber != 0 ? FormNumber : kFormNumber, "AND")
        .Add("S_CopyDocTemplateHeader.TrgForm_Id", "=", kOrderBufferFormNumber);
    TRequestResult found;
    const int count = dm().Server().RequestValue(0, "S_CopyDocTemplateHeader", "Id", filter, found, true);
    const std::string id = found.Value().AsString();
    if (count == 1 && !id.empty()) return id;
    const std::string text = GetMessageText("err_NotFountCopyTemplate", "Не е намерен шаблон за копиране на документ.") +
                             "\r\n" + GetMessageText("err_NoUniqueRecord", "Записът не е еднозначен.") + "\r\n" +
                             GetMessageText("inf_CallSystemAdministrator", "Обърнете се към системния администратор.");
    MessageDlgEx(text, TMsgDlgType::mtError, mbOK);
    throw std::runtime_error(text);
}

void TfEdPurchOrder::CallPurchOrderBuffer(int operation) {
    TWaitCursor wait;
    {
        TControlsOff controls(cdsDetail);
        ComputeCalculatedQty(operation);
    }
    acSaveExecute();
    if (operation != opReturn && operation != opReject && WaitsForApproval()) return;
    const std::string templateId = FindBufferTemplate();
    RequestForm(kOrderBufferFormNumber, {soNormal}, TFilter(), Variant(templateId), FieldValue(cdsMaster, "Id"),
                nullptr, {{"Operation", Variant(int64_t{operation})}}, this);
    if (IBaseIntf* buffer = FindFormByCallingForm(this)) buffer->ActivateDocumentForm();
    HandOverOnClose = true;
    Close(mrOk);
}

void TfEdPurchOrder::acUnLockOrderExecute() {
    if (!HasRight(TFormRight::frEditProps)) {
        MessageDlgEx(EditPropsRefusal(), TMsgDlgType::mtError, mbOK);
        return;
    }
    try {
        if (TField* status = cdsMaster.FindField("DocStatus")) {
            uPurchCalcHelpers::EnsureEditing(cdsMaster);
            reopening_ = true;
            status->SetAsInteger(0);
            reopening_ = false;
            acSaveExecute();
        }
        ShowInfoKey("msg_OperSuccess", "Операцията е успешна.");
    } catch (...) {
        reopening_ = false;
        ShowErrorKey("msg_OperNotCompleted", "Операцията не беше изпълнена.");
        throw;
    }
}

// The vendor's confirmation.

void TfEdPurchOrder::acAcceptConfirmationExecute() {
    if (MessageDlgEx(GetMessageText("que_AcceptConfirmation", "Да бъдат ли приети количествата и цените от потвърждението?"),
                     TMsgDlgType::mtConfirmation, mbOK | mbCancel) != mrOk)
        return;
    try {
        if (!uPurchCalcHelpers::InWriteState(cdsMaster)) cdsMaster.Edit();
        const bool inclusive = cdsMaster.FieldByName("PriceIncludingVAT").AsInteger() == 1;
        for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
            cdsDetail.Edit();
            cdsDetail.FieldByName("Quantity").SetAsFloat(Num(cdsDetail, "ConfirmQuantity"));
            const double price = Num(cdsDetail, "ConfirmPrice");
            SetNum(cdsDetail, "DirectUnitCost_ACY", inclusive ? price * (1.0 + Num(cdsDetail, "VATPercent") / 100.0) : price);
            SetNum(cdsDetail, "LineDiscount", Num(cdsDetail, "ConfirmDiscount"));
            SetNum(cdsDetail, "QtyDiff", 0.0);
            SetNum(cdsDetail, "PriceDiff", 0.0);
            cdsDetail.Post();
        }
        acSaveExecute();
        ShowInfoKey("msg_OperSuccess", "Операцията е успешна.");
    } catch (const EAbort&) {
        throw;
    } catch (...) {
        MessageDlgEx(CurrentExceptionMessage(), TMsgDlgType::mtError, mbOK);
        throw;
    }
}

void TfEdPurchOrder::acConfirmOrderExecute() { ImportOrderFromFile(); }

// The whole file is read before any line changes, so a file that cannot be read leaves the
// order as it was.
void TfEdPurchOrder::ImportOrderFromFile() {
    TClientDataSet rows("cdsImport");
    try {
        DefineConfirmationDataSet(rows);
    } catch (const EFormError& e) {
        MessageDlgEx(e.what(), TMsgDlgType::mtError, mbOK);
        return;
    }
    // The text filters of the import, then the vendor's UBL answer.
    TRequestResult filters{{"Name"}, {}};
    for (const TImportFilter& f : TImportFilter::Filters()) filters.Rows.push_back({f.Name});
    filters.Rows.push_back({"Отговор на поръчка UBL 2.1 OrderResponse (PEPPOL BIS Ordering 3)"});
    int chosen = -1;
    if (!dm().Dialogs().ChooseRow("Филтър за импорт", filters, chosen)) return;
    if (chosen == static_cast<int>(TImportFilter::Filters().size())) return ImportOrderResponse();
    const TImportFilter& filter = TImportFilter::Filters().at(static_cast<size_t>(chosen));
    std::string path;
    if (!SelectDataFile(path)) return;
    ImportInitLog(GetMessageText("str_ConfirmOrderLog", "Импорт на потвърждение на поръчка"));
    TImportCounters counters;
    try {
        TWaitCursor wait;
        TControlsOff controls(cdsDetail);
        RequestImport(filter, path, rows, true);
        ResetConfirmations();
        for (rows.First(); !rows.Eof(); rows.Next()) ConfirmRow(rows, counters);
    } catch (const EFormError& e) {
        ImportCloseLog();
        MessageDlgEx(e.what(), TMsgDlgType::mtError, mbOK);
        return;
    } catch (...) {
        ImportCloseLog();
        throw;
    }
    ImportCloseLog();
    const std::string text =
        FormatMessage(GetMessageText("msg_ConfirmOrderFinish",
                                     "Прочетени редове: %s, потвърдени редове: %s, нови редове: %s, непознати артикули: %s"),
                      {std::to_string(counters.Rows), std::to_string(counters.Matched), std::to_string(counters.NewLines),
                       std::to_string(counters.Unknown)});
    MessageDlgEx(text, TMsgDlgType::mtInformation, mbOK);
}

// Which order line a line of the vendor's answer is for: the line of its number, else the
// first line of its item (by the vendor's number, else ours).
std::optional<TBookmark> TfEdPurchOrder::AnsweredLine(const TOrderResponseLine& line) {
    std::string item = line.BuyerItemNo;
    TRequestResult found;
    if (line.OrderLineId.empty() && !line.VendorItemNo.empty() &&
        dm().Server().RequestValue(0, "fn_FindItem(" + QuotedSql(line.VendorItemNo) + "," +
                                          QuotedSql(FieldValue(cdsMaster, "Contragent_Id").AsString()) + ")",
                                   "Item_Id", TFilter(), found) > 0)
        item = found.Value().AsString();
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        const bool byNumber = !line.OrderLineId.empty() && cdsDetail.FieldByName("Line_No").AsString() == line.OrderLineId;
        if (byNumber || (line.OrderLineId.empty() && !item.empty() && cdsDetail.FieldByName("Code").AsString() == item))
            return cdsDetail.GetBookmark();
    }
    return std::nullopt;
}

// The vendor's answer read whole and each of its lines found on the order before any line
// changes: accepted lines are confirmed as ordered, a rejected order or line confirms nothing,
// a changed line the quantity and net price the vendor accepts.
void TfEdPurchOrder::ImportOrderResponse() {
    std::string path;
    if (!dm().Dialogs().SelectFile("Отговор на доставчика на поръчката", "*.xml", false, path)) return;
    TOrderResponse response;
    std::vector<TBookmark> answered;
    try {
        TWaitCursor wait;
        response = ReadOrderResponse(path);
        const std::string number = FieldValue(cdsMaster, "DocumentNo").AsString();
        if (!response.OrderNo.empty() && response.OrderNo != number)
            throw EOrderResponse("Отговорът е за поръчка " + response.OrderNo + ", а не за " + number + ".");
        for (const TOrderResponseLine& line : response.Lines) {
            const std::optional<TBookmark> found = AnsweredLine(line);
            if (!found) throw EOrderResponse(line.Where + ": поръчката няма такъв ред или артикул.");
            answered.push_back(*found);
        }
    } catch (const EOrderResponse& e) {
        MessageDlgEx(e.what(), TMsgDlgType::mtError, mbOK);
        return;
    }
    if (response.Code == "AB")
        return ShowInfoKey("inf_OrderResponseAcknowledged",
                           "Доставчикът потвърди, че е получил поръчката; за количествата ще отговори отделно.");
    TControlsOff controls(cdsDetail);
    int lines = 0, changed = 0, refused = 0;
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next(), ++lines) {
        cdsDetail.Edit();
        const bool rejected = response.Code == "RE";
        double net = Num(cdsDetail, "DirectUnitCost_ACY");
        if (cdsDetail.FieldByName("PriceIncludingVAT").AsInteger() == 1) net /= 1.0 + Num(cdsDetail, "VATPercent") / 100.0;
        SetNum(cdsDetail, "ConfirmQuantity", rejected ? 0.0 : Num(cdsDetail, "Quantity"));
        SetNum(cdsDetail, "ConfirmPrice", rejected ? 0.0 : RoundUp(net, 5));
        SetNum(cdsDetail, "ConfirmDiscount", rejected ? 0.0 : Num(cdsDetail, "LineDiscount"));
        SetNum(cdsDetail, "QtyDiff", rejected ? 1.0 : 0.0);
        SetNum(cdsDetail, "PriceDiff", 0.0);
        cdsDetail.Post();
    }
    if (response.Code == "RE") refused = lines;
    for (size_t i = 0; i < answered.size(); ++i) {
        const TOrderResponseLine& line = response.Lines[i];
        if (line.Status == "5") continue;
        cdsDetail.GotoBookmark(answered[i]);
        cdsDetail.Edit();
        const double quantity = line.Status == "7" ? 0.0 : line.HasQuantity ? line.Quantity : Num(cdsDetail, "Quantity");
        SetNum(cdsDetail, "ConfirmQuantity", quantity);
        SetNum(cdsDetail, "QtyDiff", quantity == Num(cdsDetail, "Quantity") ? 0.0 : 1.0);
        if (line.HasPrice) {
            SetNum(cdsDetail, "ConfirmPrice", line.Price);
            SetNum(cdsDetail, "ConfirmDiscount", 0.0);
            UpdatePriceDiff();
        }
        cdsDetail.Post();
        ++(line.Status == "7" ? refused : changed);
    }
    MessageDlgEx(FormatMessage(GetMessageText("msg_OrderResponseApplied",
                                              "Отговорът на доставчика (%s) е отразен в потвърждението: приети редове %s, "
                                              "променени %s, отказани %s."),
                               {response.Code, std::to_string(lines - changed - refused), std::to_string(changed),
                                std::to_string(refused)}),
                 TMsgDlgType::mtInformation, mbOK);
}

void TfEdPurchOrder::ResetConfirmations() {
    for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
        cdsDetail.Edit();
        SetNum(cdsDetail, "QtyDiff", 1.0);
        SetNum(cdsDetail, "PriceDiff", 1.0);
        for (const char* field : {"ConfirmQuantity", "ConfirmPrice", "ConfirmDiscount"}) SetNum(cdsDetail, field, 0.0);
        cdsDetail.Post();
    }
}

void TfEdPurchOrder::ConfirmRow(TClientDataSet& row, TImportCounters& counters) {
    ++counters.Rows;
    const std::string vendorItem = row.FieldByName("VendorItemNo").AsString();
    TRequestResult found;
    const std::string vendor = FieldValue(cdsMaster, "Contragent_Id").AsString();
    const std::string function = "fn_FindItem(" + QuotedSql(vendorItem) + "," + QuotedSql(vendor) + ")";
    const std::string item =
        dm().Server().RequestValue(0, function, "Item_Id", TFilter(), found) > 0 ? found.Value().AsString() : "";
    if (item.empty()) {
        ++counters.Unknown;
        AppendConfirmedLine(row, Variant(".."), false);
        return;
    }
    PlaceConfirmedQuantity(item, row, counters);
}

// The row's quantity fills the order lines of the item in their order; what no line takes
// goes onto the last of them.
void TfEdPurchOrder::PlaceConfirmedQuantity(const std::string& item, TClientDataSet& row,
                                            TImportCounters& counters) {
    double rest = row.FieldByName("Quantity").AsFloat();
    const double price = row.FieldByName("UnitPrice").AsFloat();
    const Variant discount = row.FieldByName("LineDiscount").Value();
    std::optional<TBookmark> last;
    for (cdsDetail.First(); !cdsDetail.Eof() && rest > 0.0; cdsDetail.Next()) {
        if (cdsDetail.FieldByName("Code").AsString() != item) continue;
        last = cdsDetail.GetBookmark();
        const double quantity = Num(cdsDetail, "Quantity"), confirmed = Num(cdsDetail, "ConfirmQuantity");
        const double open = quantity - confirmed;
        if (open == 0.0) continue;
        cdsDetail.Edit();
        SetNum(cdsDetail, "ConfirmQuantity", open >= rest ? confirmed + rest : quantity);
        rest = open >= rest ? 0.0 : rest - open;
        if (price > Num(cdsDetail, "ConfirmPrice")) SetNum(cdsDetail, "ConfirmPrice", price);
        cdsDetail.FieldByName("ConfirmDiscount").SetValue(discount);
        if (Num(cdsDetail, "ConfirmQuantity") == quantity) SetNum(cdsDetail, "QtyDiff", 0.0);
        UpdatePriceDiff();
        cdsDetail.Post();
        ++counters.Matched;
    }
    for (; !cdsDetail.Eof() && !last; cdsDetail.Next())
        if (cdsDetail.FieldByName("Code").AsString() == item) last = cdsDetail.GetBookmark();
    if (!last) {
        ++counters.NewLines;
        AppendConfirmedLine(row, Variant(item), true);
        return;
    }
    if (rest <= 0.0) return;
    cdsDetail.GotoBookmark(*last);
    cdsDetail.Edit();
    SetNum(cdsDetail, "ConfirmQuantity", Num(cdsDetail, "ConfirmQuantity") + rest);
    SetNum(cdsDetail, "QtyDiff", 1.0);
    cdsDetail.Post();
}

void TfEdPurchOrder::UpdatePriceDiff() {
    const double confirmed = Num(cdsDetail, "ConfirmPrice") * (1.0 - Num(cdsDetail, "ConfirmDiscount") / 100.0);
    double ordered = Num(cdsDetail, "DirectUnitCost_ACY");
    if (cdsDetail.FieldByName("PriceIncludingVAT").AsInteger() == 1) ordered /= 1.0 + Num(cdsDetail, "VATPercent") / 100.0;
    ordered *= 1.0 - Num(cdsDetail, "LineDiscount") / 100.0;
    SetNum(cdsDetail, "PriceDiff", confirmed - ordered > 0.02 ? 1.0 : 0.0);
}

// A confirmed item the order does not have: an item line, or a text line (".") for an item
// we do not know, described by the vendor's number.
void TfEdPurchOrder::AppendConfirmedLine(TClientDataSet& row, const Variant& code, bool known) {
    const bool saved = Suspended;
    Suspended = true;
    try {
        cdsDetail.Append();
        cdsDetail.FieldByName("Type").SetAsInteger(known ? 1 : 0);
        cdsDetail.FieldByName("Code").SetValue(code);
        if (!known) cdsDetail.FieldByName("Description").SetValue(row.FieldByName("VendorItemNo").Value());
        const std::pair<const char*, const char*> values[] = {
            {"Quantity", "Quantity"}, {"DirectUnitCost_ACY", "UnitPrice"}, {"LineDiscount", "LineDiscount"},
            {"ConfirmQuantity", "Quantity"}, {"ConfirmPrice", "UnitPrice"}, {"ConfirmDiscount", "LineDiscount"}};
        for (const auto& [target, from] : values) cdsDetail.FieldByName(target).SetValue(row.FieldByName(from).Value());
        SetNum(cdsDetail, "QtyDiff", 1.0);
        SetNum(cdsDetail, "PriceDiff", 1.0);
        cdsDetail.Post();
    } catch (...) {
        Suspended = saved;
        throw;
    }
    Suspended = saved;
}

// Sending the order to the vendor's service.

std::string TfEdPurchOrder::BuildOrderXml(const std::string& userName, const std::string& password,
                                          const TClientDataSet& header, const TRequestResult& lines) {
    auto& h = const_cast<TClientDataSet&>(header);
    pugi::xml_document document;
    pugi::xml_node declaration = document.append_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-16";
    pugi::xml_node order = document.append_child("Order");
    order.append_attribute("xmlns") = kOrderNamespace;
    pugi::xml_node credentials = order.append_child("Credentials");
    credentials.append_child("Username").text() = userName.c_str();
    credentials.append_child("Password").text() = password.c_str();
    order.append_child("ContragentOrderNo").text() = h.FieldByName("DocumentNo").AsString().c_str();
    order.append_child("Comment").text() = h.FieldByName("Comment").AsString().c_str();
    order.append_child("SubDocumentTypeId").text() = h.FieldByName("DocSubType_Id").AsString().c_str();
    pugi::xml_node items = order.append_child("Items");
    for (size_t row = 0; row < lines.Rows.size(); ++row) {
        pugi::xml_node item = items.append_child("Item");
        item.append_child("Code").text() = lines.ByName("Code", row).AsString().c_str();
        item.append_child("Quantity").text() = NumberText(lines.ByName("Quantity", row).AsFloat()).c_str();
    }
    std::ostringstream text;
    document.save(text, "", pugi::format_raw, pugi::encoding_utf8);
    std::string xml = text.str();
    std::erase_if(xml, [](char c) { return c == '\r' || c == '\n'; });
    const std::string declared = "encoding=\"UTF-16\"?><Order";
    if (const size_t at = xml.find(declared); at != std::string::npos)
        xml.replace(at, declared.size(), "encoding=\"utf-8\"?><Order");
    return xml;
}

bool TfEdPurchOrder::ReadSendSettings(std::string& userName, std::string& password, std::string& url) {
    TRequestResult found;
    for (bool byGroup : {true, false}) {
        TFilter filter;
        filter.Add("N_PartnerConnectionList.Comp_Id", "=", LocalData().CompanyId, "AND")
            .Add("N_PartnerConnectionList.Contragent_Id", "=", FieldValue(cdsMaster, "Contragent_Id"),
                 byGroup ? "AND" : "");
        if (byGroup) filter.Add("N_PartnerConnectionList.BusinessGroup_Id", "=", LocalData().BusinessGroupId);
        if (dm().Server().RequestValue(0, "N_PartnerConnectionList", "UserName,Password,URLAddress", filter, found) > 0)
            break;
    }
    if (found.Empty()) {
        ShowErrorKey("err_CntrNoPartnerConnSettings", "Няма настроена връзка с услугата на доставчика.");
        return false;
    }
    userName = found.ByName("UserName").AsString();
    password = found.ByName("Password").AsString();
    url = found.ByName("URLAddress").AsString();
    return true;
}

void TfEdPurchOrder::acSendToServiceExecute() {
    if (WaitsForApproval()) return;
    std::string userName, password, url;
    if (!ReadSendSettings(userName, password, url)) return;
    const std::string id = FieldValue(cdsMaster, "Id").AsString();
    TFilter filter;
    filter.Add("D_PurchaseLine.Master_Id", "=", id, "AND").Add("D_PurchaseLine.Comp_Id", "=", LocalData().CompanyId);
    TRequestResult lines;
    dm().Server().RequestValue(0, "D_PurchaseLine", "Code,Quantity", filter, lines, true);
    const std::string base64 = StrTobase64(BuildOrderXml(userName, password, cdsMaster, lines));
    std::string answer;
    try {
        TWaitCursor wait;
        answer = GetITavrekAPI(url, userName, password)->SendDocument(base64);
    } catch (const EPartnerRejected& e) {
        MessageDlgEx(GetMessageText("err_CommonError", "Грешка:") + " " + e.what(), TMsgDlgType::mtError, mbOK);
        return;
    } catch (const EPartnerError&) {
        MessageDlgEx(
            FieldValue(cdsMaster, "N_Contragent_Name").AsString() + " -> Не беше установена връзка със сървиса!",
            TMsgDlgType::mtError, mbOK);
        return;
    }
    MessageDlgEx(GetMessageText("msg_VendorCreatedDocs", "Доставчикът създаде документи:") + " " + answer,
                 TMsgDlgType::mtInformation, mbOK);
    const int stored = dm().Server().ExecuteSQLScript("Update D_PurchHeader SET VendorOrderNo = " + QuotedSql(answer) +
                                                      "where Comp_Id = " + QuotedSql(LocalData().CompanyId) +
                                                      " and Id = " + QuotedSql(id));
    if (stored != 0) {
        const std::string reason = dm().Server().LastRefusalText();
        MessageDlgEx(FormatMessage(GetMessageText("err_VendorOrderNoNotSaved",
                                                  "Номерът на доставчика %s не беше записан в поръчката."),
                                   {answer}) +
                         (reason.empty() ? "" : "\r\n" + reason),
                     TMsgDlgType::mtError, mbOK);
    }
    acRefreshExecute();
}

bool TfEdPurchOrder::WaitsForApproval() {
    const TRequestResult answer = dm().Server().ExecuteStoredProcedure(
        "usp_GetPurchOrderApproval", {LocalData().CompanyId, FieldValue(cdsMaster, "Id")});
    if (answer.Empty() || answer.ByName("Result").AsInteger() == 0) return false;
    MessageDlgEx(answer.ByName("ErrMsg").AsString(), TMsgDlgType::mtWarning, mbOK);
    return true;
}

void TfEdPurchOrder::acApproveExecute() {
    RequireRight(TFormRight::frApprove);
    if (HasChanges()) acSaveExecute();
    if (HasChanges()) return;  // the save was refused and said why
    const std::string number = FieldValue(cdsMaster, "DocumentNo").AsString();
    if (MessageDlgEx(FormatMessage(GetMessageText("que_PurchOrderApprove", "Да се одобри ли поръчка %s?"), {number}),
                     TMsgDlgType::mtConfirmation, mbYesNo) != mrYes)
        return;
    const TRequestResult answer = dm().Server().ExecuteStoredProcedure(
        "usp_ApprovePurchOrder", {LocalData().CompanyId, FieldValue(cdsMaster, "Id")});
    if (answer.Empty() || answer.ByName("Result").AsInteger() != 0) {
        MessageDlgEx(answer.Empty() ? dm().Server().LastRefusalText() : answer.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    acRefreshExecute();
    MessageDlgEx(FormatMessage(GetMessageText("msg_PurchOrderApproved", "Поръчка %s е одобрена."), {number}),
                 TMsgDlgType::mtInformation, mbOK);
}

namespace uEdPurchOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchOrder", TfEdPurchOrder::kFormNumber, [] { return std::make_unique<TfEdPurchOrder>(); },
                      "Поръчка за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchOrder

}  // namespace tavrek
