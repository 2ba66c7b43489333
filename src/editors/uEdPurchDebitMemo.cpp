#include "editors/uEdPurchDebitMemo.h"

#include <string_view>

#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

using namespace uPurchCallculations;
using uPurchCalcHelpers::TCalcGuard;

TfEdPurchDebitMemo::TfEdPurchDebitMemo()
    : acItemChargeAssigment(AcListBase.Add("acItemChargeAssigment", "Разпределение на доп. разходи", "Ред")) {
    MasterProvider = "D_PurchHeader";
    DetailProvider = "D_PurchaseLine";
    MasterTable = "D_PurchHeader";
    acPostDocument.Hint = "Осчетоводяване на документа";
    BindAction(acItemChargeAssigment, "acItemChargeAssigmentExecute", [this] { acItemChargeAssigmentExecute(); });
    pmLine.Add("miItemChargeAssigment", acItemChargeAssigment);
    cdsMaster.OnNewRecord = [this](TClientDataSet&) { PurchSetNewHeaderDefaults(cdsMaster, kDocumentType); };
    DescribeLayout();
}

void TfEdPurchDebitMemo::DescribeLayout() {
    Description.Caption = "Дебитно известие за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkLookup, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorInvoiceNo", "Документ на доставчика", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceNo", "Към фактура №", TFieldKind::fkText, "tsMainData"},
        {"InvoiceDate", "Дата на фактурата", TFieldKind::fkDate, "tsMainData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsMainData"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", TFieldKind::fkLookup, "tsFinanceData"},
        {"DueDate", "Падеж", TFieldKind::fkDate, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkLookup, "tsFinanceData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsFinanceData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
    });
    AddStandardLookups();
    for (const char* readOnly : {"N_Contragent_Name", "TotalValue", "VATValue", "TotalVAT"})
        Description.FindField(readOnly)->ReadOnly = true;
    AddLineColumns({{"Line_No", "Ред"}, {"Type", "Вид"}, {"Code", "Код"}, {"Description", "Описание"},
                    {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"}, {"TotalPrice", "Сума"},
                    {"VATProdPostGroup_Id", "ДДС група"}, {"VATPercent", "ДДС %"}, {"TotalValue", "Без ДДС"},
                    {"TotalVAT", "С ДДС"}});
}

void TfEdPurchDebitMemo::FormCreate() {
    TfEdBasePurchDocument::FormCreate();
    SetSidePanelRows({"Карта", "Разполагаем кредит", "Просрочени задължения", "История"},
                     {"Карта (F11)", "История (F10)", "Нал. по обекти (F12)"});
}

void TfEdPurchDebitMemo::FormShow() {
    TfEdBasePurchDocument::FormShow();
    FillLedgerSubjectTypes();
}

void TfEdPurchDebitMemo::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdBasePurchDocument::AttachDynamicEvents(dataSet);
    AttachStandardBinding(dataSet);
}

void TfEdPurchDebitMemo::CodeOnChange(TField&) {
    if (Suspended) return;
    PurchCodeOnChange(cdsMaster, cdsDetail, Calculating, Suspended, false);
    GetPanelDetailsDetail();
}

// The lines take the new vendor's posting groups and VAT rates but keep their prices.
void TfEdPurchDebitMemo::ContragentFieldOnChange(TField&) {
    if (Calculating || FieldValue(cdsMaster, "Contragent_Id").IsEmpty()) return;
    {
        TCalcGuard guard(Calculating);
        GetPanelDetailsMaster();
    }
    PurchContragentFieldOnChange(cdsMaster, cdsDetail, Calculating, false);
}

bool TfEdPurchDebitMemo::SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) {
    if (field.TargetFields.find("Contragent_Id") != std::string::npos && !AskYesNoKey("queChangeContragent")) return false;
    return TfEdBasePurchDocument::SetSelectorAction(field, chosen);
}

void TfEdPurchDebitMemo::PostDocument(bool print) {
    TfEdBasePurchDocument::PostDocument(print);
    TWaitCursor wait;
    const Variant id = cdsMaster.FieldByName("Id").Value();
    const int kind = ShownDocumentType();
    TVariantArray keys;
    if (dm().Server().PostPurchase(id.AsString(), keys) < 0) {
        TellDocumentRefused(TDocumentDeed::ddPosted, kind, ShownDocumentNo());
        return;
    }
    if (print) PrintPostedDocument(keys, kPostedPrintForm);
    // The debit memo became a posted one: the editor is left on an empty document.
    Filter = KeyFilter(id);
    ReloadData();
    TellDocumentDone(TDocumentDeed::ddPosted, kind, PostedNumber(keys));
}

void TfEdPurchDebitMemo::acItemChargeAssigmentExecute() { OpenItemChargeAssignment("D_ItemChargeAssignment", 0); }

namespace uEdPurchDebitMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchDebitMemo", kFormNumber, [] { return std::make_unique<TfEdPurchDebitMemo>(); },
                      "Дебитно известие за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchDebitMemo

}  // namespace tavrek
