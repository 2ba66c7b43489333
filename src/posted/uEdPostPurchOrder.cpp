#include "posted/uEdPostPurchOrder.h"

#include <tuple>

#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/Tdm.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

TfEdPostPurchOrder::TfEdPostPurchOrder() {
    MasterProvider = "D_PostPurchOrderHeader";
    DetailProvider = "D_PostPurchOrderLine";
    MasterTable = "D_PostPurchOrderHeader";
    pmDocument.Find("miSaveOperationTemplate")->SetVisible(false);
    pmLine.Add("pmiPostedPurchOrderDetail", "Детайли на наред", [this] {
        RunGuarded(OperationName("pmiPostedPurchOrderDetailClick"), [this] { pmiPostedPurchOrderDetailClick(); });
    });
    Description.Caption = "Осчетоводена поръчка за покупка";
    Description.AddPage("tsMainData", "Основни данни");
    Description.AddPage("tsFinanceData", "Финансови данни");
    Description.AddPage("tsOtherData", "Други данни");
    using K = TFieldKind;
    for (const auto& [field, caption, kind, page] : std::initializer_list<std::tuple<const char*, const char*, K, const char*>>{
             {"DocumentNo", "Номер", K::fkText, "tsMainData"},
             {"N_SubDocument_Code", "Вид документ", K::fkText, "tsMainData"},
             {"N_SubDocument_Name", "Име на вида", K::fkText, "tsMainData"},
             {"N_Contragent_Code", "Доставчик", K::fkText, "tsMainData"},
             {"N_Contragent_Name", "Име на доставчик", K::fkText, "tsMainData"},
             {"N_Contragent_Bulstat", "ЕИК", K::fkText, "tsMainData"},
             {"PriceIncludingVAT", "Цени с ДДС", K::fkFlag, "tsMainData"},
             {"DocumentDate", "Дата на документа", K::fkDate, "tsMainData"},
             {"OrderDate", "Дата на осчетоводяване", K::fkDate, "tsMainData"},
             {"VendorOrderNo", "Поръчка на доставчика", K::fkText, "tsMainData"},
             {"TotalValue", "Сума без ДДС", K::fkNumber, "tsFinanceData"},
             {"VATValue", "ДДС", K::fkNumber, "tsFinanceData"},
             {"TotalVAT", "Сума с ДДС", K::fkNumber, "tsFinanceData"},
             {"Currency_Id", "Валута", K::fkText, "tsFinanceData"},
             {"AbsoluteNo", "Абсолютен номер", K::fkText, "tsOtherData"},
             {"RequestedReceiptDate", "Желана дата на получаване", K::fkDate, "tsOtherData"},
             {"RequestedReceiptHour", "Желан час на получаване", K::fkText, "tsOtherData"},
             {"OrderNo", "Поръчка", K::fkText, "tsOtherData"},
             {"Comment", "Коментар", K::fkText, "tsOtherData"},
             {"Businessgroup_Id", "Обект", K::fkText, "tsOtherData"},
             {"User_Id", "Потребител", K::fkText, "tsOtherData"}})
        Description.AddField(field, caption, kind, page).ReadOnly = true;
}

void TfEdPostPurchOrder::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kDocKindPostedPurchOrder;
}

void TfEdPostPurchOrder::pmiPostedPurchOrderDetailClick() {
    TFilter filter;
    filter.Add("D_PostPurchOrderLineDetail.Comp_Id", "=", LocalData().CompanyId, "AND")
        .Add("D_PostPurchOrderLineDetail.Master_Id", "=", cdsMaster.FieldByName("Id").AsString(), "AND")
        .Add("D_PostPurchOrderLineDetail.MasterLine_Id", "=", cdsDetail.FieldByName("Id").AsString());
    RequestForm(3260, {soNormal}, filter, Variant(), Variant(), nullptr, {}, this, this);
}

namespace uEdPostPurchOrder {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostPurchOrder", TfEdPostPurchOrder::kFormNumber,
                      [] { return std::make_unique<TfEdPostPurchOrder>(); }, "Осчетоводена поръчка за покупка",
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostPurchOrder

}  // namespace tavrek
