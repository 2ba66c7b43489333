#pragma once

#include <string>

#include "base/data/TDateTime.h"
#include "server/TProcedureRegistry.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// Ships what the order's store holds of the open lines of a sale order on the date: each line
// takes the oldest open receipts of its item in that store first, at their cost, and the
// cost of sales is booked against the stock account in one transaction. Lines the store
// cannot cover stay open for the rest. Returns the quantity shipped; 0 with the context's
// refusal set when nothing could ship (the caller rolls back).
double ShipSaleOrder(TServerContext& ctx, const std::string& orderId, TDateTime date);

void RegisterSaleShipmentProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
