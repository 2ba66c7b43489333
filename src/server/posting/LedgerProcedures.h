#pragma once

namespace tavrek::server {

class TProcedureRegistry;

// Procedures over the item ledger: "usp_RestorItemEntryUsedQuantity".
void RegisterLedgerProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
