#include "lists/uBrPurchOrder.h"

#include "base/forms/EAbort.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/Tdm.h"
#include "documents/uPurchDocumentHistory.h"
#include "documents/uPurchDocumentModel.h"
#include "documents/uPurchPrintForms.h"
#include "editors/uEdPurchOrder.h"

namespace tavrek {

TfBrPurchOrder::TfBrPurchOrder() {
    MasterProvider = "D_PurchHeader";
    MasterTable = "D_PurchHeader";
    CardFormNumber = TfEdPurchOrder::kFormNumber;
    CardKeyField = "D_PurchHeader.Id";
    Description.Caption = "Поръчки за покупка";
    dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 90, ""}, {"DocumentDate", "Дата"}, {"N_Contragent_Code", "Доставчик"},
        {"N_Contragent_Name", "Име на доставчик", 200, ""}, {"VendorOrderNo", "Поръчка на доставчика", 140, ""},
        {"TotalValue", "Сума без ДДС"}, {"TotalVAT", "Сума с ДДС"}, {"Comment", "Коментар"},
        {"DocStatus", "Затворена", 80, kCheckBoxFormat}, {"AwaitsApproval", "Чака одобрение", 90, kCheckBoxFormat},
        {"ApprovedBy_Name", "Одобрена от", 160, ""}});
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument}) action->Visible = false;
}

// The list shows the orders of the session's company.
void TfBrPurchOrder::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    if (Filter.Empty())
        Filter.Add("D_PurchHeader.DocumentType", "=", kDocKindPurchOrder, "AND")
            .Add("D_PurchHeader.Comp_Id", "=", LocalData().CompanyId);
}

TRequestResult TfBrPurchOrder::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseBrowseCardDocument::GetPrintDocument());
}

void TfBrPurchOrder::PostDocument(bool) {}

void TfBrPurchOrder::MoveToAnnulDocs() {
    if (!PurchSaveHistoryBeforeDelete(cdsMaster, TfEdPurchOrder::kOrderHistoryKind)) throw EAbort();
}

namespace uBrPurchOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOrder", TfBrPurchOrder::kFormNumber, [] { return std::make_unique<TfBrPurchOrder>(); },
                      "Поръчки за покупка", TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOrder

}  // namespace tavrek
