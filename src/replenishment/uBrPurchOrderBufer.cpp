#include "replenishment/uBrPurchOrderBufer.h"

#include "base/forms/EAbort.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uEdPurchPostingChecks.h"
#include "documents/uPurchDocumentHistory.h"
#include "replenishment/uEdPurchOrderBufer.h"

namespace tavrek {

TfBrPurchOrderBufer::TfBrPurchOrderBufer()
    : acSendDocumentsForCheck(AcListBase.Add("acSendDocumentsForCheck", "Изпрати за проверка", "Документ")) {
    MasterProvider = "D_PurchOrderBufHeader";
    MasterTable = "D_PurchOrderBufHeader";
    CardFormNumber = TfEdPurchOrderBufer::kFormNumber;
    CardKeyField = "D_PurchOrderBufHeader.Id";
    Description.Caption = "Буфери за поръчки";
    HidePostingActions();
    BindAction(acSendDocumentsForCheck, "acSendDocumentsForCheckExecute", [this] { acSendDocumentsForCheckExecute(); });
    pmDocument.AddSeparator();
    pmDocument.Add("miSendDocumentsForCheck", acSendDocumentsForCheck);
    dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 90, ""}, {"DocumentDate", "Дата"}, {"OperationName", "Операция"},
        {"ToOrderNo", "Към поръчка", 90, ""}, {"N_Contragent_Code", "Доставчик"},
        {"N_Contragent_Name", "Име на доставчик", 200, ""}, {"TotalValue", "Сума без ДДС"}, {"TotalVAT", "Сума с ДДС"}});
}

void TfBrPurchOrderBufer::PostDocument(bool) {}

void TfBrPurchOrderBufer::acDeleteRecordExecute() {
    if (!PurchCheckMarkedBeforeDelete(cdsMaster, dbgMaster.SelectedRows, 5)) {
        acRefreshExecute();
        return;
    }
    TfBaseBrowseCardDocument::acDeleteRecordExecute();
}

void TfBrPurchOrderBufer::MoveToAnnulDocs() {
    if (!PurchSaveHistoryBeforeDelete(cdsMaster, 7)) throw EAbort();
}

void TfBrPurchOrderBufer::acSendDocumentsForCheckExecute() {
    std::vector<TBookmark> rows = dbgMaster.SelectedRows;
    if (rows.empty() && cdsMaster.Active() && !cdsMaster.IsEmpty()) rows.push_back(cdsMaster.GetBookmark());
    for (TBookmark row : rows) {
        if (!cdsMaster.BookmarkValid(row)) continue;
        cdsMaster.GotoBookmark(row);
        SendDocumentForCheck(cdsMaster.FieldByName("Id").Value(), 3, 0, 0, true,
                             cdsMaster.FieldByName("BusinessGroup_Id").Value());
    }
    acRefreshExecute();
}

namespace uBrPurchOrderBufer {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOrderBufer", TfBrPurchOrderBufer::kFormNumber,
                      [] { return std::make_unique<TfBrPurchOrderBufer>(); }, "Буфери за поръчки",
                      TFormGroup::fgReplenishment);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOrderBufer

}  // namespace tavrek
