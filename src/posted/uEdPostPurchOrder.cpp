#include "posted/uEdPostPurchOrder.h"

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
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Code", "Вид документ", TFieldKind::fkText, "tsMainData"},
        {"N_SubDocument_Name", "Име на вида", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Code", "Доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Name", "Име на доставчик", TFieldKind::fkText, "tsMainData"},
        {"N_Contragent_Bulstat", "ЕИК", TFieldKind::fkText, "tsMainData"},
        {"PriceIncludingVAT", "Цени с ДДС", TFieldKind::fkFlag, "tsMainData"},
        {"DocumentDate", "Дата на документа", TFieldKind::fkDate, "tsMainData"},
        {"OrderDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsMainData"},
        {"VendorOrderNo", "Поръчка на доставчика", TFieldKind::fkText, "tsMainData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsMainData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsMainData"},
        {"Currency_Id", "Валута", TFieldKind::fkText, "tsMainData"},
        {"TotalValue", "Сума без ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"VATValue", "ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"TotalVAT", "Сума с ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"Currency_Id", "Валута", TFieldKind::fkText, "tsFinanceData"},
        {"AbsoluteNo", "Абсолютен номер", TFieldKind::fkText, "tsOtherData"},
        {"RequestedReceiptDate", "Желана дата на получаване", TFieldKind::fkDate, "tsOtherData"},
        {"RequestedReceiptHour", "Желан час на получаване", TFieldKind::fkText, "tsOtherData"},
        {"OrderNo", "Поръчка", TFieldKind::fkText, "tsOtherData"},
        {"OrderDate", "Дата на осчетоводяване", TFieldKind::fkDate, "tsOtherData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOtherData"},
        {"Businessgroup_Id", "Обект", TFieldKind::fkText, "tsOtherData"},
        {"User_Id", "Потребител", TFieldKind::fkText, "tsOtherData"}});
    // The same fields on the finance and other pages are controls of their own.
    for (THeaderField& field : Description.Fields)
        if (field.Page != "tsMainData" && Description.FindField(field.FieldName) != &field)
            field.ControlName = field.FieldName + "_" + field.Page;
    // The posted order is the order's copy: it goes away only with the documents that completed it.
    acAnnulDocument.Visible = false;
    AddPostedOrderLineColumns(dbgDetail);
}

void AddPostedOrderLineColumns(TGrid& grid) {
    grid.AddColumns({
        {"Line_No", "Ред"}, {"Code", "Код"}, {"Description", "Описание", 240, ""}, {"Measure_Id", "Мярка"},
        {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"}, {"LineDiscount", "Отстъпка %"},
        {"TotalValue", "Без ДДС"}, {"TotalVAT", "С ДДС"}});
    grid.FindColumn("Description")->Width = 240;
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
