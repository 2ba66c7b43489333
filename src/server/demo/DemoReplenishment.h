#pragma once

#include "server/db/TDbSession.h"

namespace tavrek::server {

// What the replenishment worksheets find in the demo company on first start: the pantry and
// household items with a minimum stock they are below, the least orders and lead days of their
// vendors, and a few open sale orders of both stores. The demo keeps no sales history: its
// stock ledger is the one the posting tests start from.
void WriteDemoReplenishment(TDbSession& db);

}  // namespace tavrek::server
