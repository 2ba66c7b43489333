#pragma once

#include <string>
#include <vector>

#include "base/server/TRequestResult.h"

namespace tavrek::server {

// A row the demo company is created with.
struct TDemoRow {
    std::string Table;
    std::string Columns;
    TVariantArray Values;
};

// What posting needs in the demo company: the chart of accounts in the national form, the
// general and inventory posting setups, an open advance paid to a vendor (an analytical
// dimension with its opening transaction).
std::vector<TDemoRow> DemoLedgerRows();

}  // namespace tavrek::server
