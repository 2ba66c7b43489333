#pragma once

#include <string>
#include <vector>

#include "base/server/TRequestResult.h"

namespace tavrek::server {

// The argument at index as text; empty when the caller passed fewer arguments.
inline std::string Arg(const TVariantArray& args, size_t index) {
    return index < args.size() ? args[index].AsString() : std::string();
}

// A procedure's one-row answer under the named columns.
inline TRequestResult Answer(std::vector<std::string> columns, TVariantArray row) {
    return TRequestResult{std::move(columns), {std::move(row)}};
}

}  // namespace tavrek::server
