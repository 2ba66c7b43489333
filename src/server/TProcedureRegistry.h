#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "base/server/TRequestResult.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// Where a registered routine may be called from: "exec" texts of value requests and
// ExecuteStoredProcedure, table function sources of value requests, or the statements
// that ExecuteSQLScript accepts.
enum class TProcedureKind { pkProcedure, pkTableFunction, pkScript };

// A routine answers its rows under named columns; it writes through the context and
// refuses with a result column, never by throwing.
using TProcedure = std::function<TRequestResult(TServerContext&, const TVariantArray&)>;

class TProcedureRegistry {
public:
    // name may carry an owner ("dbo.usp_X"); it is kept without one, case-insensitively.
    void Register(TProcedureKind kind, std::string_view name, TProcedure procedure);
    const TProcedure* Find(TProcedureKind kind, std::string_view name) const;

private:
    std::map<std::pair<TProcedureKind, std::string>, TProcedure> procedures_;
};

}  // namespace tavrek::server
