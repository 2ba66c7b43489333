#include "others/uOthersCard.h"

#include "base/server/IAppServer.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "base/util/Text.h"
#include "others/uOthersBrowse.h"

namespace tavrek {

TfOthersCard::TfOthersCard(std::string table) : table_(std::move(table)) {
    MasterProvider = table_;
    MasterTable = table_;
}

void TfOthersCard::FormCreate() {
    TfBaseEditMaster::FormCreate();
    Filter = uOthersBrowse::KeysFromCodes(Filter, {{"Id", table_.c_str()}});
}

void TfOthersCard::AddKeyLookup(const std::string& field, const std::string& caption, const std::string& table,
                                const std::string& codeColumn, bool perCompany) {
    TLookupDefinition lookup;
    lookup.Field = field;
    lookup.Caption = caption;
    lookup.MasterTable = table;
    lookup.CodeColumn = codeColumn;
    lookup.PerCompany = perCompany;
    lookup.Copies = {{"Id", field, true}};
    lookups_.push_back(std::move(lookup));
    Description.FindField(field)->Kind = TFieldKind::fkLookup;
}

const TLookupDefinition* TfOthersCard::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    if (&dataSet == &cdsMaster)
        for (const TLookupDefinition& lookup : lookups_)
            if (EqualsIgnoreCase(lookup.Field, field)) return &lookup;
    return TfBaseEditMaster::LookupOf(dataSet, field);
}

void TfOthersCard::CheckRecord() {
    const std::string code = Trim(cdsMaster.FieldByName("Code").AsString());
    if (code.empty()) AbortWithError("err_CardCodeRequired", "Въведете код.");
    if (Trim(cdsMaster.FieldByName("Name").AsString()).empty())
        AbortWithError("err_CardNameRequired", "Въведете наименование.");
    TRequestResult other;
    const TFilter sameCode = TFilter()
                                 .Add(table_ + ".Comp_Id", "=", LocalData().CompanyId, "AND")
                                 .Add(table_ + ".Code", "=", code, "AND")
                                 .Add(table_ + ".Id", "<>", cdsMaster.FieldByName("Id").Value());
    if (dm().Server().RequestValue(0, table_, "Id", sameCode, other) > 0)
        AbortWithError("err_CardCodeExists", "Вече има запис с този код.");
}

void TfOthersCard::acSaveExecute() {
    if (HasChanges()) CheckRecord();
    TfBaseEditMaster::acSaveExecute();
}

}  // namespace tavrek
