#pragma once

#include <map>
#include <string>

#include "server/posting/TLedgerEntries.h"
#include "server/posting/TPostingAccounts.h"
#include "server/posting/TPostingDocument.h"

namespace tavrek::testing {

// The posting setup of a small company in the national chart of accounts.
server::TPostingAccounts ChartAccounts();

// A line of the given kind, code and amount; VAT groups follow the rate.
server::TPostingLine Line(int type, const std::string& code, double value, double percent,
                          const std::string& vatBus = "DOM", int calculation = 0);

// A document of a domestic vendor in local currency dated 2026-03-10.
server::TPostingDocument Document(std::vector<server::TPostingLine> lines);

// The balance of each account over the general-ledger entries, in minor units.
std::map<std::string, int64_t> Balances(const server::TLedgerEntries& entries);

}  // namespace tavrek::testing
