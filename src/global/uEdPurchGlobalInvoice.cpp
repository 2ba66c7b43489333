#include "global/uEdPurchGlobalInvoice.h"

#include "base/errors/TELException.h"
#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "documents/uPurchDocumentModel.h"
#include "global/uPurchGlobalDocCalc.h"

namespace tavrek {

using namespace uPurchGlobalDocCalc;
using uPurchCalcHelpers::Num;
using uPurchCalcHelpers::QuotedSql;
using uPurchCalcHelpers::SetNum;

namespace {

const TGlobalDocumentKind kGlobalInvoice{
    kDocKindGlobalInvoice, kDocKindGlobalInvoice, 10831, 0, 0, "10680", "PurchInvoice", "D_PurchInvoiceHeader",
    "DoNotIncInVATLedger", "IsGlobalInvoice", "GlobalInvoiceNo",
    "Type,Id,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,ReturnedQTY,Description2,VATProdPostGroup_Id,QtyPerUnit,Quantity_Base,"
    "InventoryPostGroup_Id,GenProdPostGroup_Id",
    "Type,SrcLine_Id,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,ReturnedQTY,Description2,VATProdPostGroup_Id,QtyPerUnit,Quantity_Base,"
    "InventoryPostGroup_Id,GenProdPostGroup_Id",
    "10830", '3', "Глобална фактура за покупка", false};

}  // namespace

TfEdPurchGlobalInvoice::TfEdPurchGlobalInvoice() : TfEdPurchGlobalDocument(kGlobalInvoice) {}

void TfEdPurchGlobalInvoice::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchGlobalDocument::AttachDynamicEvents(dataSet);
    AttachCommonEvents(dataSet);
    if (&dataSet != &cdsDetail) return;
    using T = TfEdPurchGlobalInvoice;
    Bind(dataSet, "Measure_Id", static_cast<THandler>(&T::MeasureOnChange));
    Bind(dataSet, "VATBaseAmount", static_cast<THandler>(&T::VATBaseAmountOnChange));
    Bind(dataSet, "VATValue", static_cast<THandler>(&T::VATValueOnChange));
}

void TfEdPurchGlobalInvoice::MeasureOnChange(TField&) {
    if (TakingOver()) return;
    PurchGlobalMeasureOnChange(cdsMaster, cdsDetail, Calculating, false, true);
}

void TfEdPurchGlobalInvoice::VATBaseAmountOnChange(TField&) {
    if (RulesSuppressed) return;
    SetNum(cdsDetail, "VATValue", Num(cdsDetail, "VATBaseAmount") * Num(cdsDetail, "VatPercent") * 0.01);
}

// The VAT typed gives the base it is due on; the line then computes as ever.
void TfEdPurchGlobalInvoice::VATValueOnChange(TField&) {
    if (Calculating) return;
    RulesSuppressed = true;
    try {
        const double percent = Num(cdsDetail, "VATPercent");
        if (percent != 0.0) {
            SetNum(cdsDetail, "VATBaseAmount", RoundUp(Num(cdsDetail, "VATValue") / (percent / 100.0), 2));
            SetNum(cdsDetail, "TotalVAT", Num(cdsDetail, "TotalValue") + Num(cdsDetail, "VATValue"));
        }
        PurchCalcTotalAmounts(cdsMaster, cdsDetail, Calculating);
    } catch (...) {
        TELException(CurrentExceptionMessage(), OperationName("VATValueOnChange"));
    }
    RulesSuppressed = false;
}

bool TfEdPurchGlobalInvoice::SetSelectorAction(const THeaderField& field, const TRequestResult& chosen) {
    if (!TfEdPurchGlobalDocument::SetSelectorAction(field, chosen)) return false;
    // The first vendor of a new document is no change.
    if (field.TargetFields.find("Contragent_Id") == std::string::npos || FieldValue(cdsMaster, "Contragent_Id").IsEmpty())
        return true;
    return AskYesNoKey("queChangeContragent", "Да бъде ли сменен доставчикът?");
}

std::string TfEdPurchGlobalInvoice::DuplicateLines() {
    const std::string source = "fn_CheckGlobalDuplicateLine(" + QuotedSql(LocalData().CompanyId) + "," +
                               QuotedSql(FieldValue(cdsMaster, "Id").AsString()) + ",1)";
    TRequestResult rows;
    if (dm().Server().RequestValue(0, source, "Line_No,DocNo", TFilter(), rows, true) == 0) return {};
    std::string report;
    for (size_t i = 0; i < rows.Rows.size(); ++i)
        report += "\r\nРед:" + rows.Value(i, 0).AsString() + " - Док.:" + rows.Value(i, 1).AsString();
    return report;
}

void TfEdPurchGlobalInvoice::PostDocument(bool print) {
    const std::string duplicates = DuplicateLines();
    if (!duplicates.empty()) {
        MessageDlgEx(GetMessageText("err_DuplicateLine", "Редове от документи са включени повече от веднъж:") + duplicates,
                     TMsgDlgType::mtError, mbOK);
        return;
    }
    TfEdPurchGlobalDocument::PostDocument(print);
    PostToServer(print);
}

namespace uEdPurchGlobalInvoice {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPurchGlobalInvoice");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPurchGlobalInvoice>(); },
                      entry.Caption, TFormGroup::fgGlobalDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchGlobalInvoice

}  // namespace tavrek
