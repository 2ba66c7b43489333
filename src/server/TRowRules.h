#pragma once

#include <string>
#include <vector>

#include "base/data/Variant.h"

namespace tavrek::server {

// What every stored row of a table keeps, whoever writes it: a sale order names its number,
// business group and store; each of its lines an item, a quantity above zero and not below
// what has shipped, and a due date. Answers the refusal key of the first rule the row breaks,
// null when it keeps them all; only the columns the client's dataset carries are seen
// (columns: the table column of each field, empty for a field that is not one).
const char* RowRuleRefusal(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Variant>& values);

}  // namespace tavrek::server
