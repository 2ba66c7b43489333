#pragma once

#include <string>

#include "server/posting/TDocumentAmounts.h"
#include "server/posting/TLedgerEntries.h"
#include "server/posting/TPostingAccounts.h"
#include "server/posting/TPostingDocument.h"

namespace tavrek::server {

// What posting a purchase document writes, worked out without a database: item entries for
// item lines, the vendor entry, VAT entries per VAT posting group and rate, and one
// general-ledger transaction (debit inventory or expense per line, debit VAT, credit
// payables) that balances to the cent. A refusal names its message key and holds nothing.
struct TLedgerPosting {
    TDocumentAmounts Amounts;
    TLedgerEntries Entries;
    std::string RefusalKey;
};

TLedgerPosting PostPurchaseLedgers(const TPostingDocument& doc, const TPostingAccounts& accounts);

}  // namespace tavrek::server
