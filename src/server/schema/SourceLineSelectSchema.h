#pragma once

#include <string>

namespace tavrek::server {

// The posted lines the consolidated documents' selectors offer, priced in the source
// document's currency as the global lines are.
std::string SourceLinePricesSql();

}  // namespace tavrek::server
