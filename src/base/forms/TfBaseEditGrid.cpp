#include "base/forms/TfBaseEditGrid.h"

namespace tavrek {

TfBaseEditGrid::TfBaseEditGrid() {
    dbgMaster.MultiSelect = true;
    acPrint.Visible = false;
}

}  // namespace tavrek
