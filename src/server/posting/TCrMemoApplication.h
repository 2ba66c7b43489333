#pragma once

#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// A posted credit memo set off against the vendor entry of the invoice it credits: what the
// vendor owes back is taken off what we owe on the invoice, both entries and both posted
// headers show what is left. The set-off is one row of G_ContragentEntryDetail on the
// invoice's entry, named after the credit memo, so that the memo's annulment can undo it.
class TCrMemoApplication {
public:
    explicit TCrMemoApplication(TServerContext& ctx) : ctx_(ctx) {}

    // Applies the posted credit memo to the posted invoice; nullptr, or the key of the
    // refusal when the invoice is not an open one of the same vendor.
    const char* Apply(const std::string& crMemoId, const std::string& invoiceId);
    // The invoices the credit memo was applied to owe again what it took off.
    void Withdraw(const std::string& crMemoId);
    // The amount of the credit memos applied to the document's vendor entry.
    double AppliedToDocument(const std::string& documentId);

    // The kind of a detail row that records a credit memo set off against an invoice.
    static constexpr int kCrMemoDetail = 3;

private:
    void MoveRemaining(const std::string& entryId, double amount, double amountACY);

    TServerContext& ctx_;
};

}  // namespace tavrek::server
