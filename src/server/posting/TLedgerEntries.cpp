#include "server/posting/TLedgerEntries.h"

namespace tavrek::server {

int64_t TLedgerEntries::Imbalance() const {
    int64_t sum = 0;
    for (const TGLEntry& entry : GL) sum += entry.Amount;
    return sum;
}

TLedgerEntries Reversed(const TLedgerEntries& entries) {
    TLedgerEntries reversed = entries;
    for (TItemEntry& e : reversed.Items) {
        e.Quantity = -e.Quantity;
        e.CostAmount = -e.CostAmount;
        e.CostAmountACY = -e.CostAmountACY;
    }
    for (TVendorEntry& e : reversed.Vendor) e = {e.PostingDate, -e.Amount, -e.AmountACY, -e.Remaining, -e.RemainingACY};
    for (TVATEntry& e : reversed.VAT) {
        e.Base = -e.Base;
        e.Amount = -e.Amount;
        e.BaseACY = -e.BaseACY;
        e.AmountACY = -e.AmountACY;
    }
    for (TGLEntry& e : reversed.GL) {
        e.Amount = -e.Amount;
        e.AmountACY = -e.AmountACY;
    }
    return reversed;
}

TLedgerEntries Storno(const TLedgerEntries& posted, TDateTime annulDate) {
    TLedgerEntries storno = Reversed(posted);
    for (TItemEntry& e : storno.Items) e.PostingDate = annulDate;
    for (TVendorEntry& e : storno.Vendor) e = {annulDate, e.Amount, e.AmountACY, 0, 0};
    for (TVATEntry& e : storno.VAT) e.PostingDate = annulDate;
    for (TGLEntry& e : storno.GL) e.PostingDate = annulDate;
    return storno;
}

}  // namespace tavrek::server
