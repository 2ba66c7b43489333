#include "documents/uEdPurchase.h"

#include <stdexcept>
#include <tuple>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentModel.h"
#include "base/partner/TUblInvoice.h"
#include "documents/uVendorDocumentReceiver.h"

namespace tavrek {

using uPurchCalcHelpers::QuotedSql;

TfEdPurchase::TfEdPurchase()
    : acItemChargeAssigment(AcListBase.Add("acItemChargeAssigment", "Разпределение на доп. разходи", "Ред")),
      acFutureCostsAssign(AcListBase.Add("acFutureCostsAssign", "Разпределяне на бъдещи разходи", "Ред")),
      acGenerateProtocol(AcListBase.Add("acGenerateProtocol", "Генериране на протокол", "Документ")),
      acGetDocFromVendor(AcListBase.Add("acGetDocFromVendor", "Изтегляне на документ", "Документ")),
      acSendForCheck(AcListBase.Add("acSendForCheck", "Изпрати за проверка", "Документ")) {
    MasterProvider = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
    MasterTable = "D_PurchHeader";
    acPostDocument.Hint = "Осчетоводяване на документа";
    acReCalcDocument.ShortCut = "F9";
    acAddAdvancePayment.Visible = true;
    NumberSeriesSetupField = "Invoice_Series_Id";
    BindAction(acItemChargeAssigment, "acItemChargeAssigmentExecute", [this] { acItemChargeAssigmentExecute(); });
    BindAction(acFutureCostsAssign, "acFutureCostsAssignExecute", [this] { acFutureCostsAssignExecute(); });
    BindAction(acGenerateProtocol, "acGenerateProtocolExecute", [this] { acGenerateProtocolExecute(); });
    BindAction(acGetDocFromVendor, "acGetDocFromVendorExecute", [this] { acGetDocFromVendorExecute(); });
    BindAction(acSendForCheck, "acSendForCheckExecute", [this] { acSendForCheckExecute(); });
    pmPost.Add("miPost", acPostDocument);
    pmPost.Add("miPostAndPrint", acPostAndPrintDocument);
    pmPost.ButtonAction = &acPostDocument;
    AddMenu(pmPost);
    pmLine.Add("miItemChargeAssigment", acItemChargeAssigment);
    pmLine.Add("miFutureCostsAssign", acFutureCostsAssign);
    pmDocument.Add("miGenerateProtocol", acGenerateProtocol);
    pmDocument.Add("miGetDocFromVendor", acGetDocFromVendor);
    pmDocument.Add("miSendForCheck", acSendForCheck);
    pmDocument.Add("miDocumenStatistic", "Статистика",
                   [this] { RunGuarded(OperationName("miDocumenStatisticClick"), [this] { miDocumenStatisticClick(); }); });
    AddDataSet({&cdsVendorDoc, "", nullptr, "", "Id", false});
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { PurchSetNewHeaderDefaults(cdsMaster, NewDocumentType); };
    DescribeLayout();
}

void TfEdPurchase::DescribeLayout() {
    Description.Caption = "Фактура за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsAdditionalData", "Допълнителни данни");
    Description.AddFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorInvoiceNo", "Фактура на доставчика", TFieldKind::fkText, "tsMainData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsMainData"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"DueDate", "Падеж", TFieldKind::fkDate, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkLookup, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"DoNotIncInVATLedger", "Не влиза в дневника по ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsFinanceData"},
        {"VendorOrderNo", "Поръчка на доставчика", TFieldKind::fkText, "tsAdditionalData"},
        {"VendorShipmentNo", "Доставка на доставчика", TFieldKind::fkText, "tsAdditionalData"},
        {"CustomsDeclarationNo", "Митническа декларация", TFieldKind::fkText, "tsAdditionalData"},
        {"ExpectedReceiptDate", "Очаквана дата на получаване", TFieldKind::fkDate, "tsAdditionalData"},
        {"RequestedReceiptDate", "Желана дата на получаване", TFieldKind::fkDate, "tsAdditionalData"},
        {"SalesPerson_Id", "Купувач", TFieldKind::fkText, "tsAdditionalData"},
    });
    for (const char* readOnly : {"N_Contragent_Name", "TotalValue", "VATValue", "TotalVAT"})
        Description.FindField(readOnly)->ReadOnly = true;
    vendorDocPanel_.Describe(Description);
    dbgDetail.AddColumns({
        {"Line_No", "Ред"}, {"Code", "Код"}, {"Description", "Описание"},
        {"Measure_Id", "Мярка"}, {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"},
        {"LineDiscount", "Отстъпка %"}, {"TotalPrice", "Сума"}, {"VATProdPostGroup_Id", "ДДС група"},
        {"VATPercent", "ДДС %"}, {"TotalValue", "Без ДДС"}, {"TotalVAT", "С ДДС"}, {"TotalValue_LCY", "Без ДДС (евро)"}, {"Type", "Вид"}});
    dbgDetail.FindColumn("Description")->Width = 240;
    for (const char* field : {"Line_No", "VATPercent"}) dbgDetail.FindColumn(field)->ReadOnly = true;
    for (const char* field : {"TotalValue", "TotalVAT", "TotalValue_LCY"}) {
        dbgDetail.FindColumn(field)->DisplayFormat = "0.00";
        dbgDetail.FindColumn(field)->ReadOnly = true;
    }
}

// The footers show the document's totals, which after a recalculation carry the VAT of each
// rate rather than the sum of the lines' rounded VAT: what is saved, posted and printed.
void TfEdPurchase::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    DocumentKindCode = kDocKindPurchaseInvoice;
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История", "Аванс.плащ.(без ДДС)"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)", "Заменими артикули", "Цени", "Отстъпки",
                      "Свободно количество ", "К-во на поръчка за доставка"});
}

void TfEdPurchase::FormShow() {
    TfEdBasePurchDocument::FormShow();
    TRequestResult types;
    dm().Server().RequestValue(0, "N_LedgerSubjectTypes", "Id", TFilter(), types, true);
    THeaderField* combo = Description.FindField("LedgerSubjectType");
    combo->Items.clear();
    for (const TVariantArray& row : types.Rows) combo->Items.push_back(row.empty() ? "" : row[0].AsString());
}

int TfEdPurchase::GetPrintDocumentType() { return 2; }

// Binding.

void TfEdPurchase::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    using T = TfEdBasePurchDocument;
    using H = void (T::*)(TField&);
    static const std::pair<const char*, H> header[] = {
        {"Currency_Id", &T::CurrencyOnChange},       {"PayTerm_Id", &T::PayTermOnChange},
        {"DocumentDate", &T::PayTermOnChange},       {"Contragent_Id", &T::ContragentFieldOnChange},
        {"DocSubType_Id", &T::SubDocTypeFieldOnChange}, {"PriceIncludingVAT", &T::PriceIncudingVATOnChange},
        {"BusinessGroup_Id", &T::BusinessGroupOnChange}};
    static const std::pair<const char*, H> lines[] = {
        {"Quantity", &T::QuantityOnChange},
        {"Measure_Id", &T::MeasureOnChange},
        {"Code", &T::CodeOnChange},
        {"Description", &T::CodeOnChange},
        {"DirectUnitCost_ACY", &T::LineDiscountOnChange},
        {"UnitCost_LCY", &T::UnitCost_LCYOnChange},
        {"LineDiscountAmount", &T::LineDiscountAmountOnChange},
        {"LineDiscount", &T::LineDiscountOnChange},
        {"IndirectCostPercent", &T::IndirectCostPercentOnChange},
        {"TotalPrice", &T::TotalPriceOnChange},
        {"AllowInvoiceDisc", &T::AllowInvoiceDiscOnChange},
        {"InvDiscAmount", &T::InvDiscAmountOnChange},
        {"VATProdPostGroup_Id", &T::VATProdPostingGroupOnChange},
        {"GenProdPostGroup_Id", &T::GenProdPostingGroupOnChange},
        {"VATBusPostGroup_Id", &T::VATBusPostingGroupOnChange},
        {"UnitCost_ACY", &T::UnitCost_ACYOnChange},
        {"QtyPerUnitOfMeasure", &T::QtyPerUnitOfMeasureOnChange}};
    try {
        if (&dataSet == &cdsMaster)
            for (const auto& [field, handler] : header) Bind(dataSet, field, handler);
        if (&dataSet != &cdsDetail) return;
        for (const auto& [field, handler] : lines) Bind(dataSet, field, handler);
        Bind(dataSet, "UnitPrice", static_cast<H>(&TfEdPurchase::UnitPriceOnChange));
        Bind(dataSet, "UnitPriceWithVAT", static_cast<H>(&TfEdPurchase::UnitPriceWithVATOnChange));
        Bind(dataSet, "Marj", static_cast<H>(&TfEdPurchase::MarjOnChange));
    } catch (...) {
        TELException(CurrentExceptionMessage(), "fEdPurchase.AttachDynamicEvents");
    }
}

void TfEdPurchase::CodeOnChange(TField&) {
    if (Suspended) return;
    uPurchCallculations::PurchCodeOnChange(cdsMaster, cdsDetail, Calculating, Suspended, true);
    GetPanelDetailsDetail();
}

// Sale price maintenance from the line.

void TfEdPurchase::UnitPriceOnChange(TField&) {
    UpdateItemUnitPrice(cdsDetail.FieldByName("UnitPrice").AsFloat(), 0);
}

void TfEdPurchase::UnitPriceWithVATOnChange(TField&) {
    UpdateItemUnitPrice(cdsDetail.FieldByName("UnitPriceWithVAT").AsFloat(), 1);
}

void TfEdPurchase::MarjOnChange(TField&) {
    const double cost = cdsDetail.FieldByName("UnitCost_LCY").AsFloat();
    UpdateItemUnitPrice(cost + cost * cdsDetail.FieldByName("Marj").AsFloat() / 100.0, 0);
}

// Posting.

bool TfEdPurchase::BeforePostDocument(bool) { return true; }

void TfEdPurchase::AfterPostDocument(const TVariantArray&, bool) {}

void TfEdPurchase::PostDocument(bool print) {
    if (!DocumentCheckIsDone(cdsMaster)) return;
    const Variant id = cdsMaster.FieldByName("Id").Value();
    if (!CheckForAccountDimension(id, 0, 0)) return;
    TfEdBasePurchDocument::PostDocument(print);
    TWaitCursor wait;
    if (!BeforePostDocument(print)) return;
    if (!CheckCanPostDocument(FieldValue(cdsMaster, "PayMethod_Id"), "", 1, FieldValue(cdsMaster, "DirectPay"))) return;
    const int kind = ShownDocumentType();
    TVariantArray keys;
    if (dm().Server().PostPurchase(cdsMaster.FieldByName("Id").AsString(), keys) < 0) {
        TellDocumentRefused(TDocumentDeed::ddPosted, kind, ShownDocumentNo());
        return;
    }
    if (print) PrintPostedDocument(keys, kPostedInvoicePrintForm);
    const double totalVat = FieldValue(cdsMaster, "TotalVat").AsFloat();
    if (LocalData().ShowChangeCalculation && FieldValue(cdsMaster, "DirectPay").AsInteger() == 1 && totalVat != 0.0) {
        const double totalLCY = FieldValue(cdsMaster, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(totalLCY, totalLCY);
    }
    AfterPostDocument(keys, print);
    // The open invoice became a posted one: the editor is left on an empty document.
    Filter = KeyFilter(id);
    ReloadData();
    TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

// Protocol, item charges, future costs, goods check.

void TfEdPurchase::acGenerateProtocolExecute() {
    const TLocalData& session = LocalData();
    const std::string text =
        "exec " + GetMessageText("usp_CreatePurchaseProtocolFromPurch", "dbo.usp_CreatePurchaseProtocolFromPurch") + " " +
        QuotedSql(session.CompanyId) + ", " + QuotedSql(session.BusinessGroupId) + ", " +
        QuotedSql(cdsMaster.FieldByName("Id").AsString()) + ", " + QuotedSql(session.UserId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Result,ErrMsg", TFilter(), result);
    const std::string protocolId = result.ByName("Result").AsString();
    if (protocolId == "-1" || protocolId.empty()) {
        MessageDlgEx(GetMessageText("err_CommonError", "Грешка:") + " " + result.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    ShowInfoKey("msg_OperSuccess", "Операцията е успешна.");
    RequestForm(11001, {soNormal}, TFilter().Add("D_PurchInvoiceHeader.Id", "=", Variant(QuotedSql(protocolId))),
                Variant(), Variant(), nullptr, {}, this);
    TellCreatedDocument("D_GlobalPurchHeader", Variant(protocolId));
}

void TfEdPurchase::acItemChargeAssigmentExecute() { OpenItemChargeAssignment("D_PurchaseLine", 0); }

void TfEdPurchase::acFutureCostsAssignExecute() {
    if (cdsDetail.IsEmpty() || cdsDetail.FieldByName("Type").AsInteger() != 2) {
        ShowInfoKey("inf_SelectAccountLine", "Изберете ред със сметка.");
        return;
    }
    const Variant lineId = FieldValue(cdsDetail, "Id"), headerId = FieldValue(cdsMaster, "Id");
    const Variant dimension = FieldValue(cdsDetail, "AccountDimension_Id");
    const Variant global = FieldValue(cdsDetail, "GlobalDimension_Id");
    const TDefaultValues defaults{{"MasterLine_Id", lineId},
                                  {"Master_id", headerId},
                                  {"MasterLine_No", FieldValue(cdsDetail, "Line_No")},
                                  {"MasterLineCode", FieldValue(cdsDetail, "Code")},
                                  {"hTotalValue", FieldValue(cdsDetail, "TotalValue_LCY")},
                                  {"hTotalVAT", FieldValue(cdsDetail, "TotalVAT_LCY")},
                                  {"hAccount_id", FieldValue(cdsDetail, "Code")},
                                  {"hAccount_Name", FieldValue(cdsDetail, "Description")},
                                  {"hAccountDimension_Id", dimension},
                                  {"AccountDimension_Id", dimension},
                                  {"MasterLineAccDim_Id", dimension},
                                  {"MasterLineDescription", FieldValue(cdsDetail, "Description")},
                                  {"hGlobalDimension_Id", global},
                                  {"GlobalDimension_Id", global},
                                  {"DocumentDate", FieldValue(cdsMaster, "DocumentDate")},
                                  {"PostingDate", FieldValue(cdsMaster, "PostingDate")}};
    TFilter filter;
    filter.Add("D_FutureCostPeriod.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_FutureCostPeriod.Master_id", "=", headerId, "AND")
        .Add("D_FutureCostPeriod.MasterLine_Id", "=", lineId);
    RequestForm(12230, {soNormal}, filter, Variant(), Variant(), nullptr, defaults, this);
}

void TfEdPurchase::acSendForCheckExecute() {
    if (!QueryToSaveBeforeToDo()) return;
    if (SendDocumentForCheck(FieldValue(cdsMaster, "Id"), 3, 0, 0, true, FieldValue(cdsMaster, "Businessgroup_Id")))
        acRefreshExecute();
}

void TfEdPurchase::miDocumenStatisticClick() {
    double quantity = 0.0;
    ForEachRecord(cdsDetail, [this, &quantity] { quantity += cdsDetail.FieldByName("Quantity").AsFloat(); });
    const std::string text = "Редове: " + std::to_string(cdsDetail.RecordCount()) + "\r\nКоличество: " + AmountText(quantity) +
                             "\r\nСума без ДДС: " + AmountText(FieldValue(cdsMaster, "TotalValue").AsFloat()) +
                             "\r\nСума с ДДС: " + AmountText(FieldValue(cdsMaster, "TotalVAT").AsFloat());
    MessageDlgEx(text, TMsgDlgType::mtInformation, mbOK);
}

// Side panel.

void TfEdPurchase::GetPanelDetailsMaster() {
    TfEdBasePurchDocument::GetPanelDetailsMaster();
    const std::string vendor = FieldValue(cdsMaster, "Contragent_Id").AsString();
    if (vendor.empty()) return;
    const std::string source =
        GetMessageText("proc_GetContragentAdvancePayment", "fn_GetContragentAdvancePayment") + "(" +
        QuotedSql(LocalData().CompanyId) + ", " + QuotedSql(vendor) + ", 1)";
    TRequestResult advance;
    dm().Server().RequestValue(0, source, "COALESCE(ContragentAdvancePayment,0.00) as ContragentAdvancePayment",
                               TFilter(), advance);
    if (ControlListFastRelationship().Rows.size() > 4)
        ControlListFastRelationship().Rows[4].Value = AmountText(advance.Value().AsFloat());
}

// Choosing the vendor in its selector asks at once whether the lines follow the new vendor.
bool TfEdPurchase::SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) {
    if (!TfEdBasePurchDocument::SetSelectorAction(field, chosen)) return false;
    const bool vendor = field.FieldName == "N_Contragent_Code" || field.TargetFields.find("Contragent_Id") != std::string::npos;
    if (!vendor || !HasLines()) return true;
    contragentAnswer_ = AskYesNoKey("queChangeContragent");
    return true;
}

// Saving.

// Deleting.

void TfEdPurchase::acDeleteRecordExecute() {
    if (!CheckDocumentBeforeDelete(4)) return;
    // Lines under the goods check cannot go: refused before any history is written.
    if (HasLines() && CheckStatus() != 0 && !CheckLockLifted()) {
        ShowErrorKey("err_CannotDeleteCheckedLine", "Редът е проверен и не може да бъде изтрит.");
        return;
    }
    TfEdBasePurchDocument::acDeleteRecordExecute();
}

void TfEdPurchase::MoveToAnnulDocs() {
    TfEdBasePurchDocument::MoveToAnnulDocs();
    const TLocalData& session = LocalData();
    const std::string text = "exec " + GetMessageText("proc_SaveHistoryBeforeDelete", " usp_SaveHistoryBeforeDelete") +
                             " " + QuotedSql(session.CompanyId) + ", " +
                             QuotedSql(cdsMaster.FieldByName("Id").AsString()) + ", 6, " + QuotedSql(session.UserId) +
                             ", " + QuotedSql(session.BusinessGroupId);
    TRequestResult result;
    dm().Server().RequestValue(-1, text, "Code, ErrMsg", TFilter(), result);
    if (result.ByName("Code").AsInteger() != 0)
        ShowErrorKey("err_SavingHistoryBeforeDel", "Грешка при запазване на историята на документа.");
}

// The vendor's document service.

void TfEdPurchase::acGetDocFromVendorExecute() {
    TRequestResult documents;
    int chosen = -1;
    if (!TVendorDocumentReceiver(cdsMaster, cdsDetail, Calculating).ChooseDocument(documents, chosen)) return;
    vendorDocPanel_.Show(documents, chosen);
    edtVendorDocNoChange();
}

void TfEdPurchase::edtVendorDocNoChange() {
    const std::string number = vendorDocPanel_.DocumentNo();
    if (!number.empty()) LoadVendorDocument(number);
}

// A vendor's credit note is not an invoice: it opens in a new credit memo.
void TfEdPurchase::LoadVendorDocument(const std::string& documentNo) {
    TVendorDocumentReceiver receiver(cdsMaster, cdsDetail, Calculating);
    TUblInvoice document;
    if (!receiver.Fetch(documentNo, document)) return;
    if (document.IsCreditNote) {
        OpenCreditNoteInCreditMemo(documentNo);
        return;
    }
    receiver.Import(document, "VendorInvoiceNo");
}

void TfEdPurchase::OpenCreditNoteInCreditMemo(const std::string& documentNo) {
    const std::string text = GetMessageText("que_VendorCreditNoteToCrMemo",
                                            "Документът %s на доставчика е кредитно известие. Да бъде ли въведен като "
                                            "ново кредитно известие за покупка?");
    if (MessageDlgEx(FormatMessage(text, {documentNo}), TMsgDlgType::mtConfirmation, mbYesNo) != mrYes) return;
    TFormRequest request;
    request.ClassName = "TfEdPurchCrMemo";
    request.ShowOptions = {soInsert};
    request.Value1 = documentNo;
    request.Value2 = FieldValue(cdsMaster, "N_Contragent_Code");
    request.CallingForm = this;
    RequestForm(request);
}

namespace uEdPurchase {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchase", kFormNumber, [] { return std::make_unique<TfEdPurchase>(); },
                      "Фактура за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchase

}  // namespace tavrek
