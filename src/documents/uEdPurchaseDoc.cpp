#include "documents/uEdPurchaseDoc.h"

#include "base/errors/TELException.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/LocalData.h"
#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"

namespace tavrek {

using uPurchCalcHelpers::Num;
using uPurchCalcHelpers::SetNum;

TfEdPurchaseDoc::TfEdPurchaseDoc() {
    NewDocumentType = uEdPurchaseDoc::kDocumentType;
    CorrectsLocalCurrencyCent = false;
    Description.Caption = "Общ документ за покупка";
    Description.AddPage("tsForeignTrade", "Външна търговия");
    Description.AddFields({
        {"VATLedger", "Дневник по ДДС", TFieldKind::fkNumber, "tsFinanceData"},
        {"GenBusPostGroup_Id", "Група за осчетоводяване", TFieldKind::fkText, "tsFinanceData"},
        {"VATBusPostGroup_Id", "ДДС група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"CntrPostingGroup_Id", "Група на доставчика", TFieldKind::fkText, "tsFinanceData"},
        {"BankAccount_Id", "Банкова сметка", TFieldKind::fkText, "tsFinanceData"},
        {"PurchType163a", "Доставка по чл. 163а", TFieldKind::fkText, "tsFinanceData"},
    });
    AddForeignTradeFields("tsForeignTrade");
    dbgDetail.AddColumn("VATBaseAmount", "Данъчна основа");
    dbgDetail.AddColumn("VATValue", "ДДС");
}

void TfEdPurchaseDoc::AttachDynamicEvents(TClientDataSet& dataSet) {
    TfEdPurchase::AttachDynamicEvents(dataSet);
    using H = void (TfEdBasePurchDocument::*)(TField&);
    try {
        if (&dataSet == &cdsMaster) {
            Bind(dataSet, "GenBusPostGroup_Id", static_cast<H>(&TfEdPurchaseDoc::GenBusPostGroupMasterOnChange));
            Bind(dataSet, "VATBusPostGroup_Id", static_cast<H>(&TfEdPurchaseDoc::VATBusPostGroupMasterOnChange));
        }
        if (&dataSet == &cdsDetail) Bind(dataSet, "VATBaseAmount", static_cast<H>(&TfEdPurchaseDoc::VATBaseAmountOnChange));
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdPurchaseDoc.AttachDynamicEvents");
    }
}

void TfEdPurchaseDoc::GenBusPostGroupMasterOnChange(TField&) {
    CopyHeaderFieldToLines("GenBusPostGroup_Id");
}

void TfEdPurchaseDoc::VATBusPostGroupMasterOnChange(TField&) {
    CopyHeaderFieldToLines("VATBusPostGroup_Id");
}

// A typed VAT base gives the VAT amount at the line's rate.
void TfEdPurchaseDoc::VATBaseAmountOnChange(TField&) {
    if (Suspended) return;
    Suspended = true;
    try {
        SetNum(cdsDetail, "VATValue", Num(cdsDetail, "VatBaseAmount") * Num(cdsDetail, "VatPercent") * 0.01);
    } catch (...) {
        TELException(CurrentExceptionMessage(), "TfEdPurchaseDoc.VATBaseAmountOnChange");
    }
    Suspended = false;
}

// A typed VAT amount gives the base back at the line's rate; a line without a rate keeps its base.
void TfEdPurchaseDoc::VATValueOnChange(TField&) {
    if (Calculating) return;
    const double percent = Num(cdsDetail, "VATPercent");
    if (percent != 0.0) {
        const bool saved = Suspended;
        Suspended = true;
        SetNum(cdsDetail, "VATBaseAmount",
               RoundUp(Num(cdsDetail, "VATValue") / (percent / 100.0), LocalData().AmountDecimals));
        Suspended = saved;
    }
    SetNum(cdsDetail, "TotalVAT", Num(cdsDetail, "TotalValue") + Num(cdsDetail, "VATValue"));
}

// The typed VAT data is the document's own: the server does not recalculate it.
bool TfEdPurchaseDoc::OnSaveBeforeGetData() { return true; }

void TfEdPurchaseDoc::GetPanelDetailsMaster() {
    TfEdPurchase::GetPanelDetailsMaster();
    ShowVendorAdvancePayment();
}

namespace uEdPurchaseDoc {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterFormClass("TfEdPurchaseDoc", kFormNumber, [] { return std::make_unique<TfEdPurchaseDoc>(); },
                      "Общ документ за покупка", TFormGroup::fgDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchaseDoc

}  // namespace tavrek
