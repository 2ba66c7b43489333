#include "base/server/TRequestResult.h"

#include "base/util/Text.h"

namespace tavrek {

int TRequestResult::ColumnIndex(std::string_view name) const {
    for (size_t i = 0; i < Columns.size(); ++i)
        if (EqualsIgnoreCase(Trim(Columns[i]), Trim(name))) return static_cast<int>(i);
    return -1;
}

Variant TRequestResult::Value(size_t row, size_t column) const {
    if (row >= Rows.size() || column >= Rows[row].size()) return Variant();
    return Rows[row][column];
}

Variant TRequestResult::ByName(std::string_view column, size_t row) const {
    const int index = ColumnIndex(column);
    return index < 0 ? Variant() : Value(row, static_cast<size_t>(index));
}

}  // namespace tavrek
