#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/data/TFilter.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// One master column copied into the record when a master row is taken. RunsRule: the copy
// goes through the field's change handler (the package rules bound to it); otherwise the
// value is written without it, as part of the record the key then brings.
struct TLookupCopy {
    std::string Column;
    std::string Field;
    bool RunsRule = false;
};

// A master column as the selector shows it: its Bulgarian caption and width in pixels (0: the
// column stretches over the room the others leave).
struct TLookupColumn {
    std::string Column;
    std::string Caption;
    int Width = 0;
};

// The columns a person reads when choosing a row of a master table, the code first; the
// rows are listed by code.
const std::vector<TLookupColumn>& ShownColumnsOf(std::string_view masterTable);

// A field that refers to master data: the table, the code a person types into the field,
// and the fields copied into the record when a row is chosen (the key last, so that the
// rules bound to it see the record complete).
struct TLookupDefinition {
    std::string Field;                 // the field the code is typed into
    std::string Caption;               // what is looked up, as a person calls it ("доставчик")
    std::string MasterTable;
    std::string CodeColumn = "Code";   // what a person types
    std::string KeyColumn = "Id";      // what the record stores
    bool PerCompany = true;            // the table has a Comp_Id of the session's company
    std::vector<int> LineTypes;        // a line's Code: the line Types it serves (empty: every record)
    std::vector<TLookupCopy> Copies;
    // A master column the record's field of the same name narrows the rows to (a subtype
    // serves the documents of its DocumentType); empty when every row serves.
    std::string SameAsRecord;

    const std::vector<TLookupColumn>& Shown() const { return ShownColumnsOf(MasterTable); }

    std::string ColumnList() const;
    // The rows of the master table whose column equals value (the company's rows).
    TFilter FilterBy(const std::string& column, const Variant& value) const;
};

// The lookups of the master data that purchase documents refer to.
const std::vector<TLookupDefinition>& StandardLookups();

// The lookup of a field of the record: the line Type chooses among the lookups of Code (a
// line without a Type is taken as an item line). Null when the field refers to nothing.
const TLookupDefinition* FindLookup(TClientDataSet& record, std::string_view field);

// The master row of a typed code: matched on the code column, else on the key. False when
// there is none.
bool FindLookupRow(const TLookupDefinition& lookup, const std::string& typed, TRequestResult& row);

// Copies the first row's columns into the current record (put into edit mode first).
void CopyLookupRow(TClientDataSet& record, const TLookupDefinition& lookup, const TRequestResult& row);

// A record filled by keys (a copied document) shows the codes and names of the master rows
// its keys refer to; values the record has already are kept and no rule runs.
void ShowLookupNames(TClientDataSet& record);

// Takes the master row of a typed code into the record. An unknown code is refused with
// "err_LookupCodeNotFound" and the record keeps every value it had; returns false then.
bool EnterLookupCode(TClientDataSet& record, const TLookupDefinition& lookup, const std::string& typed);

// The condition that keeps the master rows serving the record (SameAsRecord); none when the
// lookup serves every record or the record's field is still empty.
std::optional<TFilterCondition> RecordNarrowing(const TLookupDefinition& lookup, TClientDataSet& record);

// Lets the user choose a master row among those whose code contains the typed text (all
// rows when nothing is typed) and that serve the record. False when nothing was chosen.
bool SelectLookupRow(const TLookupDefinition& lookup, TClientDataSet& record, const std::string& typed,
                     TRequestResult& chosen);

}  // namespace tavrek
