#include "posted/uEdPostPurchReturnOrder.h"

#include "base/forms/TFormRegistry.h"
#include "posted/uEdPostPurchOrder.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

TfEdPostPurchReturnOrder::TfEdPostPurchReturnOrder() { DescribePostedOrderOperation(*this, "Върната поръчка", false); }

void TfEdPostPurchReturnOrder::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    AnnulPostedOrderOperation(*this);
}

void AnnulPostedOrderOperation(TfBaseEditPostedDocument& view) {
    uPostedPurchOperations::TAnnulment annulment;
    annulment.Kind = 3;
    uPostedPurchOperations::AnnulPostedDocument(view, annulment);
}

void DescribePostedOrderOperation(TfBaseEditPostedDocument& view, const char* caption, bool withOrderDate) {
    view.MasterProvider = "D_PostPurchOrderHeader";
    view.DetailProvider = "D_PostPurchOrderLine";
    view.MasterTable = "D_PostPurchOrderHeader";
    view.pmDocument.Add("miAnnulDoc", view.acAnnulDocument);
    TFormDescription& description = view.Description;
    description.Caption = caption;
    description.AddPage("tsMainData", "Основни данни");
    description.AddPage("tsOtherData", "Други данни");
    description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Name", "Име на вида", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorOrderNo", "Поръчка на доставчика", TFieldKind::fkText, "tsMainData"},
        {"Annul", "Анулирана", TFieldKind::fkFlag, "tsMainData"},
        {"AnnulDate", "Дата на анулиране", TFieldKind::fkDate, "tsOtherData"},
        {"AnnulDescription", "Причина за анулиране", TFieldKind::fkText, "tsOtherData"},
        {"AbsoluteNo", "Абсолютен номер", TFieldKind::fkText, "tsOtherData"},
        {"SalesPerson_Id", "Купувач", TFieldKind::fkText, "tsOtherData"},
        {"Businessgroup_Id", "Обект", TFieldKind::fkText, "tsOtherData"},
        {"User_Id", "Потребител", TFieldKind::fkText, "tsOtherData"}});
    if (withOrderDate) description.AddReadOnlyFields({{"OrderDate", "Дата на поръчка", TFieldKind::fkDate, "tsOtherData"}});
    description.AddReadOnlyFields({{"Comment", "Коментар", TFieldKind::fkText, "tsOtherData"},
                                   {"OrderNo", "Поръчка", TFieldKind::fkText, "tsOtherData"}});
    AddPostedOrderLineColumns(view.dbgDetail);
}

namespace uEdPostPurchReturnOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostPurchReturnOrder", TfEdPostPurchReturnOrder::kFormNumber, [] { return std::make_unique<TfEdPostPurchReturnOrder>(); },
                      "Върната поръчка", TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostPurchReturnOrder

}  // namespace tavrek
