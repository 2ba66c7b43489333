#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/data/TFilter.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// Where a selector's rows come from: a package may provide selectors of its own (another
// package's selection forms, known by number); any other selector is the server's data
// provider of that name. A provided selector describes its columns (DisplayLabel, Visible).
using TSelectorRows = std::function<void(const TFilter& filter, TClientDataSet& rows)>;
// False when the selector was provided before (the first stays).
bool RegisterSelectorRows(const std::string& selector, TSelectorRows rows);
void UnregisterSelectorRows(const std::string& selector);
// Opens rows on what the selector lists under the filter.
void LoadSelectorRows(const std::string& selector, const TFilter& filter, TClientDataSet& rows);

// Selectors over IDialogs::Select. Field lists are comma separated; the n-th selector
// field goes to the n-th target. Every function returns false when the user chose nothing
// and then changes nothing.

// Copies the chosen record's fields into the current record of target, putting it into
// edit mode first (the record stays in edit mode, as when the user typed the values).
bool GetSelector(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                 const std::string& targetFields, TClientDataSet& target);

// Copies the first chosen row's selector fields into the target fields of the current
// record of target, putting it into edit mode first.
void CopySelectedRecord(const TRequestResult& chosen, const std::string& selectorFields,
                        const std::string& targetFields, TClientDataSet& target);

// Lets the user choose several records; rows come back with the target field names as
// columns, ready for ProcessSelectedRecords.
bool GetSelectorRows(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                     const std::string& targetFields, TRequestResult& rows);

// Copies the chosen record's fields, as text, into the control texts in the order of
// selectorFields. Each "%s" in a text value of the filter becomes the "%" wildcard, so a
// filter built around the typed text finds every code containing it.
bool GetControlSelector(const std::string& selector, const TFilter& filter, const std::string& selectorFields,
                        const std::vector<std::string*>& controls);

}  // namespace tavrek
