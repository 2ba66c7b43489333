#pragma once

#include <string>

namespace tavrek::server {

// The general ledger, the item ledger and the payments applied to vendor entries, with the
// posting setups that say which account each posting takes, the views the forms read, and
// the texts of the ledger refusals, as one schema step.
const std::string& LedgerSchemaSql();

// Most ledger lines name no dimension and most item entries apply to no other entry: their
// indexes keep only the rows that do, so that a posting writes two index entries less a row.
const std::string& SparseLedgerIndexesSql();

}  // namespace tavrek::server
