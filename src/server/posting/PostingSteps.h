#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/data/Variant.h"
#include "server/TServerContext.h"

namespace tavrek::server {

// The column list shared by two tables, with some columns taken from expressions instead.
struct TColumnCopy {
    std::string Target;
    std::string Source;
};

TColumnCopy CopyColumns(TServerContext& ctx, const char* from, const std::map<std::string, std::string>& overrides,
                        const std::vector<std::string>& skip = {});

// The ledger transaction of a posting: the company's transaction series, or the next
// number after the largest one used.
int64_t NextTransactionNo(TServerContext& ctx);

// The posting series of a document subtype, or the purchases setup's column when the subtype has none.
std::string PostingSeries(TServerContext& ctx, const Variant& subType, const char* setupColumn);

}  // namespace tavrek::server
