#include "posted/uEdPostedReceipt.h"

#include "base/forms/RequestForm.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"
#include "posted/uPostedPurchOperations.h"

namespace tavrek {

TfEdPostedReceipt::TfEdPostedReceipt() {
    MasterProvider = "D_PurchReceiptHeader";
    DetailProvider = "D_PurchReceiptLine";
    MasterTable = "D_PurchReceiptHeader";
    pmDocument.Add("miCheckOnGoods", "Проверка на стока", [this] {
        RunGuarded(OperationName("miCheckOnGoodsClick"), [this] { miCheckOnGoodsClick(); });
    });
    pmDocument.Add("miAnnulDoc", acAnnulDocument);
    // Tracing the order and cancelling the receipt are the warehouse's work: the items are
    // shown where a buyer looks for them, off until that work is in this client.
    for (const auto& [name, caption] : {std::pair{"miTrace", "Проследяване на поръчка"},
                                        std::pair{"miCancelReceived", "Отмени получаване"}})
        pmFunctions.Add(name, caption, {}).SetEnabled(false);
    AddMenu(pmFunctions);
    Description.Caption = "Осчетоводена доставка";
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
        {"OrderNo", "Поръчка", TFieldKind::fkText, "tsMainData"},
        {"ExternalDoc_No", "Външен документ", TFieldKind::fkText, "tsMainData"},
        {"Annul", "Анулиран", TFieldKind::fkFlag, "tsMainData"},
        {"Comment", "Коментар", TFieldKind::fkText, "tsOtherData"},
        {"BusinessGroup_Id", "Обект", TFieldKind::fkText, "tsOtherData"},
        {"User_Id", "Потребител", TFieldKind::fkText, "tsOtherData"},
        {"PostingUser_Id", "Осчетоводил", TFieldKind::fkText, "tsOtherData"},
        {"No_Printed", "Брой отпечатвания", TFieldKind::fkNumber, "tsOtherData"}});
    dbgDetail.AddColumns({
        {"Line_No", "Ред"}, {"Code", "Код"}, {"Description", "Описание", 240, ""}, {"Measure_Id", "Мярка"},
        {"Quantity", "Количество"}, {"DirectUnitCost_ACY", "Ед. цена"}, {"TotalValue", "Без ДДС"}});
}

void TfEdPostedReceipt::FormCreate() {
    TfBaseEditPostedDocument::FormCreate();
    DocumentKindCode = kDocKindPostedReceipt;
}

TVariantArray TfEdPostedReceipt::GetDocumentInfo() { return {1, 2}; }

// A receipt owes the vendor nothing: no question about payments, no change to show; the
// server's reason when it refuses.
void TfEdPostedReceipt::acAnnulDocumentExecute() {
    TfBaseEditPostedDocument::acAnnulDocumentExecute();
    uPostedPurchOperations::TAnnulment annulment;
    annulment.Kind = 1;
    uPostedPurchOperations::AnnulPostedDocument(*this, annulment);
}

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
