#pragma once

#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// After the quantities of order lines moved: what each line of the document's orders has left
// to receive and to invoice, and the status of their orders. lineTable holds the document's
// lines, each with the order line it carries out in OrderLine_Id.
void RefreshOrderLines(TServerContext& ctx, const char* lineTable, const std::string& documentId);

// An annulled posted invoice gives its order lines back the quantity it invoiced, and the
// quantity it received when the goods came in with it (its own stock entries of the posting).
void ReturnInvoiceToOrders(TServerContext& ctx, const std::string& invoiceId, int64_t transactionNo);

}  // namespace tavrek::server
