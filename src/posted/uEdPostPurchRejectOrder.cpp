#include "posted/uEdPostPurchRejectOrder.h"

#include <tuple>

#include "base/forms/TFormRegistry.h"

namespace tavrek {

TfEdPostPurchRejectOrder::TfEdPostPurchRejectOrder() {
    MasterProvider = "D_PostPurchOrderHeader";
    DetailProvider = "D_PostPurchOrderLine";
    MasterTable = "D_PostPurchOrderHeader";
    pmDocument.Find("miSaveOperationTemplate")->SetVisible(false);
    Description.Caption = "Отказана поръчка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsOtherData", "Други данни");
    using K = TFieldKind;
    for (const auto& [field, caption, kind, page] : std::initializer_list<std::tuple<const char*, const char*, K, const char*>>{
             {"DocumentNo", "Номер", K::fkText, "tsMainData"},
             {"N_SubDocument_Code", "Вид документ", K::fkText, "tsMainData"},
             {"N_SubDocument_Name", "Име на вида", K::fkText, "tsMainData"},
             {"N_Contragent_Code", "Доставчик", K::fkText, "tsMainData"},
             {"N_Contragent_Name", "Име на доставчик", K::fkText, "tsMainData"},
             {"N_Contragent_Bulstat", "ЕИК", K::fkText, "tsMainData"},
             {"DocumentDate", "Дата на документа", K::fkDate, "tsMainData"},
             {"PostingDate", "Дата на осчетоводяване", K::fkDate, "tsMainData"},
             {"VendorOrderNo", "Поръчка на доставчика", K::fkText, "tsMainData"},
             {"AbsoluteNo", "Абсолютен номер", K::fkText, "tsOtherData"},
             {"SalesPerson_Id", "Купувач", K::fkText, "tsOtherData"},
             {"Businessgroup_Id", "Обект", K::fkText, "tsOtherData"},
             {"User_Id", "Потребител", K::fkText, "tsOtherData"},
             {"OrderDate", "Дата на поръчка", K::fkDate, "tsOtherData"},
             {"Comment", "Коментар", K::fkText, "tsOtherData"},
             {"OrderNo", "Поръчка", K::fkText, "tsOtherData"}})
        Description.AddField(field, caption, kind, page).ReadOnly = true;
}

namespace uEdPostPurchRejectOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostPurchRejectOrder", TfEdPostPurchRejectOrder::kFormNumber, [] { return std::make_unique<TfEdPostPurchRejectOrder>(); },
                      "Отказана поръчка", TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostPurchRejectOrder

}  // namespace tavrek
