#pragma once

namespace tavrek::server {

class TProcedureRegistry;

// "usp_ConvertPurchOffer" (company, offer Id, kind, business group, user): makes a purchase
// order (kind "1") or a purchase invoice (kind "2") of an offer, in the transaction of the
// call. The new document takes the offer's vendor, terms and lines with their prices, a
// number of its own series and a reference to the offer (AppliesToDoc_Id, and each line's
// SrcLine_Id); the offer is marked converted (DocStatus 1) and cannot be converted again.
// Answers "Code,ErrMsg": the new document's Id, or "-1" and the refusal's message, leaving
// the offer and the number series as they were.
void RegisterOfferConversionProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
