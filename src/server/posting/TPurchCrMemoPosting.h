#pragma once

#include <string>

#include "server/posting/TPurchasePosting.h"

namespace tavrek::server {

// The purchase posting with credit memos: a vendor's credit memo posts the entries of an
// invoice with the opposite sign. The goods go out of stock (from the oldest receipts still
// open), the debt to the vendor and the deducted VAT go down, and one balanced ledger
// transaction records it. Annulment of a posted credit memo is the purchase annulment.
class TPurchCrMemoPosting : public TPurchasePosting {
public:
    using TPurchasePosting::TPurchasePosting;

    // The open credit memo becomes a posted one. Keys: posted Id and its DocumentNo.
    // Refusals (by message key) leave everything as it was.
    int PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys) override;
};

}  // namespace tavrek::server
