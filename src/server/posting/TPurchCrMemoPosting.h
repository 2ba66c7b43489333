#pragma once

#include <string>

#include "server/posting/TPurchasePosting.h"

namespace tavrek::server {

// The purchase posting with credit memos: a vendor's credit memo posts the entries of an
// invoice with the opposite sign. Goods sent back go out of stock (from the oldest receipts
// still open); a price reduction lowers the goods' cost and leaves their quantity. The debt to
// the vendor and the deducted VAT go down, and one balanced ledger transaction records it. Annulment of a posted credit memo is the purchase annulment.
class TPurchCrMemoPosting : public TPurchasePosting {
public:
    using TPurchasePosting::TPurchasePosting;

    // What a memo credits, as the option dialog of the memo's posting offers it.
    static constexpr int kGoodsReturned = 0;
    static constexpr int kPriceReduction = 1;

    // The open credit memo becomes a posted one. Keys: posted Id and its DocumentNo.
    // Refusals (by message key) leave everything as it was.
    int PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys, int option) override;
};

}  // namespace tavrek::server
