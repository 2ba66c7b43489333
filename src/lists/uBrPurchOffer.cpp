#include "lists/uBrPurchOffer.h"

#include "base/forms/TFormRegistry.h"
#include "base/session/Tdm.h"
#include "documents/uPurchPrintForms.h"
#include "editors/uEdPurchOffer.h"

namespace tavrek {

TfBrPurchOffer::TfBrPurchOffer() {
    MasterProvider = "D_PurchHeader";
    MasterTable = "D_PurchHeader";
    CardFormNumber = TfEdPurchOffer::kFormNumber;
    CardKeyField = "D_PurchHeader.Id";
    Description.Caption = "Оферти за покупка";
    HidePostingActions();
    dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 90, ""}, {"DocumentDate", "Дата"}, {"N_Contragent_Code", "Доставчик"},
        {"N_Contragent_Name", "Име на доставчик", 200, ""}, {"TotalValue", "Сума без ДДС"}, {"TotalVAT", "Сума с ДДС"},
        {"Comment", "Коментар"}, {"DocStatus", "Превърната", 80, kCheckBoxFormat}});
}

// The list shows the offers of the session's company.
void TfBrPurchOffer::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    if (Filter.Empty())
        Filter.Add("D_PurchHeader.DocumentType", "=", 20, "AND").Add("D_PurchHeader.Comp_Id", "=", LocalData().CompanyId);
}

TRequestResult TfBrPurchOffer::GetPrintDocument() {
    return PurchPrintFormsOr(cdsMaster, TfBaseBrowseCardDocument::GetPrintDocument());
}

void TfBrPurchOffer::PostDocument(bool) {}

namespace uBrPurchOffer {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPurchOffer", TfBrPurchOffer::kFormNumber, [] { return std::make_unique<TfBrPurchOffer>(); },
                      "Оферти за покупка", TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchOffer

}  // namespace tavrek
