#include "posted/uBrPostedPurchInvoice.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "documents/uPurchDocumentModel.h"
#include "lists/uPurchListColumns.h"

namespace tavrek {

TfBrPostedPurchInvoice::TfBrPostedPurchInvoice() {
    MasterProvider = "D_PurchInvoiceHeader";
    MasterTable = "D_PurchInvoiceHeader";
    CardFormNumber = FindCatalogueClass("TfEdPostedPurchInvoice")->FormNumber;
    CardKeyField = "D_PurchInvoiceHeader.Id";
    uPurchListColumns::DescribeDocumentList(*this, MasterTable);
    dbgMaster.AddColumn("Annul", "Анулирана", 70);
}

void TfBrPostedPurchInvoice::FormCreate() {
    TfBaseBrowseCardPostedDocument::FormCreate();
    Description.Caption = "Осчетоводени фактури за покупка";
    Filter = AndJoined(Filter, TFilter().Add("D_PurchInvoiceHeader.Comp_Id", "=", LocalData().CompanyId));
}

// A posted advance payment, known by its subtype, opens in its own view, which guards its
// annulment; so does a posted global invoice, known by its kind.
int TfBrPostedPurchInvoice::CurrentCardFormNumber() {
    if (const Variant type = FieldValue(cdsMaster, "DocumentType"); !type.IsNull() && type.AsInteger() == kDocKindPostedGlobalInvoice)
        return FindCatalogueClass("TfEdPostGlobalPurchInvoice")->FormNumber;
    const TField* subtype = cdsMaster.FindField("DocSubType_Id");
    TRequestResult kind;
    if (subtype != nullptr &&
        dm().Server().RequestValue(0, "N_SubDocument", "DocumentType",
                                   TFilter().Add("N_SubDocument.Id", "=", subtype->Value()), kind) > 0 &&
        kind.Value().AsInteger() == kDocTypePurchAdvancePayment)
        return FindCatalogueClass("TfEdPostPurchAdvancePayment")->FormNumber;
    return CardFormNumber;
}

TVariantArray TfBrPostedPurchInvoice::GetDocumentInfo() { return {int64_t{1}, int64_t{0}}; }

namespace uBrPostedPurchInvoice {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrPostedPurchInvoice");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrPostedPurchInvoice>(); },
                      entry.Caption, TFormGroup::fgPostedDocuments);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPostedPurchInvoice

}  // namespace tavrek
