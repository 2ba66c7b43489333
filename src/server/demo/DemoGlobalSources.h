#pragma once

#include "server/db/TDbSession.h"

namespace tavrek::server {

// A vendor of small deliveries whose invoices and credit memos are kept out of the VAT ledger
// until the month's global invoice and global credit memo: three posted invoices at two VAT
// rates and two posted credit memos, so that a person can build both on first start. They are
// posted as the server posts, numbered from series of their own, and their transactions keep
// numbers from before the company's series, which still starts at 1.
void WriteGlobalDocumentSources(TDbSession& db);

}  // namespace tavrek::server
