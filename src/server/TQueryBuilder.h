#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/TFilter.h"
#include "server/TSchemaCatalog.h"

namespace tavrek::server {

// A name or expression from the client that the schema does not know; the statement is
// never run.
class EQueryRefused : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct TQuery {
    std::string Sql;
    std::vector<Variant> Params;
    std::vector<std::string> Columns;  // result column names as the caller asked for them
};

// "name" quoted for SQL; only ever called with names checked against the schema. Tables
// and columns are created with unquoted names, which SQLite compares without regard to case
// and PostgreSQL folds to lower case: quoted in lower case, both engines find them.
std::string QuoteIdentifier(std::string_view name);
// A result column name quoted as the caller spelt it.
std::string QuoteAlias(std::string_view name);

// Builds one parameterized SELECT over a relation. Field lists may hold columns, "*",
// numbers, "AS" aliases and a few functions (COALESCE, ABS, SUM ...); filter fields are
// checked against the relation, the qualifier before the dot against qualifiers; every
// value is a bound parameter. With a companyId, only that company's rows are selected.
TQuery BuildSelect(const TRelationInfo& relation, const std::vector<std::string>& qualifiers, std::string_view fields,
                   const TFilter& filter, std::string_view orderBy = {}, const std::string& companyId = {});

// The WHERE clause alone (empty for an empty filter), appending its parameters.
std::string FilterSql(const TRelationInfo& relation, const std::vector<std::string>& qualifiers, const TFilter& filter,
                      std::vector<Variant>& params);

}  // namespace tavrek::server
