#pragma once

#include <string>

#include "server/posting/TPurchCrMemoPosting.h"

namespace tavrek::server {

// The purchase posting with order buffers: a buffer carries out an operation on the lines of
// purchase orders and is posted as the documents of that operation.
class TPurchOrderPosting : public TPurchCrMemoPosting {
public:
    using TPurchCrMemoPosting::TPurchCrMemoPosting;

    // Receive (0) writes a posted receipt: the goods into stock against the account of goods
    // received without their invoice. Return (1) writes a posted return order taking received,
    // not invoiced goods back out; reject (2) a posted rejection order without entries.
    // Invoice (3) posts the buffer as a purchase invoice that clears the receipts account for
    // goods already received; receive and invoice (4) writes a receipt and posts an ordinary
    // invoice. The order lines' quantities follow, an order with nothing left open is completed
    // and kept as a posted order, and the buffer is removed. Keys: the receipt, the return or rejection order and the
    // invoice, each empty when the operation writes none. Refusals change nothing.
    int PostPurchOrder(TServerContext& ctx, const std::string& id, TVariantArray& keys, int operation) override;

private:
    // Posts the buffer as a purchase invoice; received: its goods came with earlier receipts.
    // Returns the posted invoice's Id.
    std::string PostInvoice(TServerContext& ctx, const std::string& id, bool received);
};

}  // namespace tavrek::server
