#pragma once

#include "server/TProcedureRegistry.h"

namespace tavrek::server {

// Approving a purchase order above the purchases setup's amount, and asking whether one waits.
void RegisterOrderApprovalProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
