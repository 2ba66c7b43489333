#include "server/TChangeApplier.h"

#include <stdexcept>

#include <SQLiteCpp/Exception.h>
#include <sqlite3.h>

#include "base/data/TClientDataSet.h"
#include "server/SqlValue.h"
#include "server/TQueryBuilder.h"

namespace tavrek::server {

// The table of a packet and, per dataset field, its table column (empty when the field is
// only read, such as a lookup display field).
struct TChangeApplier::TTarget {
    std::string Table;
    std::vector<std::string> Columns;
    size_t KeyIndex = 0;
    std::vector<size_t> Written;          // fields that are columns, in column order of the INSERT
    SQLite::Statement* Inserter = nullptr;  // prepared on the first insert, reused for the rest
};

namespace {

constexpr int kMaxReportedRefusals = 5;

// "c1 IS ? AND c2 IS ?" over the given fields, binding their values from record.
std::string MatchClause(const std::vector<std::string>& columns, const std::vector<size_t>& fields,
                        const std::vector<Variant>& record, TVariantArray& params) {
    std::string sql;
    for (size_t field : fields) {
        sql += " AND " + QuoteIdentifier(columns[field]) + " IS ?";
        params.push_back(record[field]);
    }
    return sql;
}

}  // namespace

TChangeApplier::TTarget TChangeApplier::Target(const TUpdatePacket& packet) const {
    if (packet.DataSet == nullptr) throw std::invalid_argument("Пакет без набор от данни за '" + packet.Provider + "'");
    const TDataProvider provider = ctx_.Catalog.Provider(packet.Provider);
    TTarget target;
    target.Table = provider.Table->Name;
    bool hasKey = false;
    const auto& defs = packet.DataSet->FieldDefs();
    for (size_t i = 0; i < defs.size(); ++i) {
        const TColumnInfo* column = provider.Table->Column(defs[i].Name);
        target.Columns.push_back(column == nullptr ? std::string() : column->Name);
        if (column != nullptr && EqualsIgnoreCase(column->Name, "Id")) {
            target.KeyIndex = i;
            hasKey = true;
        }
    }
    if (!hasKey) throw std::invalid_argument("Наборът от данни за '" + packet.Provider + "' няма поле Id");
    for (size_t i = 0; i < target.Columns.size(); ++i)
        if (!target.Columns[i].empty()) target.Written.push_back(i);
    return target;
}

int TChangeApplier::Apply(const std::vector<TUpdatePacket>& packets, std::string& errorText) {
    std::vector<TTarget> targets;
    for (const TUpdatePacket& packet : packets) targets.push_back(Target(packet));
    for (size_t i = packets.size(); i-- > 0;)
        for (const TDeltaRecord& record : packets[i].DataSet->Delta())
            if (record.Status == TUpdateStatus::usDeleted) Delete(targets[i], record);
    for (size_t i = 0; i < packets.size(); ++i)
        for (const TDeltaRecord& record : packets[i].DataSet->Delta()) {
            if (record.Status == TUpdateStatus::usInserted) Insert(targets[i], record);
            if (record.Status == TUpdateStatus::usModified) Update(targets[i], record);
        }
    errorText = errors_;
    return refused_;
}

void TChangeApplier::Delete(const TTarget& target, const TDeltaRecord& record) {
    std::vector<size_t> fields;
    for (size_t i = 0; i < target.Columns.size(); ++i)
        if (!target.Columns[i].empty() && i != target.KeyIndex) fields.push_back(i);
    TVariantArray params{(*record.Original)[target.KeyIndex]};
    const std::string sql = "DELETE FROM " + QuoteIdentifier(target.Table) + " WHERE \"Id\" = ?" +
                            MatchClause(target.Columns, fields, *record.Original, params);
    SQLite::Statement& statement = ctx_.Statements.Get(sql);
    BindAll(statement, params);
    if (statement.exec() == 0) Refuse(target, record, "е променен или изтрит от друг потребител");
}

void TChangeApplier::Insert(TTarget& target, const TDeltaRecord& record) {
    if (target.Inserter == nullptr) {
        std::string names, marks;
        for (size_t i : target.Written) {
            names += (names.empty() ? "" : ", ") + QuoteIdentifier(target.Columns[i]);
            marks += marks.empty() ? "?" : ", ?";
        }
        target.Inserter =
            &ctx_.Statements.Get("INSERT INTO " + QuoteIdentifier(target.Table) + " (" + names + ") VALUES (" + marks + ")");
    }
    SQLite::Statement& statement = *target.Inserter;
    statement.tryReset();
    for (size_t n = 0; n < target.Written.size(); ++n)
        BindVariant(statement, static_cast<int>(n + 1), (*record.Values)[target.Written[n]]);
    try {
        statement.exec();
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xff) != SQLITE_CONSTRAINT) throw;
        Refuse(target, record, std::string("не може да бъде записан: ") + e.what());
    }
}

void TChangeApplier::Update(const TTarget& target, const TDeltaRecord& record) {
    const std::vector<Variant>& values = *record.Values;
    const std::vector<Variant>& original = *record.Original;
    std::vector<size_t> changed;
    for (size_t i = 0; i < target.Columns.size(); ++i)
        if (!target.Columns[i].empty() && !(values[i] == original[i])) changed.push_back(i);
    if (changed.empty()) return;
    std::string sets;
    TVariantArray params;
    for (size_t i : changed) {
        sets += (sets.empty() ? "" : ", ") + QuoteIdentifier(target.Columns[i]) + " = ?";
        params.push_back(values[i]);
    }
    params.push_back(original[target.KeyIndex]);
    const std::string sql = "UPDATE " + QuoteIdentifier(target.Table) + " SET " + sets + " WHERE \"Id\" = ?" +
                            MatchClause(target.Columns, changed, original, params);
    SQLite::Statement& statement = ctx_.Statements.Get(sql);
    BindAll(statement, params);
    try {
        if (statement.exec() == 0) Refuse(target, record, "е променен или изтрит от друг потребител");
    } catch (const SQLite::Exception& e) {
        if ((e.getErrorCode() & 0xff) != SQLITE_CONSTRAINT) throw;
        Refuse(target, record, std::string("не може да бъде записан: ") + e.what());
    }
}

void TChangeApplier::Refuse(const TTarget& target, const TDeltaRecord& record, const std::string& why) {
    ++refused_;
    if (refused_ > kMaxReportedRefusals) return;
    const std::vector<Variant>& values = record.Original != nullptr ? *record.Original : *record.Values;
    if (!errors_.empty()) errors_ += '\n';
    errors_ += "Записът " + values[target.KeyIndex].AsString() + " в " + target.Table + " " + why;
}

}  // namespace tavrek::server
