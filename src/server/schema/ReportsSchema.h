#pragma once

#include <string>

namespace tavrek::server {

// The VAT purchase ledger reads a period's VAT entries by date; the reasons a document cannot
// enter it are messages of the company.
std::string VATLedgerSchemaSql();
// The amount above which an order waits for approval, the right to approve, and who approved
// an order when.
std::string OrderApprovalSql();
// What an order's header shows of its approval: who approved it, and whether it waits.
std::string OrderApprovalViewColumns();

}  // namespace tavrek::server
