#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/posting/TPurchaseLedgerPosting.h"

namespace tavrek::server {

// The VAT the source documents booked for the lines a global document took, per VAT posting
// group, in minor units: each source's VAT of a rate taken on the base of its lines of that rate.
struct TSourceVAT {
    std::string VATBusPostGroup, VATProdPostGroup;
    TVATCalculation Calculation = TVATCalculation::Normal;
    int VATLedger = 0;
    int64_t VATLCY = 0, VAT = 0;
};

// What posting a global invoice writes (a global credit memo: the same with opposite signs).
// Its sources booked the goods, the debt and the VAT already, outside the VAT ledger; the
// global document is what the VAT ledger shows: VAT entries per VAT posting group and rate
// as its own lines add up. Its transaction takes the deducted VAT its sources booked off the
// purchase VAT accounts and books its own there instead; what the two differ by (each small
// document rounded apart against the whole rounded once) is owed to or by the vendor. VAT
// the vendor is not owed (reverse charge, import) is left to the protocols.
TLedgerPosting PostGlobalDocLedgers(const TPostingDocument& doc, const std::vector<TSourceVAT>& sources,
                                    const TPostingAccounts& accounts, bool creditMemo);

// A global protocol of acquisitions charged in reverse clears from the protocols' account all
// its sources left there, each rounded apart, and takes off the deducted VAT what that is more
// than the protocol charges, on each rate's whole base: deducted and charged VAT stay equal.
void SettleReverseCharge(TLedgerPosting& posting, const std::vector<TSourceVAT>& sources,
                         const TPostingAccounts& accounts, TDateTime date, bool creditMemo);

}  // namespace tavrek::server
