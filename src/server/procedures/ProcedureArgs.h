#pragma once

#include <string>
#include <vector>

#include "base/server/TRequestResult.h"
#include "server/SqlValue.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The argument at index as text; empty when the caller passed fewer arguments.
inline std::string Arg(const TVariantArray& args, size_t index) {
    return index < args.size() ? args[index].AsString() : std::string();
}

// A procedure's one-row answer under the named columns.
inline TRequestResult Answer(std::vector<std::string> columns, TVariantArray row) {
    return TRequestResult{std::move(columns), {std::move(row)}};
}

// The company's text of a message key; the key itself when the company has none.
inline std::string MessageText(TServerContext& ctx, const char* key) {
    const TRequestResult text = SelectRows(ctx.Db, "SELECT Text FROM S_Messages WHERE Id = ?", {key});
    return text.Empty() ? key : text.Value().AsString();
}

}  // namespace tavrek::server
