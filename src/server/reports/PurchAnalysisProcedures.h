#pragma once

#include <string>

#include "base/data/TDateTime.h"
#include "base/server/TRequestResult.h"
#include "server/TProcedureRegistry.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// What a buyer asks of the purchase analysis: one view over the posted documents of a
// period (and, for a price history, one item).
struct TPurchAnalysisRequest {
    std::string View;  // vendor, item, group, month, price, open, ontime
    TDateTime DateFrom;
    TDateTime DateTo;  // also the day open orders are late on and the on-time year ends on
    std::string ItemId;
};

// The view's rows, computed in one statement over the company's posted documents; an unknown
// view or a period that ends before it starts is refused with its key in RefusalKey.
TRequestResult PurchAnalysis(TServerContext& ctx, const TPurchAnalysisRequest& request);

// "usp_PurchAnalysis" (company, view, date from, date to, item).
void RegisterPurchAnalysisProcedures(TProcedureRegistry& registry);

}  // namespace tavrek::server
