#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"
#include "server/posting/TLedgerEntries.h"
#include "server/posting/TPostingAccounts.h"
#include "server/posting/TPostingDocument.h"

namespace tavrek::server {

// The posted document an entry belongs to, as every ledger row repeats it.
struct TLedgerHeader {
    std::string DocumentId, DocumentNo, VendorDocumentNo, ContragentId, CurrencyId;
    std::string CntrPostingGroup, BusinessGroup, LedgerSubjectType;
    int64_t DocumentType = 0, TransactionNo = 0;
    double CurrencyFactor = 1;
    TDateTime DocumentDate, DueDate;
    int DoNotIncInVATLedger = 0;
};

class TEntryKeys;

// Reads and writes the ledgers of posted documents for the company of the session.
class TLedgerStore {
public:
    explicit TLedgerStore(TServerContext& ctx);

    int AmountDecimals() const { return decimals_; }
    TPostingAccounts Accounts() const;
    TLedgerHeader Header(const std::string& headerTable, const std::string& documentId) const;
    // The posted document with the assignments its open form (sourceId) had.
    TPostingDocument Document(const std::string& headerTable, const std::string& lineTable,
                              const std::string& documentId, const std::string& sourceId) const;

    void Write(const TLedgerHeader& header, const TLedgerEntries& entries, bool storno) const;
    // The entries the posting of the document wrote in its transaction.
    TLedgerEntries Read(const TLedgerHeader& header) const;

private:
    void WriteItems(const TLedgerHeader& header, const TLedgerEntries& entries, TEntryKeys& keys) const;
    void WriteVendor(const TLedgerHeader& header, const TLedgerEntries& entries, TEntryKeys& keys) const;
    void WriteVAT(const TLedgerHeader& header, const TLedgerEntries& entries, TEntryKeys& keys) const;
    void WriteGL(const TLedgerHeader& header, const TLedgerEntries& entries, bool storno, TEntryKeys& keys) const;

    TServerContext& ctx_;
    int decimals_;
};

}  // namespace tavrek::server
