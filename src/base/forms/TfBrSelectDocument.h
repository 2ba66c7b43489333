#pragma once

#include <string>

#include "base/forms/TfBase.h"

namespace tavrek {

// A selection list: the user picks rows and confirms; the chosen rows go into the caller's
// selection list (one row per record, the caller's field names as columns) and the caller
// takes them in ProcessSelectedRecords.
class TfBrSelectDocument : public TfBase {
public:
    TfBrSelectDocument();
    std::string ClassName() const override { return "TfBrSelectDocument"; }

    TAction& acSelect;
    // Puts the current row into edit mode so that a quantity can be typed (rows with an Id).
    TAction& acEditRecord;

    // The rows chosen so far (the caller's list when it gave one).
    TSelectionList& SelectionList();
    // Takes the grid's selected rows, or the current row.
    virtual void acSelectExecute();

protected:
    // Adds the current record of cdsMaster to the selection list.
    void AddSelectedRecord();
    // Hands the selection to the caller and closes with mrOk.
    void HandSelectionToCaller();

private:
    TSelectionList ownSelection_;
};

}  // namespace tavrek
