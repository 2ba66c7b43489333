#include "server/TRowRules.h"

#include <optional>

#include "base/util/Text.h"

namespace tavrek::server {
namespace {

class TRow {
public:
    TRow(const std::vector<std::string>& columns, const std::vector<Variant>& values) : columns_(columns), values_(values) {}

    std::optional<Variant> Field(const char* column) const {
        for (size_t i = 0; i < columns_.size(); ++i)
            if (EqualsIgnoreCase(columns_[i], column)) return values_[i];
        return std::nullopt;
    }
    bool Blank(const char* column) const {
        const std::optional<Variant> value = Field(column);
        return value && Trim(value->IsNull() ? std::string() : value->AsString()).empty();
    }

private:
    const std::vector<std::string>& columns_;
    const std::vector<Variant>& values_;
};

const char* SaleOrderRefusal(const TRow& row) {
    if (row.Blank("DocumentNo")) return "err_SaleOrderNoNumber";
    if (row.Blank("BusinessGroup_Id") || row.Blank("Store_Id")) return "err_SaleOrderNoStore";
    return nullptr;
}

const char* SaleOrderLineRefusal(const TRow& row) {
    if (row.Blank("Item_Id")) return "err_SaleOrderLineNoItem";
    const std::optional<Variant> quantity = row.Field("Quantity");
    if (quantity && (quantity->IsNull() || quantity->AsFloat() <= 0)) return "err_SaleOrderLineQuantity";
    const std::optional<Variant> shipped = row.Field("ShippedQty");
    if (quantity && shipped && !shipped->IsNull() && quantity->AsFloat() < shipped->AsFloat())
        return "err_SaleOrderLineBelowShipped";
    const std::optional<Variant> due = row.Field("DueDate");
    if (due && due->IsNull()) return "err_SaleOrderLineDueDate";
    return nullptr;
}

}  // namespace

const char* RowRuleRefusal(const std::string& table, const std::vector<std::string>& columns,
                           const std::vector<Variant>& values) {
    const TRow row(columns, values);
    if (EqualsIgnoreCase(table, "D_SaleOrderHeader")) return SaleOrderRefusal(row);
    if (EqualsIgnoreCase(table, "D_SaleOrderLine")) return SaleOrderLineRefusal(row);
    return nullptr;
}

}  // namespace tavrek::server
