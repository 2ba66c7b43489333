#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/data/TDateTime.h"

namespace tavrek::server {

// Amounts are in minor units: local currency, with the document currency beside it (_ACY).

// A receipt into stock (or, negative, an issue): the quantity in base units and its cost.
struct TItemEntry {
    std::string LineId, ItemCode, BusinessGroup, Store;
    TDateTime PostingDate;
    double Quantity = 0;
    int64_t CostAmount = 0, CostAmountACY = 0;
};

// What the vendor is owed by the document: negative for a debt to the vendor.
struct TVendorEntry {
    TDateTime PostingDate;
    int64_t Amount = 0, AmountACY = 0;
    int64_t Remaining = 0, RemainingACY = 0;
};

// One entry of the purchase VAT ledger: a VAT posting group and rate of the document.
struct TVATEntry {
    std::string VATBusPostGroup, VATProdPostGroup;
    TDateTime PostingDate;
    double Percent = 0;
    int CalculationType = 0;
    int VATLedger = 0;
    int64_t Base = 0, Amount = 0, BaseACY = 0, AmountACY = 0;
};

// One line of a general-ledger transaction: debit positive, credit negative.
struct TGLEntry {
    std::string Account;
    TDateTime PostingDate;
    int64_t Amount = 0, AmountACY = 0;
    std::string LineId;
    std::string Dimension;     // analytical dimension (an advance, a vendor's open item)
    std::string ContragentId;  // the vendor, on the payables and advance accounts
    std::string BusinessGroup;
    std::string Description;
};

// Everything one posting (or its storno) writes into the ledgers.
struct TLedgerEntries {
    std::vector<TItemEntry> Items;
    std::vector<TVendorEntry> Vendor;  // none for a document that owes nothing to the vendor
    std::vector<TVATEntry> VAT;
    std::vector<TGLEntry> GL;

    // The sum of the transaction's debits less its credits; 0 for a balanced transaction.
    int64_t Imbalance() const;
};

// The same entries with opposite signs.
TLedgerEntries Reversed(const TLedgerEntries& entries);
// The storno of a posting: the same entries with opposite signs, on the annulment date.
TLedgerEntries Storno(const TLedgerEntries& posted, TDateTime annulDate);

}  // namespace tavrek::server
