#pragma once

namespace tavrek::server {

class TProcedureRegistry;

// "usp_PostVendorPayment" (company, payment Id): posts a payment to a vendor in the
// transaction of the call. The payment is applied to the vendor entry of the document it
// pays, so that the entry's and the document's Remaining fall; the general ledger takes
// the payables account of the entry against the paying account. A payment of nothing, of
// more than is open, or of a document without an open entry is refused ("Result,ErrMsg"
// -1 and the message) and leaves every ledger as it was.
void RegisterVendorPaymentProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
