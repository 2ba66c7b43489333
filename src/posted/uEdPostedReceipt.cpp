#include "posted/uEdPostedReceipt.h"

#include <tuple>

#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"

namespace tavrek {

TfEdPostedReceipt::TfEdPostedReceipt() {
    MasterProvider = "D_PurchReceiptHeader";
    DetailProvider = "D_PurchReceiptLine";
    MasterTable = "D_PurchReceiptHeader";
    pmDocument.Add("miCheckOnGoods", "Проверка на стока", [this] {
        RunGuarded(OperationName("miCheckOnGoodsClick"), [this] { miCheckOnGoodsClick(); });
    });
    Description.Caption = "Осчетоводена доставка";
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
             {"OrderNo", "Поръчка", K::fkText, "tsMainData"},
             {"ExternalDoc_No", "Външен документ", K::fkText, "tsMainData"},
             {"Annul", "Анулиран", K::fkFlag, "tsMainData"},
             {"Comment", "Коментар", K::fkText, "tsOtherData"},
             {"BusinessGroup_Id", "Обект", K::fkText, "tsOtherData"},
             {"User_Id", "Потребител", K::fkText, "tsOtherData"},
             {"PostingUser_Id", "Осчетоводил", K::fkText, "tsOtherData"},
             {"No_Printed", "Брой отпечатвания", K::fkNumber, "tsOtherData"}})
        Description.AddField(field, caption, kind, page).ReadOnly = true;
    for (const auto& [field, caption] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Line_No", "Ред"}, {"Code", "Код"}, {"Description", "Описание"}, {"Measure_Id", "Мярка"},
             {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"}, {"TotalValue", "Без ДДС"}})
        dbgDetail.AddColumn(field, caption);
}

void TfEdPostedReceipt::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kDocKindPostedReceipt;
}

TVariantArray TfEdPostedReceipt::GetDocumentInfo() { return {1, 2}; }

void TfEdPostedReceipt::miCheckOnGoodsClick() { CheckOnGoods(*this); }

void TfEdPostedReceipt::CheckOnGoods(TfBase& form) {
    TClientDataSet& header = form.cdsMaster;
    if (header.FindField("id") == nullptr) return;
    const TDefaultValues values{{"", header.FieldByName("Id").Value()},
                                {"", header.FieldByName("DocumentNo").Value()},
                                {"", Variant("1")}};
    RequestForm(4230, {}, TFilter(), Variant(), Variant(), nullptr, values, &form);
}

namespace uEdPostedReceipt {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPostedReceipt", TfEdPostedReceipt::kFormNumber,
                      [] { return std::make_unique<TfEdPostedReceipt>(); }, "Осчетоводена доставка",
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPostedReceipt

}  // namespace tavrek
