#pragma once

#include <string>

#include "base/data/TDateTime.h"
#include "base/server/TItemParams.h"
#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// Local-currency units per one unit of the currency at the date: 1 for the local currency
// (or an empty id), the fixed factor of a pegged currency, else the latest rate that
// starts on or before the date; 0 when there is none.
double CurrencyRate(TServerContext& ctx, const std::string& currencyId, TDateTime date);

// The vendor's price and discount for the line that the 18-value price request describes,
// in the document's currency, unit of measure and VAT basis. 0 when a vendor price
// exists (params filled), 1 when there is no proposal.
int ItemPriceAndDiscount(TServerContext& ctx, const TVariantArray& request, TItemParams& params);

}  // namespace tavrek::server
