#pragma once

#include "server/TProcedureRegistry.h"

namespace tavrek::server {

// What an import document of a vendor's delivery asks of the server, for the session's company
// and user: attaching its lines to the vendor's open order lines, distributing them by hand to
// order lines, sale order lines and business groups, taking a distribution back, and turning
// the distribution into order buffers. Each does all of its work or, refused, none of it.
void RegisterOrderImportProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
