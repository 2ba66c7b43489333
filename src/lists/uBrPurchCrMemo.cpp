#include "lists/uBrPurchCrMemo.h"

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "documents/uCrMemoSetOff.h"

namespace tavrek {
namespace {

constexpr int64_t kPurchCrMemo = 11;
constexpr int64_t kGeneralCrMemo = 32;

}  // namespace

TfBrPurchCrMemo::TfBrPurchCrMemo() {
    CardFormNumber = FindCatalogueClass("TfEdPurchCrMemo")->FormNumber;
    HistoryDocumentKind = 8;
    PostedPrintForm = kPostedCrMemoPrintForm;
    DocumentKindCode = static_cast<int>(kPurchCrMemo);
    // A credit memo is known by the vendor's credit memo number, not by an invoice's.
    if (TGridColumn* vendorNo = dbgMaster.FindColumn("VendorInvoiceNo")) {
        vendorNo->FieldName = "VendorCreditMemoNo";
        vendorNo->Caption = "Кредитно известие на доставчика";
    }
    for (std::string& field : SearchFields)
        if (field == MasterTable + ".VendorInvoiceNo") field = MasterTable + ".VendorCreditMemoNo";
}

void TfBrPurchCrMemo::FormCreate() {
    TfBaseBrowseCardDocument::FormCreate();
    ShowDocumentTypes("Кредитни известия за покупка", kPurchCrMemo, kGeneralCrMemo);
}

int TfBrPurchCrMemo::CurrentCardFormNumber() {
    const TField* type = cdsMaster.FindField("DocumentType");
    if (type != nullptr && type->AsInteger() == kGeneralCrMemo) return FindCatalogueClass("TfEdPurchCrMemoDoc")->FormNumber;
    return CardFormNumber;
}

// The option dialog comes once per opened list; a set-off first offered after it is asked alone.
int TfBrPurchCrMemo::ConnectCrMemoWithSale() {
    TCrMemoSetOff setOff(cdsMaster);
    bool apply = true;
    if (crMemoOption_ == kNotAsked) {
        crMemoOption_ = setOff.Ask(apply);
        if (crMemoOption_ == -1) return -1;
        if (setOff.Offered()) setOff_ = apply;
    } else if (setOff.Offered() && !setOff_) {
        setOff_ = setOff.AskSetOff();
    }
    if (setOff.Offered() && setOff.Apply(*setOff_) && !SaveData()) return -1;
    return crMemoOption_;
}

// Cancelling the option dialog posts nothing, and asks again next time.
bool TfBrPurchCrMemo::BeforePostDocument(bool) {
    if (ConnectCrMemoWithSale() != -1) return true;
    crMemoOption_ = kNotAsked;
    return false;
}

int TfBrPurchCrMemo::PostOnServer(const std::string& id, TVariantArray& keys) {
    return dm().Server().PostPurchCrMemo(id, keys, crMemoOption_);
}

namespace uBrPurchCrMemo {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    const TFormCatalogueEntry& entry = *FindCatalogueClass("TfBrPurchCrMemo");
    RegisterFormClass(entry.ClassName, entry.FormNumber, [] { return std::make_unique<TfBrPurchCrMemo>(); }, entry.Caption,
                      TFormGroup::fgLists);
}

void Finalization() { ++initializationCounter; }

}  // namespace uBrPurchCrMemo

}  // namespace tavrek
