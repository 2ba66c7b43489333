#pragma once

#include <string>

namespace tavrek::server {

// The ledgers that posting writes (vendor entries and VAT entries) and the texts of the
// refusals posting gives, as one schema step.
const std::string& PostingSchemaSql();

}  // namespace tavrek::server
