#pragma once

#include <cstdint>
#include <string>

#include "base/data/Variant.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// SQL for what the order line of an alias received and kept (goods sent back are no longer
// received), and of that what is not invoiced yet.
std::string NetReceivedSql(const std::string& line);
std::string ReceivedNotInvoicedSql(const std::string& line);

// The orders whose lines the document's lines (in lineTable, each with its OrderLine_Id) carry
// out stay locked until the transaction ends, so that two documents of one order posted or
// annulled at once cannot both take or give back its open quantity.
void LockOrders(TServerContext& ctx, const char* lineTable, const std::string& documentId);

// The quantities of order lines move by what the query moves gives (over values) per order
// line in the columns OrderLine_Id, Received, Invoiced, Rejected and Returned. What each line
// has left to receive and to invoice follows in the same pass, and then the status of their
// orders: completed when everything is invoiced or rejected, open again once something is not.
void MoveOrderLines(TServerContext& ctx, const std::string& moves, const TVariantArray& values);

// An annulled posted invoice gives its order lines back the quantity it invoiced, and the
// quantity it received when the goods came in with it (its own stock entries of the posting).
void ReturnInvoiceToOrders(TServerContext& ctx, const std::string& invoiceId, int64_t transactionNo);

}  // namespace tavrek::server
