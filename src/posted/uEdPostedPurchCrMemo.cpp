#include "posted/uEdPostedPurchCrMemo.h"

#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

using namespace uPostedPurchOperations;

TfEdPostedPurchCrMemo::TfEdPostedPurchCrMemo()
    : acGeneratePayment(AcListBase.Add("acGeneratePayment", "Генериране на плащане", "Документ")),
      acGeneratePurchCrMemoProtocol(AcListBase.Add("acGeneratePurchCrMemoProtocol", "Генериране на протокол", "Документ")),
      acItemChargeAssigned(AcListBase.Add("acItemChargeAssigned", "Разпределение на доп. разход", "Ред")) {
    MasterProvider = "D_PurchCrMemoHeader";
    DetailProvider = "D_PurchCrMemoLine";
    MasterTable = "D_PurchCrMemoHeader";
    BindAction(acGeneratePayment, "acGeneratePaymentExecute", [this] { acGeneratePaymentExecute(); });
    BindAction(acGeneratePurchCrMemoProtocol, "acGeneratePurchCrMemoProtocolExecute",
               [this] { acGeneratePurchCrMemoProtocolExecute(); });
    BindAction(acItemChargeAssigned, "acItemChargeAssignedExecute", [this] { acItemChargeAssignedExecute(); });
    pmDocument.Add("miAnnulDoc", acAnnulDocument);
    pmDocument.Add("miGeneratePayment", acGeneratePayment);
    pmDocument.Add("miGeneratePurchCrMemoProtocol", acGeneratePurchCrMemoProtocol);
    pmLine.Add("miItemChargeAssign", acItemChargeAssigned);
    DescribeLayout();
}

void TfEdPostedPurchCrMemo::DescribeLayout() {
    Description.Caption = "Осчетоводено кредитно известие за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOther", "Други");
    Description.AddPage("tsForeignTrade", "Външна търговия");
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"PreAssignedNo", "Номер на черновата", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Name", "Име на вида", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorCreditMemoNo", "Кредитно известие на доставчика", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceNo", "Към фактура №", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceDate", "Дата на фактурата", TFieldKind::fkDate, "tsMainData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsMainData"},
        {"Annul", "Анулиран", TFieldKind::fkFlag, "tsMainData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkText, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"PayMethod_Id", "Начин на плащане", TFieldKind::fkText, "tsFinanceData"},
        {"PayTerm_Id", "Условия за плащане", TFieldKind::fkText, "tsFinanceData"},
        {"DueDate", "Падеж", TFieldKind::fkDate, "tsFinanceData"},
        {"Remaining", "Остатък", TFieldKind::fkNumber, "tsFinanceData"},
        {"Remaining_ACY", "Остатък във валута", TFieldKind::fkNumber, "tsFinanceData"},
        {"NotIncludeVatLedger", "Не влиза в дневника по ДДС", TFieldKind::fkFlag, "tsFinanceData"},
        {"VATLedger", "Дневник по ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"PurchType163a", "Доставка по чл. 163а", TFieldKind::fkText, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsFinanceData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOther"},
        {"BusinessGroup_Id", "Обект", TFieldKind::fkText, "tsOther"},
        {"User_Id", "Потребител", TFieldKind::fkText, "tsOther"},
        {"PostingUser_Id", "Осчетоводил", TFieldKind::fkText, "tsOther"},
        {"AnnulDate", "Дата на анулиране", TFieldKind::fkDate, "tsOther"},
        {"AnnulDescription", "Основание за анулиране", TFieldKind::fkText, "tsOther"},
        {"AnnulUser_Id", "Анулирал", TFieldKind::fkText, "tsOther"},
        {"GlobalCrMemoNo", "Глобално кредитно известие", TFieldKind::fkText, "tsOther"},
        {"IsGlobalCrMemo", "Глобално", TFieldKind::fkFlag, "tsOther"},
        {"VendorGlobalCrMemoNo", "Глобално известие на доставчика", TFieldKind::fkText, "tsOther"},
        {"ThirdSideOfDeal", "Трета страна по сделката", TFieldKind::fkText, "tsForeignTrade"},
        {"DealKind", "Вид сделка", TFieldKind::fkText, "tsForeignTrade"},
        {"StatProcedure", "Статистическа процедура", TFieldKind::fkText, "tsForeignTrade"},
        {"TermsOfDelivery", "Условия на доставка", TFieldKind::fkText, "tsForeignTrade"},
        {"TransportType", "Вид транспорт", TFieldKind::fkText, "tsForeignTrade"},
        {"TransportCountry", "Държава на транспорта", TFieldKind::fkText, "tsForeignTrade"},
    });
    dbgDetail.AddColumns({
        {"Line_No", "Ред"}, {"Type", "Вид"}, {"Code", "Код"}, {"Description", "Описание", 240, ""},
        {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"}, {"VATPercent", "ДДС %"},
        {"TotalValue", "Без ДДС"}, {"TotalVAT", "С ДДС"}});
}

void TfEdPostedPurchCrMemo::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kDocKindPostedPurchCrMemo;
}

void TfEdPostedPurchCrMemo::FormShow() {
    TfBaseEditPostedDocument::FormShow();
    FillLedgerSubjectTypes(*this);
}

// A credit memo is annulled without a question about its payments; the change is the
// server's output turned back to a payment to us.
void TfEdPostedPurchCrMemo::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    TAnnulment annulment;
    annulment.Kind = 2;
    annulment.GlobalField = "IsGlobalCrMemo";
    annulment.GlobalMarker = 1;
    annulment.ChangeSign = -1.0;
    AnnulPostedDocument(*this, annulment);
}

void TfEdPostedPurchCrMemo::acGeneratePaymentExecute() { GeneratePayment(*this, {{"AppliesToDoc_Type", 3}}); }

void TfEdPostedPurchCrMemo::acGeneratePurchCrMemoProtocolExecute() {
    GenerateProtocol(*this, "usp_CreatePurchaseCrMemoProtocol", "dbo.usp_CreatePurchaseCrMemoProtocol", 11441,
                     "D_PurchCrMemoHeader.Id");
}

void TfEdPostedPurchCrMemo::acItemChargeAssignedExecute() { ShowPostedItemCharges(*this, false); }

namespace uEdPostedPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostedPurchCrMemo", kFormNumber, [] { return std::make_unique<TfEdPostedPurchCrMemo>(); },
                      "Осчетоводено кредитно известие", TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostedPurchCrMemo

}  // namespace tavrek
