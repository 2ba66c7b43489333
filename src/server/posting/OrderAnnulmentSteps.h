#pragma once

#include <cstdint>
#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// Why a posted receipt, return or rejection order (in table) cannot be annulled, or nullptr.
// A receipt posted with its invoice (no entries of its own) goes only with that invoice; a
// receipt whose goods a later return took goes only after that return, named in
// ctx.RefusalArg; each order line must still hold, received and neither returned nor
// invoiced, what the receipt brought. A return cannot be annulled once what it sent back was
// received again or rejected: its order lines would hold more than was ordered.
const char* OrderDocumentAnnulmentRefusal(TServerContext& ctx, const std::string& table, const std::string& id,
                                          int64_t transactionNo);

// An annulled receipt, return or rejection order gives its order lines back what it moved (other
// documents are left to their own steps). The
// goods a return took out of its order lines' receipts go back to them, and the annulment's own
// stock entries (transaction annulTransactionNo) only balance the return's.
void ReturnOrderDocumentToOrders(TServerContext& ctx, const std::string& table, const std::string& id,
                                 int64_t transactionNo, int64_t annulTransactionNo);

}  // namespace tavrek::server
