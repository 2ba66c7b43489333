#pragma once

#include <string>
#include <vector>

#include "reports/uVATLedgerRows.h"

namespace tavrek {

class IAppServer;

// The purchase ledger of one tax period as the server gives it: who files, and every
// document of the period with its record or its problem.
struct TVATLedgerReport {
    int Period = 0;
    TVATLedgerFiling Filing;
    std::string LocalCurrency;
    std::vector<TVATLedgerEntry> Entries;

    // The records that may be filed, in ledger order.
    std::vector<TVATLedgerRecord> Records() const;
    size_t ProblemCount() const;
};

namespace uVATLedgerReport {

// Reads the period (yyyymm) from the server; throws std::runtime_error when the server refuses.
TVATLedgerReport ReadLedger(IAppServer& server, int period);
// Writes POKUPKI.TXT and DEKLAR.TXT of the records that may be filed into the folder, each
// through a temporary file so that a failed write leaves the folder as it was; throws
// std::runtime_error naming the file that could not be written.
void WriteFiles(const TVATLedgerReport& report, const std::string& folder);

}  // namespace uVATLedgerReport
}  // namespace tavrek
