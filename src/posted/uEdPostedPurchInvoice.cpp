#include "posted/uEdPostedPurchInvoice.h"

#include "base/forms/RequestForm.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "documents/uPurchPrintForms.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

using namespace uPostedPurchOperations;

namespace {

constexpr int kPostedPurchaseInvoice = 6;

}  // namespace

TfEdPostedPurchInvoice::TfEdPostedPurchInvoice()
    : acShowCurrencyFactor(AcListBase.Add("acShowCurrencyFactor", "$", "Документ")),
      acGenerateCrMemo(AcListBase.Add("acGenerateCrMemo", "Генериране кредитно известие", "Документ")),
      acGeneratePayment(AcListBase.Add("acGeneratePayment", "Генериране на плащане", "Документ")),
      acGeneratePurchProtocol(AcListBase.Add("acGeneratePurchProtocol", "Генериране на протокол", "Документ")),
      acRestorItemEntryUsedQuantity(
          AcListBase.Add("acRestorItemEntryUsedQuantity", "Освобождаване на партидите", "Документ")),
      acRestorRowItemEntryUsedQty(AcListBase.Add("acRestorRowItemEntryUsedQty", "Освоб. на партидa за ред", "Документ")),
      acItemChargeAssigned(AcListBase.Add("acItemChargeAssigned", "Разпределение на доп. разход", "Ред")),
      acFutureCostsAssign(AcListBase.Add("acFutureCostsAssign", "Разпределяне на бъдещи разходи", "Ред")) {
    MasterProvider = "D_PurchInvoiceHeader";
    DetailProvider = "D_PurchInvoiceLine";
    MasterTable = "D_PurchInvoiceHeader";
    acPrint.Visible = true;
    if (TMenuItem* item = pmDocument.Find("miSaveOperationTemplate")) item->SetVisible(false);
    acShowCurrencyFactor.Hint = "Курс на валутата на документа";
    BindAction(acShowCurrencyFactor, "acShowCurrencyFactorExecute", [this] { acShowCurrencyFactorExecute(); });
    BindOperations();
    DescribeLayout();
}

void TfEdPostedPurchInvoice::BindOperations() {
    BindAction(acGenerateCrMemo, "acGenerateCrMemoExecute", [this] { acGenerateCrMemoExecute(); });
    BindAction(acGeneratePayment, "acGeneratePaymentExecute", [this] { acGeneratePaymentExecute(); });
    BindAction(acGeneratePurchProtocol, "acGeneratePurchProtocolExecute", [this] { acGeneratePurchProtocolExecute(); });
    BindAction(acRestorItemEntryUsedQuantity, "acRestorItemEntryUsedQuantityExecute",
               [this] { acRestorItemEntryUsedQuantityExecute(); });
    BindAction(acRestorRowItemEntryUsedQty, "acRestorRowItemEntryUsedQtyExecute",
               [this] { acRestorRowItemEntryUsedQtyExecute(); });
    BindAction(acItemChargeAssigned, "acItemChargeAssignedExecute", [this] { acItemChargeAssignedExecute(); });
    BindAction(acFutureCostsAssign, "acFutureCostsAssignExecute", [this] { acFutureCostsAssignExecute(); });
    // A credit memo credits a live invoice of its own, not an annulled one or a global one.
    acGenerateCrMemo.OnUpdate = [this](TAction& a) {
        a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty() && FieldValue(cdsMaster, "Annul").AsInteger() == 0 &&
                    FieldValue(cdsMaster, "IsGlobalInvoice").AsInteger() == 0;
    };
    acGeneratePayment.OnUpdate = [this](TAction& a) { a.Enabled = HasRemainingToPay(*this); };
    pmDocument.Add("miRestorItemEntryUsedQuantity", acRestorItemEntryUsedQuantity);
    pmDocument.Add("miRestorRowItemEntryUsedQty", acRestorRowItemEntryUsedQty);
    pmDocument.Add("miAnnulDoc", acAnnulDocument);
    pmDocument.Add("miGenerateCrMemo", acGenerateCrMemo);
    pmDocument.Add("miGeneratePayment", acGeneratePayment);
    pmDocument.Add("miGeneratePurchProtocol", acGeneratePurchProtocol);
    pmLine.Add("miItemChargeAssign", acItemChargeAssigned);
    pmLine.Add("miFutureCost", acFutureCostsAssign);
}

void TfEdPostedPurchInvoice::DescribeLayout() {
    Description.Caption = "Осчетоводена фактура за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOther", "Други");
    Description.AddPage("tsForeignTrade", "Външна търговия");
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"PreAssignedNo", "Номер на черновата", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Name", "Име на вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"DoNotIncInVATLedger", "Не влиза в дневника по ДДС", TFieldKind::fkFlag, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorInvoiceNo", "Фактура на доставчика", TFieldKind::fkText, "tsMainData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsMainData"},
        {"Annul", "Анулирана", TFieldKind::fkFlag, "tsMainData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkText, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", TFieldKind::fkText, "tsFinanceData"},
        {"DueDate", "Падеж", TFieldKind::fkDate, "tsFinanceData"},
        {"TotalValue_LCY", "Сума без ДДС (евро)", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT_LCY", "Сума с ДДС (евро)", TFieldKind::fkNumber, "tsFinanceData"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkText, "tsFinanceData"},
        {"Remaining", "Остатък (евро)", TFieldKind::fkNumber, "tsFinanceData"},
        {"Remaining_ACY", "Остатък във валута", TFieldKind::fkNumber, "tsFinanceData"},
        {"PurchType163a", "Доставка по чл. 163а", TFieldKind::fkCombo, "tsFinanceData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOther"},
        {"BusinessGroup_Id", "Обект", TFieldKind::fkText, "tsOther"},
        {"User_Id", "Създал", TFieldKind::fkText, "tsOther"},
        {"PostingUser_Id", "Осчетоводил", TFieldKind::fkText, "tsOther"},
        {"SalesPerson_Id", "Купувач", TFieldKind::fkText, "tsOther"},
        {"AnnulDate", "Дата на анулиране", TFieldKind::fkDate, "tsOther"},
        {"AnnulDescription", "Основание за анулиране", TFieldKind::fkText, "tsOther"},
        {"OrderNo", "Поръчка", TFieldKind::fkText, "tsOther"},
        {"ToInvoiceNo", "Към фактура", TFieldKind::fkText, "tsOther"},
        {"InvoiceDate", "Дата на фактурата", TFieldKind::fkDate, "tsOther"},
        {"IsGlobalInvoice", "Глобална фактура", TFieldKind::fkFlag, "tsOther"},
        {"GlobalInvoiceNo", "Номер на глобална фактура", TFieldKind::fkText, "tsOther"},
        {"VendorGlobalInvoiceNo", "Глобална фактура на доставчика", TFieldKind::fkText, "tsOther"},
        {"AnnulUser_Id", "Анулирал", TFieldKind::fkText, "tsOther"},
        {"AbsoluteNo", "Пореден номер", TFieldKind::fkText, "tsOther"},
        {"VATLedger", "Дневник по ДДС", TFieldKind::fkCombo, "tsOther"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsOther"},
        {"ProtocolNo", "Протокол", TFieldKind::fkText, "tsOther"},
        {"ThirdSideOfDeal", "Трета страна по сделката", TFieldKind::fkFlag, "tsForeignTrade"},
        {"DealKind", "Вид сделка", TFieldKind::fkText, "tsForeignTrade"},
        {"StatProcedure", "Статистическа процедура", TFieldKind::fkText, "tsForeignTrade"},
        {"TermsOfDelivery", "Условия на доставка", TFieldKind::fkText, "tsForeignTrade"},
        {"TransportType", "Вид транспорт", TFieldKind::fkText, "tsForeignTrade"},
        {"TransportCountry", "Държава на транспорта", TFieldKind::fkText, "tsForeignTrade"},
        {"ThirdSideCountry_Id", "Държава на третата страна", TFieldKind::fkText, "tsForeignTrade"},
    });
    Description.FindField("VATLedger")->Items = {"0", "1", "2", "3"};
    dbgDetail.AddColumns({
        {"Line_No", "Ред", 40, ""},
        {"Code", "Код", 80, ""},
        {"Description", "Описание", 220, ""},
        {"Measure_Id", "Мярка", 60, ""},
        {"Quantity", "Количество", 80, ""},
        {"DirectUnitCost_ACY", "Ед. цена", 80, ""},
        {"LineDiscount", "Отстъпка %", 70, ""},
        {"TotalPrice", "Сума", 90, "0.00"},
        {"VATPercent", "ДДС %", 50, ""},
        {"TotalValue", "Без ДДС", 90, "0.00"},
        {"VATValue", "ДДС", 80, "0.00"},
        {"TotalVAT", "С ДДС", 90, "0.00"},
        {"TotalValue_LCY", "Без ДДС (евро)", 100, "0.00"},
    });
}

void TfEdPostedPurchInvoice::UpdateGridFooter(TGrid& grid) {
    TfBaseEditPostedDocument::UpdateGridFooter(grid);
    if (&grid == &dbgDetail) ShowHeaderTotalsInFooter(grid, {"TotalValue", "VATValue", "TotalVAT", "TotalValue_LCY"});
}

void TfEdPostedPurchInvoice::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kPostedPurchaseInvoice;
}

void TfEdPostedPurchInvoice::FormShow() {
    TfBaseEditPostedDocument::FormShow();
    LoadLedgerSubjectTypes();
}

void TfEdPostedPurchInvoice::LoadLedgerSubjectTypes() {
    THeaderField* field = Description.FindField("LedgerSubjectType");
    field->Items.clear();
    TRequestResult types;
    if (dm().Server().RequestValue(0, "N_LedgerSubjectTypes", "Id", TFilter(), types, true) == 0) return;
    for (size_t row = 0; row < types.Rows.size(); ++row) field->Items.push_back(types.Value(row, 0).AsString());
}

TVariantArray TfEdPostedPurchInvoice::GetDocumentInfo() { return {int64_t{1}, int64_t{0}}; }

TRequestResult TfEdPostedPurchInvoice::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseEditPostedDocument::GetPrintDocument());
}

void TfEdPostedPurchInvoice::acShowCurrencyFactorExecute() { ShowCurrencyFactor(*this); }

void TfEdPostedPurchInvoice::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    TAnnulment annulment;
    annulment.AnnulPayments = [this] { return InvoiceAnnulPayments(*this); };
    AnnulPostedDocument(*this, annulment);
}

void TfEdPostedPurchInvoice::acGenerateCrMemoExecute() {
    GenerateByCopyTemplate(*this, FindCatalogueClass("TfEdPurchCrMemo")->FormNumber, {});
}

// The view hands its work to the payment: closing it then tells the main window to follow.
void TfEdPostedPurchInvoice::acGeneratePaymentExecute() {
    GeneratePayment(*this, {}, [this] { HandOverOnClose = true; });
}

void TfEdPostedPurchInvoice::acGeneratePurchProtocolExecute() {
    GenerateProtocol(*this, "usp_CreatePurchaseProtocol", "dbo.usp_CreatePurchaseProtocol", 11001,
                     "D_PurchInvoiceHeader.Id");
}

void TfEdPostedPurchInvoice::acRestorItemEntryUsedQuantityExecute() { RestoreItemEntryUsedQuantity(*this, false); }

void TfEdPostedPurchInvoice::acRestorRowItemEntryUsedQtyExecute() { RestoreItemEntryUsedQuantity(*this, true); }

void TfEdPostedPurchInvoice::acItemChargeAssignedExecute() { ShowPostedItemCharges(*this, true); }

void TfEdPostedPurchInvoice::acFutureCostsAssignExecute() {
    if (cdsDetail.IsEmpty() || cdsDetail.FieldByName("Type").AsInteger() != 2) {
        ShowInfoKey("inf_SelectAccountLine", "Изберете ред със сметка.");
        return;
    }
    const Variant lineId = FieldValue(cdsDetail, "Id"), headerId = FieldValue(cdsMaster, "Id");
    const Variant dimension = FieldValue(cdsDetail, "AccountDimension_Id");
    const Variant description = FieldValue(cdsDetail, "Description");
    const TDefaultValues defaults{{"MasterLine_Id", lineId},
                                  {"Master_id", headerId},
                                  {"MasterLine_No", FieldValue(cdsDetail, "Line_No")},
                                  {"MasterLineCode", FieldValue(cdsDetail, "Code")},
                                  {"hTotalValue", FieldValue(cdsDetail, "TotalValue_LCY").AsFloat()},
                                  {"hTotalVAT", FieldValue(cdsDetail, "TotalVAT_LCY").AsFloat()},
                                  {"hAccount_id", FieldValue(cdsDetail, "Code").AsString()},
                                  {"hAccount_Name", description},
                                  {"hAccountDimension_Id", dimension},
                                  {"LockCDS", 1},
                                  {"MasterLineAccDim_Id", dimension},
                                  {"MasterLineDescription", description}};
    TFilter filter;
    filter.Add("D_FutureCostPeriod.Comp_Id", "=", LocalData().CompanyId, " AND")
        .Add("D_FutureCostPeriod.Master_id", "=", headerId, "AND")
        .Add("D_FutureCostPeriod.MasterLine_Id", "=", lineId);
    RequestForm(12230, {soNormal}, filter, Variant(), Variant(), nullptr, defaults, this, this);
}

namespace uEdPostedPurchInvoice {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPostedPurchInvoice");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPostedPurchInvoice>(); },
                      entry.Caption, TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostedPurchInvoice

}  // namespace tavrek
