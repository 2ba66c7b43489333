#pragma once

#include <functional>

#include "base/forms/TfBase.h"

namespace tavrek::desktop::testing {

// A small document form with every part the host shows: header edits of each kind on two
// pages, a line grid with a footer, actions, a line popup menu, a side panel refreshed by
// a timer, and an action that walks the lines. Its rules are the form's, as in a real one.
class THostTestForm : public TfBase {
public:
    THostTestForm();
    std::string ClassName() const override { return "THostTestForm"; }

    TClientDataSet cdsLines{"cdsLines"};
    TGrid dbgLines{"dbgLines", "cdsLines"};
    TTimer tmrPanel{"tmrPanel", 200};
    TAction& acClearLines;
    TAction& acWalkLines;
    bool OwnItemClicked = false;
    // Called for each line while acWalkLines walks them.
    std::function<void()> OnWalkStep;

    void FormShow() override;

private:
    void BuildDataSets();
};

}  // namespace tavrek::desktop::testing
