#pragma once

#include <string>
#include <vector>

namespace tavrek::server {

// What a buffer does to the order lines it carries out.
enum class TOrderOperation { Receive = 0, Return = 1, Reject = 2, Invoice = 3, ReceiveAndInvoice = 4 };

// The quantities of an order line, in its units. Received counts everything that came in;
// what went back since is in Returned.
struct TOrderLineQuantities {
    int Type = 1;
    double Quantity = 0, Received = 0, Invoiced = 0, Rejected = 0, Returned = 0;
};

// A line of a buffer with the order line it carries out; a free line has no order line.
struct TBufferLine {
    std::string Id;
    int Type = 1;
    double Quantity = 0;
    std::string OrderLineId;
    bool OrderLineFound = false;
    bool SameVendor = true;
    TOrderLineQuantities Order;
};

bool IsItemType(int type);
bool MovesGoods(TOrderOperation operation);
bool Invoices(TOrderOperation operation);

// What the operation may still take of an order line: to receive or reject what was neither
// received nor rejected; to return what was received and not invoiced; to invoice the received
// goods of an item line, or what was neither invoiced nor rejected of any other line. Received
// means kept here: returned goods are no longer received, so they may be received again.
double OpenQuantity(TOrderOperation operation, const TOrderLineQuantities& line);

// The message key of why the buffer's lines cannot be posted with the operation, or empty:
// the buffer quantities of one order line together may not exceed its open quantity.
std::string BufferRefusal(TOrderOperation operation, const std::vector<TBufferLine>& lines);

}  // namespace tavrek::server
