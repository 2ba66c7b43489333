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

// What posting a VAT protocol writes: the VAT it charges ourselves per VAT posting group and
// rate, deducted (or put into the cost of its lines when not deducted) against the protocols'
// transit account; no stock received, nothing owed to the vendor. A credit memo protocol
// takes the same entries with opposite signs.
TLedgerPosting PostProtocolLedgers(const TPostingDocument& doc, const TPostingAccounts& accounts, bool creditMemo);

}  // namespace tavrek::server
