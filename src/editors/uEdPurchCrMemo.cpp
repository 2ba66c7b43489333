#include "editors/uEdPurchCrMemo.h"

#include <string_view>

#include "base/errors/TELException.h"
#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uCrMemoSetOff.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uVendorDocumentReceiver.h"

namespace tavrek {

using namespace uPurchCallculations;
using uPurchCalcHelpers::EnsureEditing;
using uPurchCalcHelpers::Num;
using uPurchCalcHelpers::SetNum;
using uPurchCalcHelpers::TCalcGuard;

TfEdPurchCrMemo::TfEdPurchCrMemo()
    : acItemChargeAssigment(AcListBase.Add("acItemChargeAssigment", "Разпределение на доп. разходи", "Ред")),
      acSendForCheck(AcListBase.Add("acSendForCheck", "Изпрати за проверка", "Документ")) {
    MasterProvider = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
    MasterTable = "D_PurchHeader";
    acPostDocument.Hint = "Осчетоводяване на документа";
    acReCalcDocument.ShortCut = "F9";
    NumberSeriesSetupField = "CreditMemo_Series_Id";
    BindAction(acItemChargeAssigment, "acItemChargeAssigmentExecute", [this] { acItemChargeAssigmentExecute(); });
    BindAction(acSendForCheck, "acSendForCheckExecute", [this] { acSendForCheckExecute(); });
    pmPost.Add("miPost", acPostDocument);
    pmPost.Add("miPostAndPrint", acPostAndPrintDocument);
    pmPost.ButtonAction = &acPostDocument;
    AddMenu(pmPost);
    pmLine.Add("miItemChargeAssigment", acItemChargeAssigment);
    pmDocument.Add("miSendForCheck", acSendForCheck);
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { PurchSetNewHeaderDefaults(cdsMaster, NewDocumentType); };
    DescribeLayout();
}

void TfEdPurchCrMemo::DescribeLayout() {
    Description.Caption = "Кредитно известие за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorCreditMemoNo", "Кредитно известие на доставчика", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceNo", "Към фактура №", TFieldKind::fkText, "tsMainData"},
        {"InvoiceDate", "Дата на фактурата", TFieldKind::fkDate, "tsMainData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsMainData"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkLookup, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"DoNotIncInVATLedger", "Не влиза в дневника по ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
    });
    AddStandardLookups();
    for (const char* readOnly : {"N_Contragent_Name", "TotalValue", "VATValue", "TotalVAT"})
        Description.FindField(readOnly)->ReadOnly = true;
    AddLineColumns({{"Line_No", "Ред"}, {"Type", "Вид"}, {"Code", "Код"}, {"Description", "Описание"},
                    {"Measure_Id", "Мярка"}, {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"},
                    {"PriceIncludingVAT", "Цена с ДДС", 80, kCheckBoxFormat}, {"TotalPrice", "Сума"}, {"VATPercent", "ДДС %"},
                    {"TotalValue", "Без ДДС"}, {"TotalVAT", "С ДДС"}});
}

void TfEdPurchCrMemo::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    DocumentKindCode = kDocKindPurchCrMemo;
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)"});
}

// Binding: the standard table to this editor's handlers, and the line's own price basis.

void TfEdPurchCrMemo::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    AttachStandardBinding(dataSet);
    if (&dataSet == &cdsDetail)
        Bind(dataSet, "PriceIncludingVAT", static_cast<void (TfEdBasePurchDocument::*)(TField&)>(&TfEdPurchCrMemo::DetailPriceIncudingVATOnChange));
}

// A credit memo keeps the invoice's prices: no rule asks the price list.

void TfEdPurchCrMemo::QuantityOnChange(TField&) {
    PurchQuantityOnChange(cdsMaster, cdsDetail, Calculating, Suspended, false);
}

void TfEdPurchCrMemo::MeasureOnChange(TField&) {
    PurchMeasureOnChange(cdsMaster, cdsDetail, Calculating, Suspended, false);
}

void TfEdPurchCrMemo::CodeOnChange(TField&) {
    GetPanelDetailsDetail();
    if (Calculating || Suspended) return;
    EnsureEditing(cdsDetail);
    UpdateVATAmounts();
}

void TfEdPurchCrMemo::ContragentFieldOnChange(TField&) {
    if (Calculating) return;
    GetPanelDetailsMaster();
    PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, false);
}

void TfEdPurchCrMemo::SubDocTypeFieldOnChange(TField&) {
    if (Calculating) return;
    if (cdsMaster.FieldByName("ToInvoiceNo").IsNull() || SameVATLedgerAsCreditedInvoice()) {
        PurchSubDocTypeFieldOnChange(cdsMaster, cdsDetail, Calculating, false);
        return;
    }
    {
        TCalcGuard guard(Calculating);
        cdsMaster.FieldByName("DocSubType_Id").Clear();
        cdsMaster.FieldByName("N_SubDocument_Code").Clear();
    }
    ShowErrorKey("err_IncompatibleSubDocType",
                 "Кредитното известие трябва да влиза в същия дневник по ДДС като фактурата, която кредитира.");
}

bool TfEdPurchCrMemo::SameVATLedgerAsCreditedInvoice() {
    const Variant ledger = TCrMemoSetOff::CreditedInvoice(cdsMaster, "DoNotIncInVATLedger").Value();
    const int64_t invoiceLedger = ledger.IsEmpty() ? 0 : ledger.AsInteger();
    return invoiceLedger == cdsMaster.FieldByName("DoNotIncInVATLedger").AsInteger();
}

// The price per base unit stays as it was when the units-per-measure factor changes.
void TfEdPurchCrMemo::QtyPerUnitOfMeasureOnChange(TField&) {
    if (Calculating) return;
    {
        TCalcGuard guard(Calculating);
        try {
            if (Num(cdsDetail, "QtyPerUnitOfMeasure") == 0.0) SetNum(cdsDetail, "QtyPerUnitOfMeasure", 1.0);
            const double quantity = Num(cdsDetail, "Quantity");
            if (Num(cdsDetail, "Quantity_Base") == 0.0) SetNum(cdsDetail, "Quantity_Base", quantity);
            const double oldFactor = quantity == 0.0 ? 0.0 : Num(cdsDetail, "Quantity_Base") / quantity;
            const double factor = Num(cdsDetail, "QtyPerUnitOfMeasure");
            if (oldFactor != 0.0)
                SetNum(cdsDetail, "DirectUnitCost_ACY", Num(cdsDetail, "DirectUnitCost_ACY") * factor / oldFactor);
            SetNum(cdsDetail, "Quantity_Base", quantity * factor);
        } catch (...) {
            TELException(CurrentExceptionMessage(), "TfEdPurchCrMemo.FielQtyPerUnitOnChange");
        }
    }
    PurchLineDiscountOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchCrMemo::DetailPriceIncudingVATOnChange(TField&) {
    if (Calculating) return;
    if (cdsDetail.FieldByName("PriceIncludingVAT").AsInteger() == cdsMaster.FieldByName("PriceIncludingVAT").AsInteger())
        return;
    {
        TCalcGuard guard(Calculating);
        try {
            PurchConvertLinePriceBasis(cdsMaster, cdsDetail, false);
        } catch (...) {
            TELException(CurrentExceptionMessage(), "TfEdPurchCrMemo.DetailPriceIncudingVATOnChange");
        }
    }
    PurchLineDiscountOnChange(cdsMaster, cdsDetail, Calculating);
}

// Posting.

// While the credited invoice is still owed, the dialog also offers to set the credit memo
// off against it (proposed); a changed answer is saved before posting.
int TfEdPurchCrMemo::ConnectCrMemoWithSale() {
    TCrMemoSetOff setOff(cdsMaster);
    bool apply = true;
    CrMemoOption = setOff.Ask(apply);
    if (CrMemoOption == -1 || !setOff.Offered() || !setOff.Apply(apply)) return CrMemoOption;
    return SaveData() ? CrMemoOption : -1;
}

bool TfEdPurchCrMemo::BeforePostDocument(bool) { return true; }

void TfEdPurchCrMemo::AfterPostDocument(const TVariantArray&, bool) {}

void TfEdPurchCrMemo::PostDocument(bool print) {
    if (!DocumentCheckIsDone(cdsMaster)) return;
    TfEdBasePurchDocument::PostDocument(print);
    const Variant id = cdsMaster.FieldByName("Id").Value();
    if (!CheckForAccountDimension(id, 3, 0)) return;
    if (ConnectCrMemoWithSale() == -1) return;
    TWaitCursor wait;
    if (!BeforePostDocument(print)) return;
    if (!CheckCanPostDocument(FieldValue(cdsMaster, "PayMethod_Id"), "", 1, FieldValue(cdsMaster, "DirectPay"))) return;
    const int kind = ShownDocumentType();
    TVariantArray keys;
    if (dm().Server().PostPurchCrMemo(id.AsString(), keys, CrMemoOption) < 0) {
        TellDocumentRefused(TDocumentDeed::ddPosted, kind, ShownDocumentNo());
        return;
    }
    const double totalVat = FieldValue(cdsMaster, "TotalVat").AsFloat();
    if (LocalData().ShowChangeCalculation && FieldValue(cdsMaster, "DirectPay").AsInteger() == 0 && totalVat != 0.0) {
        const double totalLCY = FieldValue(cdsMaster, "TotalVat_LCY").AsFloat();
        dm().Dialogs().ChangeCalculation(totalLCY, totalLCY);
    }
    if (print) PrintPostedDocument(keys, kPostedCrMemoPrintForm);
    AfterPostDocument(keys, print);
    // The credit memo became a posted one: the editor is left on an empty document.
    Filter = KeyFilter(id);
    ReloadData();
    TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

void TfEdPurchCrMemo::CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId,
                                             int sourceFormNumber, int option1, int option2, int option3) {
    TfEdBasePurchDocument::CopyDocumentByTemplate(sourceId, templateId, sourceFormNumber, option1, option2, option3);
    TfBase* source = CallingForm;
    if (source == nullptr || FieldValue(source->cdsMaster, "Id").AsString() != sourceId) return;
    if (FieldValue(source->cdsMaster, "VendorInvoiceNo").IsEmpty() || cdsMaster.State() == TDataSetState::dsBrowse)
        return;
    const std::pair<const char*, const char*> credited[] = {{"ToInvoiceNo", "VendorInvoiceNo"},
                                                            {"InvoiceDate", "DocumentDate"}};
    for (const auto& [target, from] : credited) {
        TField* field = cdsMaster.FindField(target);
        if (field != nullptr && field->Value().IsEmpty()) field->SetValue(FieldValue(source->cdsMaster, from));
    }
    if (FieldValue(cdsMaster, "DocSubType_Id").IsEmpty()) TakeOnlySubType();
}

// The invoice's subtype is not the memo's; when the company has a single credit memo
// subtype the memo takes it, so that it numbers and prints as its kind. Its lines are the
// invoice's already: nothing is recalculated for the subtype.
void TfEdPurchCrMemo::TakeOnlySubType() {
    TFilter filter;
    filter.Add("N_SubDocument.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("N_SubDocument.DocumentType", "=", NewDocumentType);
    TRequestResult subTypes;
    if (dm().Server().RequestValue(0, "N_SubDocument", "Id, Code, Name", filter, subTypes, true) != 1) return;
    TCalcGuard guard(Calculating);
    const std::pair<const char*, const char*> fields[] = {
        {"DocSubType_Id", "Id"}, {"N_SubDocument_Code", "Code"}, {"N_SubDocument_Name", "Name"}};
    for (const auto& [target, from] : fields)
        if (TField* field = cdsMaster.FindField(target)) field->SetValue(subTypes.ByName(from));
}

void TfEdPurchCrMemo::acInsertRecordExecute() {
    TfEdBasePurchDocument::acInsertRecordExecute();
    if (Value1.IsEmpty() || cdsMaster.State() != TDataSetState::dsInsert) return;
    const std::string documentNo = Value1.AsString();
    Value1 = Variant();
    ReceiveVendorCreditNote(documentNo, Value2.AsString());
}

void TfEdPurchCrMemo::ReceiveVendorCreditNote(const std::string& documentNo, const std::string& vendorCode) {
    if (!EnterFieldValue(cdsMaster, cdsMaster.FieldByName("N_Contragent_Code"), Variant(vendorCode))) return;
    TVendorDocumentReceiver receiver(cdsMaster, cdsDetail, Calculating);
    TUblInvoice document;
    if (receiver.Fetch(documentNo, document)) receiver.Import(document, "VendorCreditMemoNo");
}

// Deleting, goods check, item charges.

void TfEdPurchCrMemo::acDeleteRecordExecute() {
    if (!PurchCheckDocumentBeforeDelete(cdsMaster, 4)) {
        acRefreshExecute();
        return;
    }
    TfEdBasePurchDocument::acDeleteRecordExecute();
}

void TfEdPurchCrMemo::MoveToAnnulDocs() {
    TfEdBasePurchDocument::MoveToAnnulDocs();
    PurchSaveHistoryBeforeDelete(cdsMaster, 8);
}

void TfEdPurchCrMemo::acSendForCheckExecute() {
    if (!QueryToSaveBeforeToDo()) return;
    if (SendDocumentForCheck(FieldValue(cdsMaster, "Id"), 3, 0, 0, true, FieldValue(cdsMaster, "Businessgroup_Id")))
        acRefreshExecute();
}

// Item charges of the credited lines.
void TfEdPurchCrMemo::acItemChargeAssigmentExecute() { OpenItemChargeAssignment("D_ItemChargeAssignment", 1); }

namespace uEdPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchCrMemo", kFormNumber, [] { return std::make_unique<TfEdPurchCrMemo>(); },
                      "Кредитно известие за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchCrMemo

}  // namespace tavrek
