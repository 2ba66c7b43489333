#include "posted/uEdPostPurchReturnOrder.h"

#include "base/forms/TFormRegistry.h"

namespace tavrek {

TfEdPostPurchReturnOrder::TfEdPostPurchReturnOrder() {
    MasterProvider = "D_PostPurchOrderHeader";
    DetailProvider = "D_PostPurchOrderLine";
    MasterTable = "D_PostPurchOrderHeader";
    Description.Caption = "Върната поръчка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsOtherData", "Други данни");
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Name", "Име на вида", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorOrderNo", "Поръчка на доставчика", TFieldKind::fkText, "tsMainData"},
        {"AbsoluteNo", "Абсолютен номер", TFieldKind::fkText, "tsOtherData"},
        {"SalesPerson_Id", "Купувач", TFieldKind::fkText, "tsOtherData"},
        {"Businessgroup_Id", "Обект", TFieldKind::fkText, "tsOtherData"},
        {"User_Id", "Потребител", TFieldKind::fkText, "tsOtherData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOtherData"},
        {"OrderNo", "Поръчка", TFieldKind::fkText, "tsOtherData"}});
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
