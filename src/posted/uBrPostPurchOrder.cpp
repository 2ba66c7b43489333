#include "posted/uBrPostPurchOrder.h"

#include "base/forms/TFormRegistry.h"
#include "base/session/Tdm.h"
#include "documents/uPurchDocumentModel.h"
#include "posted/uEdPostPurchOrder.h"
#include "posted/uEdPostPurchRejectOrder.h"
#include "posted/uEdPostPurchReturnOrder.h"

namespace tavrek {

TfBrPostPurchOrder::TfBrPostPurchOrder() {
    MasterProvider = "D_PostPurchOrderHeader";
    MasterTable = "D_PostPurchOrderHeader";
    CardFormNumber = TfEdPostPurchReturnOrder::kFormNumber;
    CardKeyField = "D_PostPurchOrderHeader.Id";
    Description.Caption = "Осчетоводени поръчки";
    dbgMaster.AddColumns({{"DocumentNo", "Номер", 90, ""},
                          {"DocumentType", "Вид", 80, "names:24=Изпълнена;25=Върната;27=Отказана"},
                          {"DocumentDate", "Дата"},
                          {"PostingDate", "Осчетоводена"},
                          {"N_Contragent_Code", "Доставчик"},
                          {"N_Contragent_Name", "Име на доставчик", 200, ""},
                          {"OrderNo", "Поръчка", 90, ""},
                          {"VendorOrderNo", "Поръчка на доставчика", 140, ""},
                          {"TotalValue", "Сума без ДДС"},
                          {"Annul", "Анулирана", 80, kCheckBoxFormat}});
}

// The list shows the completed, returned and rejected orders of the session's company.
void TfBrPostPurchOrder::FormCreate() {
    TfBaseBrowseCardPostedDocument::FormCreate();
    Filter = AndJoined(Filter, TFilter()
                                   .Add("D_PostPurchOrderHeader.Comp_Id", "=", LocalData().CompanyId, "AND")
                                   .Add("(D_PostPurchOrderHeader.DocumentType", "=", kDocKindPostedPurchOrder, "OR")
                                   .Add("D_PostPurchOrderHeader.DocumentType", "=", kDocKindPostedReturnOrder, "OR")
                                   .Add("D_PostPurchOrderHeader.DocumentType", "=", kDocKindPostedRejectOrder, ")"));
}

int TfBrPostPurchOrder::CurrentCardFormNumber() {
    const TField* kind = cdsMaster.FindField("DocumentType");
    if (kind != nullptr && kind->AsInteger() == kDocKindPostedRejectOrder) return TfEdPostPurchRejectOrder::kFormNumber;
    if (kind != nullptr && kind->AsInteger() == kDocKindPostedPurchOrder) return TfEdPostPurchOrder::kFormNumber;
    return CardFormNumber;
}

namespace uBrPostPurchOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPostPurchOrder", TfBrPostPurchOrder::kFormNumber,
                      [] { return std::make_unique<TfBrPostPurchOrder>(); }, "Осчетоводени поръчки",
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPostPurchOrder

}  // namespace tavrek
