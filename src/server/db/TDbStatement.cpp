#include "server/db/TDbStatement.h"

#include <cctype>
#include <stdexcept>

#include "base/data/TDateTime.h"
#include "server/db/TDbSession.h"

namespace tavrek::server {
namespace {

// Copies a quoted text or name from sql at pos, up to and including its closing quote.
size_t CopyQuoted(const std::string& sql, size_t pos, std::string& out) {
    const char quote = sql[pos];
    size_t end = pos + 1;
    while (end < sql.size() && sql[end] != quote) ++end;
    out.append(sql, pos, end + 1 - pos);
    return end + 1;
}

char KindOf(const Variant& value) {
    switch (value.Type()) {
        case TVarType::varNull: return 'n';
        case TVarType::varBoolean:
        case TVarType::varInteger: return 'i';
        case TVarType::varDouble:
        case TVarType::varDate: return 'd';
        case TVarType::varString: break;
    }
    return 's';
}

}  // namespace

TPlaceholders TranslatePlaceholders(const std::string& sql, const std::string& marker) {
    TPlaceholders result;
    size_t next = 0;
    for (size_t pos = 0; pos < sql.size();) {
        const char c = sql[pos];
        if (c == '\'' || c == '"') {
            pos = CopyQuoted(sql, pos, result.Sql);
        } else if (c == '?') {
            size_t end = pos + 1;
            while (end < sql.size() && std::isdigit(static_cast<unsigned char>(sql[end]))) ++end;
            const size_t index = end > pos + 1 ? std::stoul(sql.substr(pos + 1, end - pos - 1)) - 1 : next++;
            result.Sql += marker + std::to_string(result.Order.size() + 1);
            result.Order.push_back(index);
            pos = end;
        } else {
            result.Sql += c;
            ++pos;
        }
    }
    return result;
}

std::string TypeSignature(const TVariantArray& values) {
    std::string signature;
    signature.reserve(values.size());
    for (const Variant& value : values) signature += KindOf(value);
    return signature;
}

TDbStatement::TDbStatement(TDbSession& db, const std::string& sql, const TVariantArray& values, bool returnsRows)
    : db_(db) {
    if (returnsRows && (query_ = db.Dialect().PrepareQuery(db, sql))) {
        columns_ = query_->Columns();
        return;
    }
    TPlaceholders text = TranslatePlaceholders(sql);
    order_ = std::move(text.Order);
    slots_.resize(order_.size());
    soci::details::prepare_temp_type prepare = db.Soci().prepare << text.Sql;
    for (size_t k = 0; k < order_.size(); ++k) {
        if (order_[k] >= values.size())
            throw std::invalid_argument("Липсва стойност за параметър " + std::to_string(order_[k] + 1));
        TSlot& slot = slots_[k];
        switch (KindOf(values[order_[k]])) {
            case 'i': prepare, soci::use(slot.Integer, slot.Indicator); break;
            case 'd': prepare, soci::use(slot.Real, slot.Indicator); break;
            default: prepare, soci::use(slot.Text, slot.Indicator); break;
        }
    }
    if (returnsRows) {
        row_ = std::make_unique<soci::row>();
        prepare, soci::into(*row_);
    }
    statement_ = std::make_unique<soci::statement>(prepare);
}

TDbStatement::~TDbStatement() = default;

void TDbStatement::Bind(const TVariantArray& values) {
    for (size_t k = 0; k < order_.size(); ++k) {
        const Variant& value = values.at(order_[k]);
        TSlot& slot = slots_[k];
        slot.Indicator = value.IsNull() ? soci::i_null : soci::i_ok;
        switch (KindOf(value)) {
            case 'i': slot.Integer = value.AsInteger(); break;
            case 'd': slot.Real = value.AsFloat(); break;
            case 's': slot.Text = value.AsString(); break;
            default: slot.Text.clear(); break;
        }
    }
}

long long TDbStatement::Execute(const TVariantArray& values) {
    Bind(values);
    statement_->execute(true);
    return statement_->get_affected_rows();
}

void TDbStatement::ForEachRow(const TVariantArray& values, const std::function<void(const TVariantArray&)>& onRow) {
    if (query_) {
        query_->ForEachRow(values, [&](TVariantArray& row) {
            MarkDates(row);
            onRow(row);
        });
        return;
    }
    Bind(values);
    TVariantArray row;
    for (bool more = statement_->execute(true); more; more = statement_->fetch()) {
        db_.Dialect().ReadRow(*statement_, *row_, row);
        MarkDates(row);
        onRow(row);
    }
}

void TDbStatement::MarkDates(TVariantArray& values) {
    if (dates_.size() != values.size()) {
        dates_.clear();
        for (size_t i = 0; i < values.size(); ++i) dates_.push_back(db_.IsDateColumn(ColumnName(i)));
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const TVarType type = values[i].Type();
        if (dates_[i] && (type == TVarType::varDouble || type == TVarType::varInteger))
            values[i] = Variant(TDateTime(values[i].AsFloat()));
    }
}

std::string TDbStatement::ColumnName(size_t i) const {
    return query_ ? columns_.at(i) : row_->get_properties(i).get_name();
}

std::vector<std::string> TDbStatement::ColumnNames() const {
    std::vector<std::string> names;
    const size_t count = query_ ? columns_.size() : row_->size();
    for (size_t i = 0; i < count; ++i) names.push_back(db_.Spelled(ColumnName(i)));
    return names;
}

TRequestResult TDbStatement::Select(const TVariantArray& values) {
    TRequestResult result;
    ForEachRow(values, [&](const TVariantArray& row) { result.Rows.push_back(row); });
    result.Columns = ColumnNames();
    return result;
}

}  // namespace tavrek::server
