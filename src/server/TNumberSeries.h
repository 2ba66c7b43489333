#pragma once

#include <string>

#include "server/TServerContext.h"

namespace tavrek::server {

// Takes the next number of a series (by Id or Code) of the session's company, from the
// business group's own counter when it has one. The counter moves inside the caller's write
// transaction, so numbers never repeat across processes. 0 with the number; -1 with ctx.RefusalKey
// "err_GetSeriesNo" for an unknown or exhausted series, "err_OtherCompany" for another company's.
int NextSerieNo(TServerContext& ctx, const std::string& series, const std::string& businessGroup, std::string& number);

}  // namespace tavrek::server
