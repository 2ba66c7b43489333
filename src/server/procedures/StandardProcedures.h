#pragma once

#include "server/TProcedureRegistry.h"
#include "server/TScriptRecognizer.h"

namespace tavrek::server {

// The procedures and table functions of the purchase package: recalculation after a
// save, history before deletion, the goods-check test, the sale price update, the
// default payment method, advances, item search by vendor number, duplicate global lines.
void RegisterStandardProcedures(TProcedureRegistry& registry);
// The plain statements the package sends through ExecuteSQLScript.
void RegisterStandardScripts(TScriptRecognizer& scripts);

}  // namespace tavrek::server
