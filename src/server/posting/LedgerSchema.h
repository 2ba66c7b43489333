#pragma once

#include <string>

namespace tavrek::server {

// The general ledger, the item ledger and the payments applied to vendor entries, with the
// posting setups that say which account each posting takes, the views the forms read, and
// the texts of the ledger refusals, as one schema step.
const std::string& LedgerSchemaSql();

}  // namespace tavrek::server
