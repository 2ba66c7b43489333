#pragma once

#include "server/db/TDbSession.h"

namespace tavrek::server {

// A vendor of small deliveries whose invoices and credit memos are kept out of the VAT ledger
// until the month's global invoice and global credit memo: three posted invoices at two VAT
// rates and two posted credit memos, so that a person can build both on first start. Added to
// the demo company with its other documents, in one transaction, posted as the server posts and
// numbered from series of their own.
void AddGlobalDocumentSources(TDbSession& db);

}  // namespace tavrek::server
