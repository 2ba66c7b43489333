#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "base/data/Variant.h"

namespace tavrek {

using TVariantArray = std::vector<Variant>;

// Rows that a value request or a procedure returns, with their column names.
struct TRequestResult {
    std::vector<std::string> Columns;
    std::vector<TVariantArray> Rows;

    bool Empty() const { return Rows.empty(); }
    int ColumnIndex(std::string_view name) const;  // -1 when absent; names compare case-insensitively
    // The value at a row and column; Null when either is out of range.
    Variant Value(size_t row = 0, size_t column = 0) const;
    Variant ByName(std::string_view column, size_t row = 0) const;
};

}  // namespace tavrek
