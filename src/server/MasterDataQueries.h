#pragma once

#include <string>

#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The vendor's defaults for a new document: codes, posting groups, payment, currency.
TRequestResult ContragentParams(TServerContext& ctx, const std::string& contragentId);
// What the company owes the vendor at the date ("yyyymmdd"): open, overdue, open
// documents, last purchase.
TRequestResult ContragentPurchDue(TServerContext& ctx, const std::string& contragentId, const std::string& dateYyyymmdd);
// Item data for the side panel of a line. Request: item code, vendor, unit, currency,
// VAT business group, VAT product group, price flag, subtype code, quantity, document
// date, base quantity, currency factor, line id, business group.
TRequestResult ItemParams(TServerContext& ctx, const TVariantArray& request);

}  // namespace tavrek::server
