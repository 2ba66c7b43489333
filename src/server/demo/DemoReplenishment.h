#pragma once

#include "server/db/TDbSession.h"

namespace tavrek::server {

// What the replenishment worksheets find in the demo company on first start: the pantry and
// household items with a minimum stock they are below, the least orders and lead days of their
// vendors, and a few open sale orders of both stores. The year of sales comes with the demo
// documents (AddDemoSalesHistory), so the stock ledger the posting tests start from stays bare.
void WriteDemoReplenishment(TDbSession& db);

}  // namespace tavrek::server
