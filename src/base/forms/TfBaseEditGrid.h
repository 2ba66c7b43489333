#pragma once

#include <string>

#include "base/forms/TfBase.h"

namespace tavrek {

// A worksheet: rows of cdsMaster edited in the grid, inserted and deleted locally, and
// sent to the server by the save action.
class TfBaseEditGrid : public TfBase {
public:
    TfBaseEditGrid();
    std::string ClassName() const override { return "TfBaseEditGrid"; }
};

}  // namespace tavrek
