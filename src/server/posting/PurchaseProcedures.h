#pragma once

namespace tavrek::server {

class TProcedureRegistry;

// The procedures the purchase invoice editor calls by name around posting: the item of a
// vendor's line, the VAT protocol of an invoice, the checks before posting and the hand-over
// to the goods check.
void RegisterPurchaseProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
