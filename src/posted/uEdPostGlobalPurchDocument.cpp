#include "posted/uEdPostGlobalPurchDocument.h"

#include "posted/uPostedPurchOperations.h"

namespace tavrek {

using namespace uPostedPurchOperations;

TfEdPostGlobalPurchDocument::TfEdPostGlobalPurchDocument(const TPostedGlobalKind& kind) : kind_(kind) {
    MasterProvider = kind.Header;
    DetailProvider = kind.Lines;
    MasterTable = kind.Header;
    pmDocument.Add("miAnnulDoc", acAnnulDocument);
    DescribeLayout();
}

void TfEdPostGlobalPurchDocument::DescribeLayout() {
    Description.Caption = kind_.Caption;
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOther", "Други");
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorInvoiceNo", "Документ на доставчика", TFieldKind::fkText, "tsMainData"},
        {"ToInvoiceNo", "Към документ №", TFieldKind::fkText, "tsMainData"},
        {"Annul", "Анулиран", TFieldKind::fkFlag, "tsMainData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkText, "tsFinanceData"},
        {"CurrencyFactor", "Курс", TFieldKind::fkNumber, "tsFinanceData"},
        {"LedgerSubjectType", "Вид субект в дневника", TFieldKind::fkCombo, "tsFinanceData"},
        {"TransactionNo", "Транзакция", TFieldKind::fkNumber, "tsFinanceData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOther"},
        {"PostingUser_Id", "Осчетоводил", TFieldKind::fkText, "tsOther"},
        {"AnnulDate", "Дата на анулиране", TFieldKind::fkDate, "tsOther"},
        {"AnnulDescription", "Основание за анулиране", TFieldKind::fkText, "tsOther"},
    });
    if (!kind_.ShowsLedgerSubjects) Description.FindField("LedgerSubjectType")->Visible = false;
    dbgDetail.AddColumns({{"Line_No", "Ред", 40}, {"Description2", "Доп. описание", 100}, {"Code", "Код"},
                          {"Description", "Описание", 240}, {"Quantity", "Количество"},
                          {"DirectUnitCost", "Ед. цена"}, {"VATPercent", "ДДС %", 50}, {"TotalValue", "Без ДДС"},
                          {"VATValue", "ДДС"}, {"TotalVAT", "С ДДС"}});
}

void TfEdPostGlobalPurchDocument::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kind_.KindCode;
}

void TfEdPostGlobalPurchDocument::FormShow() {
    TfBaseEditPostedDocument::FormShow();
    if (kind_.ShowsLedgerSubjects) FillLedgerSubjectTypes(*this);
}

void TfEdPostGlobalPurchDocument::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    TAnnulment annulment;
    annulment.GlobalField = kind_.GlobalField;
    annulment.GlobalMarker = kind_.Marker;
    annulment.Consolidated = true;
    annulment.Protocol = kind_.Protocol;
    AnnulPostedDocument(*this, annulment);
}

}  // namespace tavrek
