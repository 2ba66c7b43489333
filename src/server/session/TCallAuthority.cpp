#include "server/session/TCallAuthority.h"

#include <algorithm>
#include <utility>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormCatalogue.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr std::pair<int, int> kDocumentForms[] = {
    {DocumentType::PurchInvoice, 10011},        {DocumentType::GlobalInvoice, 10821},
    {DocumentType::PostedPurchInvoice, 10220},  {DocumentType::PostedGlobalInvoice, 10822},
    {DocumentType::PurchCrMemo, 10181},         {DocumentType::PurchDebitMemo, 10170},
    {DocumentType::PostedPurchCrMemo, 10190},   {DocumentType::GlobalCrMemo, 10851},
    {DocumentType::PostedGlobalCrMemo, 10852},  {DocumentType::PurchOffer, 10301},
    {DocumentType::PurchOrder, 10201},          {DocumentType::PurchOrderBuffer, 10501},
    {DocumentType::PostedPurchOrder, 10530},    {DocumentType::PostedPurchReturnOrder, 10540},
    {DocumentType::PostedReceipt, 10050},       {DocumentType::PostedPurchRejectOrder, 10520},
    {DocumentType::PurchAdvancePayment, 10130}, {DocumentType::PurchGenericDoc, 10160},
    {DocumentType::PurchGenericCrMemoDoc, 10183}, {DocumentType::PurchProtocol, 11001},
    {DocumentType::PurchCrMemoProtocol, 11441},
};

// Procedures that write documents or books, by the right they need on some form.
constexpr std::pair<const char*, TFormRight> kProcedureRights[] = {
    {"usp_ConvertPurchOffer", TFormRight::frInsert},
    {"usp_CreatePurchaseProtocol", TFormRight::frInsert},
    {"usp_CreatePurchaseProtocolFromPurch", TFormRight::frInsert},
    {"usp_CreatePurchaseProtocolFromPurchOrderBuf", TFormRight::frInsert},
    {"usp_CreatePurchaseCrMemoProtocol", TFormRight::frInsert},
    {"usp_PostVendorPayment", TFormRight::frPost},
    {"usp_AnnulVendorPayment", TFormRight::frAnnul},
    {"usp_RestorItemEntryUsedQuantity", TFormRight::frEditProps},
    {"usp_SaveHistoryBeforeDelete", TFormRight::frDelete},
    {"usp_SaveItemFromAPI", TFormRight::frEdit},
    {"usp_UPDATE_N_Item_UnitPrice", TFormRight::frEdit},
    {"usp_RecalcPurchDocument", TFormRight::frEdit},
    {"usp_RecalcGlobalDocument", TFormRight::frEdit},
    {"usp_SendDocumentForCheck", TFormRight::frEdit},
    {"usp_ApprovePurchOrder", TFormRight::frApprove},
};

std::string FormText(int form) {
    if (form == 0) return "никоя форма";
    const TFormCatalogueEntry* entry = FindCatalogueNumber(form);
    return "форма " + std::to_string(form) + (entry == nullptr ? "" : " „" + std::string(entry->Caption) + "“");
}

std::string WithoutOwner(const std::string& name) {
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(dot + 1);
}

int FieldIndex(TClientDataSet& dataSet, const char* name) {
    for (int i = 0; i < dataSet.FieldCount(); ++i)
        if (EqualsIgnoreCase(dataSet.Fields(i).FieldName(), name)) return i;
    return -1;
}

TFormRight RightOfChange(TUpdateStatus status) {
    if (status == TUpdateStatus::usInserted) return TFormRight::frInsert;
    return status == TUpdateStatus::usDeleted ? TFormRight::frDelete : TFormRight::frEdit;
}

}  // namespace

int FormOfDocumentType(int documentType) {
    for (const auto& [type, form] : kDocumentForms)
        if (type == documentType) return form;
    return 0;
}

bool TCallAuthority::Refuse(const char* key, const std::string& arg) {
    ctx_.RefusalKey = key;
    ctx_.RefusalArg = arg;
    return false;
}

bool TCallAuthority::MayOnForm(int form, TFormRight right) {
    const TUserRights& rights = ctx_.Session.Rights;
    if (form == 0 ? rights.AllowsAnywhere(right) : rights.Allows(form, right)) return true;
    return Refuse(kRightNotGrantedKey, "„" + std::string(RightCaption(right)) + "“ във " + FormText(form));
}

bool TCallAuthority::MayOnDocument(const std::string& id, TFormRight right) {
    for (const TDocumentTables& tables : DocumentTables()) {
        const TRequestResult found = SelectRows(
            ctx_.Db, "SELECT Comp_Id, DocumentType FROM " + std::string(tables.Header) + " WHERE Id = ?", {id});
        if (found.Empty()) continue;
        if (found.Value(0, 0).AsString() != ctx_.Session.CompanyId) return Refuse(kOtherCompanyKey);
        const Variant& type = found.Value(0, 1);
        return MayOnForm(type.IsNull() ? 0 : FormOfDocumentType(static_cast<int>(type.AsInteger())), right);
    }
    return MayOnForm(0, right);
}

std::vector<std::string> TCallAuthority::OtherCompanies(TDbSession& db, const std::string& companyId) {
    std::vector<std::string> others;
    for (const TVariantArray& row : SelectRows(db, "SELECT Id FROM C_CompanySetup WHERE Id <> ?", {companyId}).Rows)
        others.push_back(row[0].AsString());
    return others;
}

bool TCallAuthority::NamesOtherCompany(const Variant& value) const {
    if (value.Type() != TVarType::varString) return false;
    const std::string text = Unquoted(value).AsString();
    return std::find(ctx_.Session.OtherCompanies.begin(), ctx_.Session.OtherCompanies.end(), text) !=
           ctx_.Session.OtherCompanies.end();
}

bool TCallAuthority::MayFilter(const TFilter& filter) {
    for (const TFilterCondition& condition : filter.Conditions())
        if (NamesOtherCompany(condition.Value)) return Refuse(kOtherCompanyKey);
    return true;
}

bool TCallAuthority::MayCall(const std::string& name, const TVariantArray& args) {
    for (const Variant& arg : args)
        if (NamesOtherCompany(arg)) return Refuse(kOtherCompanyKey);
    const std::string bare = WithoutOwner(name);
    for (const auto& [procedure, right] : kProcedureRights)
        if (EqualsIgnoreCase(bare, procedure)) return MayOnForm(0, right);
    return true;
}

bool TCallAuthority::MayApply(const std::vector<TUpdatePacket>& packets) {
    for (const TUpdatePacket& packet : packets) {
        const TDataProvider provider = ctx_.Catalog.Provider(packet.Provider);
        const bool setup = ToLowerAscii(provider.Table->Name).rfind("c_", 0) == 0;
        const bool line = provider.Table->Parent != nullptr;
        const int kind = FieldIndex(*packet.DataSet, "DocumentType");
        const int company = FieldIndex(*packet.DataSet, "Comp_Id");
        for (const TDeltaRecord& record : packet.DataSet->Delta()) {
            if (company >= 0 && NamesOtherCompany((*record.Values)[static_cast<size_t>(company)]))
                return Refuse(kOtherCompanyKey);
            int form = 0;
            if (kind >= 0 && !(*record.Values)[static_cast<size_t>(kind)].IsNull())
                form = FormOfDocumentType(static_cast<int>((*record.Values)[static_cast<size_t>(kind)].AsInteger()));
            const TFormRight right =
                setup ? TFormRight::frSetup : (line ? TFormRight::frEdit : RightOfChange(record.Status));
            if (!MayOnForm(form, right)) return false;
        }
    }
    return true;
}

}  // namespace tavrek::server
