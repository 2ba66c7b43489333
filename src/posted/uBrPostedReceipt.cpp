#include "posted/uBrPostedReceipt.h"

#include "base/forms/TFormRegistry.h"
#include "posted/uEdPostedReceipt.h"

namespace tavrek {

TfBrPostedReceipt::TfBrPostedReceipt() {
    MasterProvider = "D_PurchReceiptHeader";
    MasterTable = "D_PurchReceiptHeader";
    CardFormNumber = TfEdPostedReceipt::kFormNumber;
    CardKeyField = "D_PurchReceiptHeader.Id";
    Description.Caption = "Осчетоводени доставки";
    pmDocument.Add("miCheckOnGoods", "Проверка на стока", [this] {
        RunGuarded(OperationName("miCheckOnGoodsClick"), [this] { miCheckOnGoodsClick(); });
    });
    dbgMaster.AddColumns({
        {"DocumentNo", "Номер", 90, ""}, {"DocumentDate", "Дата"}, {"PostingDate", "Осчетоводена"},
        {"N_Contragent_Code", "Доставчик"}, {"N_Contragent_Name", "Име на доставчик"},
        {"VendorOrderNo", "Поръчка на доставчика"}, {"OrderNo", "Поръчка", 90, ""}, {"Comment", "Коментар"}});
}

TVariantArray TfBrPostedReceipt::GetDocumentInfo() { return {1, 2}; }

void TfBrPostedReceipt::miCheckOnGoodsClick() { TfEdPostedReceipt::CheckOnGoods(*this); }

namespace uBrPostedReceipt {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfBrPostedReceipt", TfBrPostedReceipt::kFormNumber,
                      [] { return std::make_unique<TfBrPostedReceipt>(); }, "Осчетоводени доставки",
                      TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPostedReceipt

}  // namespace tavrek
