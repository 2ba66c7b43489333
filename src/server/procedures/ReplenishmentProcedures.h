#pragma once

#include "server/TProcedureRegistry.h"
#include "server/TScriptRecognizer.h"

namespace tavrek::server {

// The suggestion runs of the replenishment worksheets and what turns their rows into
// purchase orders, for the session's company and user.
void RegisterReplenishmentProcedures(TProcedureRegistry& registry);
void RegisterReplenishmentScripts(TScriptRecognizer& scripts);

}  // namespace tavrek::server
