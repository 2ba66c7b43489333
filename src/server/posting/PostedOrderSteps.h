#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The orders whose lines the document's lines (in lineTable, each with its OrderLine_Id) carry out.
std::vector<std::string> OrdersOfLines(TServerContext& ctx, const char* lineTable, const std::string& documentId);

// An order completed by its documents is kept as a posted order (kind 24) numbered from the
// purchases setup's series of posted orders, dated on the day it completed: the order's header
// with OrderNo and every line with the order line it copies. An order opened again (one of
// those documents annulled) has its posted order annulled with the same date and reason.
// Returns the refusal key when no number could be taken, else nullptr.
const char* FollowPostedOrders(TServerContext& ctx, const std::vector<std::string>& orders, TDateTime date,
                               const std::string& reason);

}  // namespace tavrek::server
