#include "global/uEdPurchGlobalProtocol.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchHeaderRules.h"
#include "global/uPurchGlobalDocCalc.h"

namespace tavrek {

using uPurchCalcHelpers::InWriteState;

namespace {

// A protocol charges the VAT of the vendor's posted invoices kept out of the VAT ledger (the
// invoices of an acquisition from the EU): the protocol counterpart of the global invoice,
// posted into the invoices. Each line names its invoice in Description2.
const TGlobalDocumentKind kGlobalProtocol{
    15, 40, 11411, 1, 0, "10680", "PurchInvoice", "D_PurchInvoiceHeader", "DoNotIncInVATLedger", "IsGlobalInvoice",
    "GlobalInvoiceNo",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,DocumentNo,VATProdPostGroup_Id,Id",
    "Type,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,Description2,VATProdPostGroup_Id,SrcLine_Id",
    "11410", 0, "Глобален протокол", true};

}  // namespace

TfEdPurchGlobalProtocol::TfEdPurchGlobalProtocol() : TfEdPurchGlobalDocument(kGlobalProtocol) {}

void TfEdPurchGlobalProtocol::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchGlobalDocument::AttachDynamicEvents(dataSet);
    AttachCommonEvents(dataSet);
    using T = TfEdPurchGlobalProtocol;
    if (&dataSet == &cdsMaster) {
        Bind(dataSet, "VATBusPostGroup_Id", static_cast<THandler>(&T::VATBusPostGroupMasterOnChange));
        Bind(dataSet, "BusinessGroup_Id", static_cast<THandler>(&T::BusinessGroupOnChange));
        return;
    }
    Bind(dataSet, "UnitCost_LCY", &T::UnitCost_LCYOnChange);
    Bind(dataSet, "VATBusPostGroup_Id", static_cast<THandler>(&T::VATBusPostGroupOnChange));
}

void TfEdPurchGlobalProtocol::BusinessGroupOnChange(TField&) {
    uPurchCallculations::PurchBusinessGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

// The header's group reaches each line on its own; the lines' handler does not walk them all again.
void TfEdPurchGlobalProtocol::VATBusPostGroupMasterOnChange(TField&) {
    TWaitCursor wait;
    const Variant group = FieldValue(cdsMaster, "VATBusPostGroup_Id");
    GroupPropagation = true;
    cdsDetail.DisableControls();
    try {
        for (cdsDetail.First(); !cdsDetail.Eof(); cdsDetail.Next()) {
            if (FieldValue(cdsDetail, "VATBusPostGroup_Id").AsString() == group.AsString()) continue;
            if (!InWriteState(cdsDetail)) cdsDetail.Edit();
            cdsDetail.FieldByName("VATBusPostGroup_Id").SetValue(group);
            cdsDetail.Post();
        }
    } catch (...) {
        cdsDetail.EnableControls();
        GroupPropagation = false;
        throw;
    }
    cdsDetail.EnableControls();
    GroupPropagation = false;
}

void TfEdPurchGlobalProtocol::VATBusPostGroupOnChange(TField&) {
    if (GroupPropagation) return;
    uPurchGlobalDocCalc::PurchVATBusPostGroupOnChange(cdsMaster, cdsDetail, Calculating);
}

bool TfEdPurchGlobalProtocol::ProtocolExists() {
    const char* h = "D_PurchInvoiceHeader.";
    const std::string p(h);
    TFilter filter;
    filter.Add(p + "Comp_id", "=", LocalData().CompanyId, "AND")
        .Add(p + "ToInvoiceNo", "=", FieldValue(cdsMaster, "ToInvoiceNo"), "AND")
        .Add(p + "DocumentType", "=", 6, "AND")
        .Add(p + "GlobDocIsPosted", "=", 1, "AND")
        .Add(p + "IsGlobalInvoice", "=", 1, "AND")
        .Add(p + "Annul", "=", 0, "AND")
        .Add(p + "Contragent_id", "=", FieldValue(cdsMaster, "Contragent_id"));
    TRequestResult found;
    return dm().Server().RequestValue(0, "D_PurchInvoiceHeader", "ToInvoiceNo", filter, found) > 0;
}

void TfEdPurchGlobalProtocol::PostDocument(bool print) {
    if (ProtocolExists() &&
        !AskYesNoKey("que_AlreadyExistsPProtocol", "Вече има осчетоводен протокол към този документ. Да продължи ли?"))
        return;
    TfEdPurchGlobalDocument::PostDocument(print);
    PostToServer(print);
}

namespace uEdPurchGlobalProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfEdPurchGlobalProtocol");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfEdPurchGlobalProtocol>(); },
                      entry.Caption, TFormGroup::fgGlobalDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchGlobalProtocol

}  // namespace tavrek
