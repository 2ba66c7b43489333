#include "base/forms/TLookupDefinition.h"

#include <algorithm>

#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/IDialogs.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

constexpr bool kRule = true;

TLookupDefinition Lookup(std::string field, std::string caption, std::string table, std::vector<TLookupCopy> copies,
                         bool perCompany = true) {
    TLookupDefinition lookup;
    lookup.Field = std::move(field);
    lookup.Caption = std::move(caption);
    lookup.MasterTable = std::move(table);
    lookup.PerCompany = perCompany;
    lookup.Copies = std::move(copies);
    return lookup;
}

// A field that stores the master key itself (posting groups, payment terms ...).
TLookupDefinition KeyLookup(const std::string& field, std::string caption, std::string table, bool perCompany = true) {
    return Lookup(field, std::move(caption), std::move(table), {{"Id", field, kRule}}, perCompany);
}

TLookupDefinition LineCode(std::vector<int> types, std::string caption, std::string table,
                           std::vector<TLookupCopy> copies) {
    copies.push_back({"Id", "Code", kRule});
    TLookupDefinition lookup = Lookup("Code", std::move(caption), std::move(table), std::move(copies));
    lookup.LineTypes = std::move(types);
    return lookup;
}

TLookupDefinition SubtypeLookup() {
    TLookupDefinition lookup =
        Lookup("N_SubDocument_Code", "вид документ", "N_SubDocument",
               {{"Code", "N_SubDocument_Code"}, {"Name", "N_SubDocument_Name"}, {"Id", "DocSubType_Id", kRule}});
    lookup.SameAsRecord = "DocumentType";
    return lookup;
}

const std::vector<TLookupColumn> kCodeAndName = {{"Code", "Код", 80}, {"Name", "Наименование", 0}};

const std::vector<std::pair<std::string_view, std::vector<TLookupColumn>>>& ShownColumns() {
    static const std::vector<std::pair<std::string_view, std::vector<TLookupColumn>>> shown = {
        {"N_Contragent",
         {{"Code", "Код", 80},
          {"Name", "Наименование", 0},
          {"Bulstat", "ЕИК", 100},
          {"VATRegistrationNo", "ДДС номер", 120},
          {"City", "Град", 110}}},
        {"N_Item", {{"Code", "Код", 80}, {"Name", "Наименование", 0}, {"LastDirectCost", "Последна цена", 100}}},
        {"G_LAccount", {{"Code", "Сметка", 80}, {"Name", "Наименование", 0}}},
        {"N_Currency", {{"Code", "Валута", 70}, {"Name", "Наименование", 0}}},
        {"N_Measure", {{"Code", "Мярка", 70}, {"Name", "Наименование", 0}}},
        // These are typed by their key, which is their code.
        {"N_Producer", {{"Id", "Код", 80}, {"Name", "Производител", 0}}},
        {"N_ItemProductGroup", {{"Id", "Код", 80}, {"Name", "Продуктова група", 0}}},
    };
    return shown;
}

std::vector<TLookupDefinition> MakeStandardLookups() {
    return {
        Lookup("N_Contragent_Code", "доставчик", "N_Contragent",
               {{"Code", "N_Contragent_Code"},
                {"Name", "N_Contragent_Name"},
                {"Bulstat", "N_Contragent_Bulstat"},
                {"VATRegistrationNo", "N_Contragent_VATRegistrationNo"},
                {"GenBusPostGroup_Id", "GenBusPostGroup_Id"},
                {"VATBusPostGroup_Id", "VATBusPostGroup_Id"},
                {"CntrPostingGroup_Id", "CntrPostingGroup_Id"},
                {"PayTerm_Id", "PayTerm_Id", kRule},
                {"Id", "Contragent_Id", kRule}}),
        SubtypeLookup(),
        KeyLookup("PayTerm_Id", "условие за плащане", "N_PaymentTerms"),
        KeyLookup("PayMethod_Id", "начин на плащане", "N_PaymentMethod"),
        KeyLookup("Currency_Id", "валута", "N_Currency", false),
        KeyLookup("BusinessGroup_Id", "обект", "N_BusinessGroup"),
        KeyLookup("Measure_Id", "мерна единица", "N_Measure", false),
        KeyLookup("VATBusPostGroup_Id", "ДДС група на доставчика", "N_VATBusPostingGroup"),
        KeyLookup("VATProdPostGroup_Id", "ДДС група на артикула", "N_VATProdPostingGroup"),
        KeyLookup("GenBusPostGroup_Id", "счетоводна група на доставчика", "N_GenBusPostingGroup"),
        KeyLookup("GenProdPostGroup_Id", "счетоводна група на артикула", "N_GenProdPostingGroup"),
        LineCode({1, 5}, "артикул", "N_Item",
                 {{"Type", "Type"},
                  {"Name", "Description"},
                  {"PurchMeasure_Id", "Measure_Id"},
                  {"GenProdPostGroup_Id", "GenProdPostGroup_Id"},
                  {"VATProdPostGroup_Id", "VATProdPostGroup_Id", kRule}}),
        LineCode({2}, "сметка", "G_LAccount",
                 {{"Name", "Description"},
                  {"GenProdPostGroup_Id", "GenProdPostGroup_Id"},
                  {"VATProdPostGroup_Id", "VATProdPostGroup_Id", kRule}}),
    };
}

bool ServesType(const TLookupDefinition& lookup, TClientDataSet& record) {
    if (lookup.LineTypes.empty()) return true;
    const TField* type = record.FindField("Type");
    const int64_t value = type == nullptr || type->IsNull() ? 1 : type->AsInteger();
    return std::find(lookup.LineTypes.begin(), lookup.LineTypes.end(), value) != lookup.LineTypes.end();
}

// Unnamed columns come in the order of the column list.
int ColumnOf(const TLookupDefinition& lookup, const TRequestResult& row, const TLookupCopy& copy) {
    return row.Columns.empty() ? static_cast<int>(&copy - lookup.Copies.data()) : row.ColumnIndex(copy.Column);
}

void SetField(TField& field, const Variant& value, bool runsRule) {
    if (!runsRule) {
        auto handler = std::move(field.OnChange);
        field.OnChange = nullptr;
        try {
            field.SetValue(value);
        } catch (...) {
            field.OnChange = std::move(handler);
            throw;
        }
        field.OnChange = std::move(handler);
        return;
    }
    field.SetValue(value);
}

// A typed code takes every column and runs the rules; a record filled by keys only gets the
// values it lacks, without rules.
enum class TCopyMode { Entered, FillEmpty };

void CopyColumns(TClientDataSet& record, const TLookupDefinition& lookup, const TRequestResult& row, TCopyMode mode) {
    if (record.State() == TDataSetState::dsBrowse) record.Edit();
    const bool fillEmpty = mode == TCopyMode::FillEmpty;
    for (const TLookupCopy& copy : lookup.Copies) {
        TField* field = record.FindField(copy.Field);
        const int column = ColumnOf(lookup, row, copy);
        if (field == nullptr || column < 0 || (fillEmpty && !field->Value().IsEmpty())) continue;
        SetField(*field, row.Value(0, static_cast<size_t>(column)), copy.RunsRule && !fillEmpty);
    }
}

}  // namespace

const std::vector<TLookupColumn>& ShownColumnsOf(std::string_view masterTable) {
    for (const auto& [table, columns] : ShownColumns())
        if (EqualsIgnoreCase(table, masterTable)) return columns;
    return kCodeAndName;
}

std::string TLookupDefinition::ColumnList() const {
    std::string columns;
    for (const TLookupCopy& copy : Copies) columns += (columns.empty() ? "" : ",") + copy.Column;
    return columns;
}

TFilter TLookupDefinition::FilterBy(const std::string& column, const Variant& value) const {
    TFilter filter;
    filter.Add(MasterTable + "." + column, "=", value, PerCompany ? "AND" : "");
    if (PerCompany) filter.Add(MasterTable + ".Comp_Id", "=", Variant(LocalData().CompanyId));
    return filter;
}

const std::vector<TLookupDefinition>& StandardLookups() {
    static const std::vector<TLookupDefinition> lookups = MakeStandardLookups();
    return lookups;
}

const TLookupDefinition* FindLookup(TClientDataSet& record, std::string_view field) {
    if (record.FindField(field) == nullptr) return nullptr;
    for (const TLookupDefinition& lookup : StandardLookups())
        if (EqualsIgnoreCase(lookup.Field, field) && ServesType(lookup, record)) return &lookup;
    return nullptr;
}

bool FindLookupRow(const TLookupDefinition& lookup, const std::string& typed, TRequestResult& row) {
    IAppServer& server = dm().Server();
    for (const std::string* column : {&lookup.CodeColumn, &lookup.KeyColumn})
        if (server.RequestValue(0, lookup.MasterTable, lookup.ColumnList(), lookup.FilterBy(*column, typed), row) > 0)
            return true;
    return false;
}

void CopyLookupRow(TClientDataSet& record, const TLookupDefinition& lookup, const TRequestResult& row) {
    CopyColumns(record, lookup, row, TCopyMode::Entered);
}

void ShowLookupNames(TClientDataSet& record) {
    for (const TLookupDefinition& lookup : StandardLookups()) {
        const TLookupCopy& key = lookup.Copies.back();
        TField* code = record.FindField(lookup.Field);
        TField* keyField = record.FindField(key.Field);
        if (code == nullptr || keyField == nullptr || code == keyField || !ServesType(lookup, record)) continue;
        if (keyField->Value().IsEmpty() || !code->Value().IsEmpty()) continue;
        TRequestResult row;
        if (dm().Server().RequestValue(0, lookup.MasterTable, lookup.ColumnList(), lookup.FilterBy(key.Column, keyField->Value()),
                                       row) == 0)
            continue;
        CopyColumns(record, lookup, row, TCopyMode::FillEmpty);
    }
}

bool EnterLookupCode(TClientDataSet& record, const TLookupDefinition& lookup, const std::string& typed) {
    const std::string code = Trim(typed);
    TRequestResult row;
    if (code.empty() || !FindLookupRow(lookup, code, row)) {
        const std::string text = GetMessageText("err_LookupCodeNotFound", "Няма %s с код \"%s\".");
        MessageDlgEx(FormatMessage(text, {lookup.Caption, code}), TMsgDlgType::mtError, mbOK);
        return false;
    }
    CopyLookupRow(record, lookup, row);
    return true;
}

std::optional<TFilterCondition> RecordNarrowing(const TLookupDefinition& lookup, TClientDataSet& record) {
    const TField* same = lookup.SameAsRecord.empty() ? nullptr : record.FindField(lookup.SameAsRecord);
    if (same == nullptr || same->IsNull()) return std::nullopt;
    return TFilterCondition{lookup.MasterTable + "." + lookup.SameAsRecord, TFilterOp::opEqual, same->Value()};
}

bool SelectLookupRow(const TLookupDefinition& lookup, TClientDataSet& record, const std::string& typed,
                     TRequestResult& chosen) {
    std::vector<TFilterCondition> conditions;
    const std::string code = Trim(typed);
    if (!code.empty())
        conditions.push_back({lookup.MasterTable + "." + lookup.CodeColumn, TFilterOp::opLike, Variant("%" + code + "%")});
    if (lookup.PerCompany)
        conditions.push_back({lookup.MasterTable + ".Comp_Id", TFilterOp::opEqual, Variant(LocalData().CompanyId)});
    if (auto narrowing = RecordNarrowing(lookup, record)) conditions.push_back(std::move(*narrowing));
    const TFilter filter = TFilter::Chained(std::move(conditions), TFilterConnector::fcAnd);
    return dm().Dialogs().Select(lookup.MasterTable, filter, false, chosen) && !chosen.Empty();
}

}  // namespace tavrek
