#include "posted/uBrPostPurchCrMemo.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/LocalData.h"
#include "documents/uPurchDocumentModel.h"
#include "posted/uEdPostedPurchCrMemo.h"

namespace tavrek {

TfBrPostPurchCrMemo::TfBrPostPurchCrMemo() {
    MasterProvider = "D_PurchCrMemoHeader";
    MasterTable = "D_PurchCrMemoHeader";
    CardFormNumber = uEdPostedPurchCrMemo::kFormNumber;
    CardKeyField = "D_PurchCrMemoHeader.Id";
    Description.Caption = "Осчетоводени кредитни известия за покупка";
    dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 100}, {"DocumentDate", "Дата"}, {"N_Contragent_Code", "Доставчик"},
        {"N_Contragent_Name", "Име на доставчик", 200}, {"VendorCreditMemoNo", "Известие на доставчика"},
        {"ToInvoiceNo", "Към фактура"}, {"TotalValue", "Без ДДС"}, {"TotalVAT", "С ДДС"},
        {"Remaining", "Остатък"}, {"Annul", "Анулиран", 80, kCheckBoxFormat}});
}

// Opened from the menu, the list shows the session company's credit memos.
void TfBrPostPurchCrMemo::FormCreate() {
    TfBaseBrowseCardPostedDocument::FormCreate();
    if (Filter.Empty()) Filter.Add("D_PurchCrMemoHeader.Comp_Id", "=", LocalData().CompanyId);
}

int TfBrPostPurchCrMemo::CurrentCardFormNumber() {
    if (const Variant type = FieldValue(cdsMaster, "DocumentType"); !type.IsNull() && type.AsInteger() == kDocKindPostedGlobalCrMemo)
        return FindCatalogueClass("TfEdPostGlobalPurchCrMemo")->FormNumber;
    return CardFormNumber;
}

namespace uBrPostPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPostPurchCrMemo", kFormNumber, [] { return std::make_unique<TfBrPostPurchCrMemo>(); },
                      "Осчетоводени кредитни известия", TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPostPurchCrMemo

}  // namespace tavrek
