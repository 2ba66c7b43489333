#pragma once

#include <cstdint>
#include <string>

#include "base/data/TDateTime.h"
#include "server/TServerContext.h"

namespace tavrek::server {

class TProcedureRegistry;

// "usp_PostVendorPayment" (company, payment Id): posts a payment to a vendor in the
// transaction of the call. The payment is in the paid document's currency; its local
// amount is taken at the document's rate. It draws its number from the payment series of
// the purchases setup and is applied to the vendor entry of the document it pays, so that
// the entry's and the document's Remaining fall; the general ledger takes the payables
// account of the entry against the paying account. A payment of nothing, of more than is
// open, of a document without an open entry, or without a series is refused
// ("Result,ErrMsg" -1 and the message) and leaves every ledger as it was.
//
// "usp_AnnulVendorPayment" (company, payment Id): gives a posted payment back to the entry
// it paid (Remaining rises by it again, the entry opens) and reverses its ledger
// transaction. A payment not posted, already annulled (also with the document it paid), or no
// longer applied is refused the same way.
void RegisterVendorPaymentProcedures(TProcedureRegistry& registry);

// The posted payments applied to a document that is annulled together with its payments are
// annulled with it: each payment's ledger transaction is reversed on the date in the
// annulment's transaction and the payment is marked annulled. Their applications to the
// document's vendor entry are left to the annulment.
void AnnulPaymentsOfDocument(TServerContext& ctx, const std::string& documentId, const TDateTime& date,
                             int64_t transaction);

}  // namespace tavrek::server
