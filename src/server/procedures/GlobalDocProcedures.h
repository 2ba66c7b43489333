#pragma once

#include "server/TProcedureRegistry.h"

namespace tavrek::server {

// The global documents' recalculation after a save ('3' the invoices' side, '5' the credit
// memos') and the check for source lines another global document has taken.
void RegisterGlobalDocProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
