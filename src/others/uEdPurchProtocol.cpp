#include "others/uEdPurchProtocol.h"

#include "base/forms/EAbort.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "others/uOthersPackage.h"

namespace tavrek {
namespace {

// The kinds of the headers of a protocol and of a credit memo protocol.
constexpr int kDocTypeProtocol = 40;
constexpr int kDocTypeCrMemoProtocol = 41;

}  // namespace

TfEdPurchProtocol::TfEdPurchProtocol() {
    MasterProvider = "D_GlobalPurchHeader";
    MasterTable = "D_GlobalPurchHeader";
    DetailProvider = "D_GlobalPurchLine";
    acPostDocument.Visible = true;
    acPostDocument.Caption = "Осчетоводяване";
    Description.AddFields({
        {"DocumentDate", "Дата на протокола", TFieldKind::fkDate, ""},
        {"PostingDate", "Дата на осчетоводяване", TFieldKind::fkDate, ""},
        {"Comment", "Коментар", TFieldKind::fkText, ""},
    });
    Description.AddReadOnlyFields({
        {"DocumentNo", "Номер", TFieldKind::fkText, ""},
        {"N_Contragent_Code", "Код на доставчика", TFieldKind::fkText, ""},
        {"N_Contragent_Name", "Доставчик", TFieldKind::fkText, ""},
        {"VendorInvoiceNo", "Документ на доставчика", TFieldKind::fkText, ""},
        {"InvoiceDate", "Дата на документа", TFieldKind::fkDate, ""},
        {"TotalValue", "Данъчна основа", TFieldKind::fkNumber, ""},
        {"VATValue", "ДДС", TFieldKind::fkNumber, ""},
        {"TotalVAT", "Общо", TFieldKind::fkNumber, ""},
    });
    for (const char* amount : {"TotalValue", "VATValue", "TotalVAT"}) Description.FindField(amount)->DisplayFormat = "0.00";
    dbgDetail.AddColumns({{"Line_No", "Ред"},
                          {"Code", "Код"},
                          {"Description", "Описание", 240, ""},
                          {"Quantity", "Количество"},
                          {"VATPercent", "ДДС %"},
                          {"TotalValue", "Данъчна основа"},
                          {"VATValue", "ДДС"},
                          {"TotalVAT", "Общо"}});
    dbgDetail.ReadOnly = true;
}

// The caller's condition on the posted header's Id is a condition on the open protocol's.
TFilter TfEdPurchProtocol::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.Master != nullptr || Filter.Empty()) return TfBaseEditMasterDetail::DataSetFilter(dataSet);
    TFilter own;
    for (TFilterCondition condition : Filter.Conditions()) {
        condition.Field = MasterTable + "." + std::string(condition.FieldName());
        own.Add(std::move(condition));
    }
    return own;
}

void TfEdPurchProtocol::PostDocument(bool print) {
    if (!cdsMaster.Active() || cdsMaster.IsEmpty()) return;
    if (HasChanges() && !SaveData()) throw EAbort();
    TfBaseEditMasterDetail::PostDocument(print);
    TWaitCursor wait;
    const Variant id = cdsMaster.FieldByName("Id").Value();
    const int kind = CrMemo == 0 ? kDocTypeProtocol : kDocTypeCrMemoProtocol;
    TVariantArray keys;
    if (dm().Server().PostPurchProtocol(id.AsString(), CrMemo, keys) < 0) {
        TellDocumentRefused(TDocumentDeed::ddPosted, kind, ShownDocumentNo());
        throw EAbort();
    }
    // The open protocol became a posted one: the editor is left on an empty document.
    Filter = KeyFilter(id);
    ReloadData();
    TellDocumentDone(TDocumentDeed::ddPosted, kind, keys.size() > 1 ? keys[1].AsString() : "");
}

namespace uEdPurchProtocol {
namespace {
int32_t initializationCounter = 0;
}  // namespace

void Initialization() {
    if (initializationCounter-- != 0) return;
    RegisterOtherPackageForm("TfEdPurchProtocol", [] { return std::make_unique<TfEdPurchProtocol>(); });
}

void Finalization() { ++initializationCounter; }

}  // namespace uEdPurchProtocol
}  // namespace tavrek
