#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/posting/TLedgerEntries.h"
#include "server/posting/TPostingAccounts.h"
#include "server/posting/TPostingDocument.h"

namespace tavrek::server {

// The cost at which one line's goods come in or go out, in minor units.
struct TLineCost {
    int64_t LCY = 0, ACY = 0;
};

// What a receipt of ordered goods writes (or, with out = true, a return of received goods):
// an item entry per item line and one transaction between the stock account of the line and
// the account of goods received without their invoice. The vendor is owed nothing until the
// invoice comes, so there is no vendor or VAT entry. costs[i] is the cost of line i.
struct TReceiptPosting {
    TLedgerEntries Entries;
    std::string RefusalKey;
};

TReceiptPosting PostReceiptLedgers(const TPostingDocument& doc, const std::vector<TLineCost>& costs,
                                   const TPostingAccounts& accounts, bool out);

}  // namespace tavrek::server
