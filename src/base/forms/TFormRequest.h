#pragma once

#include <set>
#include <string>
#include <vector>

#include "base/data/TFilter.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

class TfBase;

// Show options of a form request: a set of small integers. The first option (0) shows the
// form as a normal child window of the main window.
using TShowOptions = std::set<int>;
constexpr int soNormal = 0;    // modeless child window
constexpr int soModal = 1;     // modal; RequestForm returns 1 when the user confirmed
constexpr int soReadOnly = 2;  // open without editing
constexpr int soInsert = 3;    // open on a new document even without default values
// A selection form of a consolidated document's sources, opened to take chosen sources out
// of that document: it is modal, and the caller reads its lines again when it returns.
constexpr int soRemoveSources = 14;

// A value for a new document: a header field, or a line field. A line entry that does not
// continue the previous line starts a new line.
struct TDefaultValue {
    std::string FieldName;
    Variant Value;
    bool IsLine = false;
    bool ContinuesLine = false;
};
using TDefaultValues = std::vector<TDefaultValue>;

// The selection list: the caller names the fields (Columns); a selection form appends one
// row per chosen record.
using TSelectionList = TRequestResult;

// Everything RequestForm passes to the form it opens, and what comes back.
struct TFormRequest {
    int FormNumber = 0;
    std::string ClassName;  // opens by class when set
    TShowOptions ShowOptions{soNormal};
    TFilter Filter;
    Variant Value1;
    Variant Value2;
    TSelectionList* Selection = nullptr;
    TDefaultValues DefaultValues;
    TfBase* CallingForm = nullptr;
    TfBase* ParentForm = nullptr;
    // Filled by a confirming modal form: the chosen record, for example.
    TVariantArray Result;

    bool Modal() const { return ShowOptions.count(soModal) > 0 || ShowOptions.count(soRemoveSources) > 0; }
};

}  // namespace tavrek
