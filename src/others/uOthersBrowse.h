#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/forms/TfBase.h"

namespace tavrek {

// A column of a browse form or a selector: the row field, its caption and width; a Total
// column shows its sum under the grid.
struct TBrowseColumn {
    const char* Field;
    const char* Caption;
    int Width = 90;
    bool Total = false;
    const char* Format = "";
};

// A field that holds the key of master rows, where callers may pass the master's code
// instead (a purchase line names its item by code).
struct TCodeKey {
    const char* Field;
    const char* MasterTable;
};

// A default value a caller passes in place of a filter, and the condition on the rows it
// becomes.
struct TDefaultCondition {
    const char* Name;  // the default value's field name, compared without regard to case
    const char* Field;
    const char* Op;
};

// What one form or selector of another package lists, read-only: the server view or
// table its rows come from, the columns, what the search looks in, the conditions it always
// keeps, and the card that opens on a row.
struct TBrowseDescription {
    const char* ClassName;  // the catalogued class of the form, null for a selector only
    const char* Selector;   // the selector name callers use, null for a form only
    const char* Source;
    std::vector<TBrowseColumn> Columns;
    std::vector<const char*> SearchFields = {};
    const char* FixedFilter = "";  // the text form of TFilter::Parse over the source's fields
    std::vector<TDefaultCondition> DefaultConditions = {};
    int CardFormNumber = 0;
    const char* CardKeyField = "";  // the qualified key of the card's filter
    const char* RowKeyField = "Id";
    std::vector<TCodeKey> CodeKeys = {};
    // Lines of consolidated documents copied from the listed rows (by SrcLine_Id): opened in
    // removal mode, the form deletes those of the caller's document ("Id") that came from
    // the chosen rows' documents.
    const char* SourceOf = nullptr;
};

namespace uOthersBrowse {

// The caller's filter over the description's source. Callers qualify fields by the tables
// behind the view ("D_PurchInvoiceHeader.Annul"); the view has those fields under their
// own names, so only the qualifier changes. The fixed conditions are AND-ed to it.
TFilter SourceFilter(const TBrowseDescription& description, const TFilter& filter);
// Each non-empty filter grouped, the groups joined by AND, so that an OR of one filter
// does not reach into the other.
TFilter AndJoined(const TFilter& first, const TFilter& second);
// The filter with every "=" condition on a code key holding the key of the master row whose
// code it named; values that name no code stay as they were.
TFilter KeysFromCodes(const TFilter& filter, const std::vector<TCodeKey>& codeKeys);
// Opens rows on what the description lists under the filter, with captions on the listed
// columns and the others hidden.
void LoadRows(const TBrowseDescription& description, const TFilter& filter, TClientDataSet& rows);

}  // namespace uOthersBrowse

// A read-only list of another package over its description: the caller's filter or default
// values, a search text over the search fields, totals under the grid, and the card of the
// current row (Enter or a double click). Opened modally it hands back the chosen row, its
// values in the order of the description's columns.
class TfOthersBrowse : public TfBase {
public:
    explicit TfOthersBrowse(const TBrowseDescription& description);
    std::string ClassName() const override { return description_.ClassName; }

    TAction& acEditRecord;
    TAction& acSelectRecord;
    TAction& acRemoveSources;
    // SearchText: what the user narrows the rows by.
    TClientDataSet cdsFilter{"cdsFilter"};

    void FormCreate() override;
    bool CheckDataModification() override;
    void acEditRecordExecute();
    void acSelectRecordExecute();
    void acRemoveSourcesExecute();

    const TBrowseDescription& BrowseDescription() const { return description_; }

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    void DataSetOpened(TFormDataSet& dataSet) override;

private:
    TFilter DefaultsFilter() const;
    TFilter SearchFilter();
    bool RemovalMode() const { return ShowOptions.count(soRemoveSources) > 0; }
    // The source lines of the documents of the chosen rows (or of the current row).
    std::set<std::string> ChosenDocumentsLines();

    const TBrowseDescription& description_;
};

}  // namespace tavrek
