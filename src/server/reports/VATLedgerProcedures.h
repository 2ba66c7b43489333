#pragma once

#include "server/TProcedureRegistry.h"

namespace tavrek::server {

// What the VAT purchase ledger of a tax period reads: the company that files, and each
// posted document with VAT entries of the period, its columns summed set-based.
void RegisterVATLedgerProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
