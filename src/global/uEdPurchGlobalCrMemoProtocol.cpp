#include "global/uEdPurchGlobalCrMemoProtocol.h"

#include "base/forms/RequestForm.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "global/uPurchGlobalDocCalc.h"

namespace tavrek {

namespace {

const TGlobalDocumentKind kGlobalCrMemoProtocol{
    15, 41, 11451, 1, 1, "10700", "PurchCrMemo", "D_PurchCrMemoHeader", "NotIncludeVatLedger", "IsGlobalCrMemo",
    "GlobalCrMemoNo",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,DocumentNo,VATProdPostGroup_Id,Id",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,Description2,VATProdPostGroup_Id,SrcLine_Id",
    "", 0, "Глобален протокол към кредитно известие", true};

}  // namespace

TfEdPurchGlobalCrMemoProtocol::TfEdPurchGlobalCrMemoProtocol() : TfEdPurchGlobalDocument(kGlobalCrMemoProtocol) {}

void TfEdPurchGlobalCrMemoProtocol::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchGlobalDocument::AttachDynamicEvents(dataSet);
    AttachCommonEvents(dataSet);
    using T = TfEdPurchGlobalCrMemoProtocol;
    if (&dataSet == &cdsMaster)
        Bind(dataSet, "VATBusPostGroup_Id", static_cast<THandler>(&T::VATBusPostGroupOnChange));
    else
        Bind(dataSet, "UnitCost_LCY", &T::UnitCost_LCYOnChange);
}

void TfEdPurchGlobalCrMemoProtocol::VATBusPostGroupOnChange(TField&) {
    uPurchGlobalDocCalc::PurchVATBusPostGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

void TfEdPurchGlobalCrMemoProtocol::acDeleteLinesFromDocsExecute() {
    const TDefaultValues defaults = {{"DocumentType", GetDocumentType()},
                                     {"Id", FieldValue(cdsMaster, "Id")},
                                     {"DocumentNo", FieldValue(cdsMaster, "DocumentNo")}};
    RequestForm(10700, {soRemoveSources}, RemoveFilter(), Variant(), Variant(), nullptr, defaults, this);
    TfEdBaseGlobalDocument::acDeleteLinesFromDocsExecute();
}

void TfEdPurchGlobalCrMemoProtocol::PostDocument(bool print) {
    TfEdPurchGlobalDocument::PostDocument(print);
    PostToServer(print);
}

namespace uEdPurchGlobalCrMemoProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPurchGlobalCrMemoProtocol");
    RegisterFormClass(entry.ClassName, entry.FormNumber,
                      [] { return std::make_unique<TfEdPurchGlobalCrMemoProtocol>(); }, entry.Caption,
                      TFormGroup::fgGlobalDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchGlobalCrMemoProtocol

}  // namespace tavrek
