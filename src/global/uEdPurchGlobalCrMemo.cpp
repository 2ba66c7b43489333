#include "global/uEdPurchGlobalCrMemo.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "documents/uPurchDocumentModel.h"
#include "global/uPurchGlobalDocCalc.h"

namespace tavrek {

namespace {

const TGlobalDocumentKind kGlobalCrMemo{
    kDocKindGlobalCrMemo, kDocKindGlobalCrMemo, 10841, 1, 1, "10700", "PurchCrMemo", "D_PurchCrMemoHeader",
    "NotIncludeVatLedger", "IsGlobalCrMemo", "GlobalCrMemoNo",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,Description2,QtyPerUnit,Quantity_Base,InventoryPostGroup_Id,"
    "GenProdPostGroup_Id,VATProdPostGroup_Id,Id",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,Description2,QtyPerUnit,Quantity_Base,InventoryPostGroup_Id,"
    "GenProdPostGroup_Id,VATProdPostGroup_Id,SrcLine_Id",
    "10840", '5', "Глобално кредитно известие за покупка", false};

}  // namespace

TfEdPurchGlobalCrMemo::TfEdPurchGlobalCrMemo() : TfEdPurchGlobalDocument(kGlobalCrMemo) {}

void TfEdPurchGlobalCrMemo::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchGlobalDocument::AttachDynamicEvents(dataSet);
    AttachCommonEvents(dataSet);
    if (&dataSet != &cdsDetail) return;
    Bind(dataSet, "UnitCost_LCY", &TfEdPurchGlobalCrMemo::UnitCost_LCYOnChange);
    Bind(dataSet, "Measure_Id", static_cast<THandler>(&TfEdPurchGlobalCrMemo::MeasureOnChange));
}

// A measure changed on a copied line still converts its price.
void TfEdPurchGlobalCrMemo::MeasureOnChange(TField&) {
    if (TakingOver()) return;
    const bool suppressed = RulesSuppressed;
    RulesSuppressed = false;
    uPurchGlobalDocCalc::PurchGlobalMeasureOnChange(cdsMaster, cdsDetail, Calculating, false, true);
    RulesSuppressed = suppressed;
}

void TfEdPurchGlobalCrMemo::PostDocument(bool print) {
    TfEdPurchGlobalDocument::PostDocument(print);
    PostToServer(print);
}

namespace uEdPurchGlobalCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPurchGlobalCrMemo");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPurchGlobalCrMemo>(); },
                      entry.Caption, TFormGroup::fgGlobalDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchGlobalCrMemo

}  // namespace tavrek
