#include "server/TChangeApplier.h"

#include <optional>
#include <stdexcept>

#include <soci/soci.h>

#include "base/data/TClientDataSet.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/TAccessPolicy.h"
#include "server/TOrderApproval.h"
#include "server/TQueryBuilder.h"
#include "server/TRowRules.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {

// The table of a packet and, per dataset field, its table column (empty when the field is
// only read, such as a lookup display field).
struct TChangeApplier::TTarget {
    std::string Table;
    std::vector<std::string> Columns;
    size_t KeyIndex = 0;
    std::vector<size_t> Written;  // fields that are columns, in column order of the INSERT
    std::string InsertColumns;    // the written columns, comma-separated
    std::string Scope;            // keeps changes on the company's rows
    TVariantArray ScopeParams;
    const TRelationInfo* Header = nullptr;  // of a line table: its company is the header's
    const TAccessPolicy::TPostedLock* Lock = nullptr;
    std::optional<size_t> LockIndex;  // the lock column among the fields, when the dataset has it
    std::vector<size_t> AccountFields;  // fields naming an account of the chart
    std::vector<std::pair<size_t, TAccessPolicy::TColumnWrite>> ServerFields;  // fields only the server writes
    // Purchase documents and their lines: the field holding the document's Id, and the header's
    // status field, whose change to 0 re-opens a closed order.
    std::optional<size_t> OrderIndex;
    std::optional<size_t> StatusIndex;
    std::optional<size_t> MasterIndex;
};

namespace {

constexpr int kMaxReportedRefusals = 5;

// "c1 IS NOT DISTINCT FROM ? AND ..." over the given fields, binding their values from record.
std::string MatchClause(const std::vector<std::string>& columns, const std::vector<size_t>& fields,
                        const std::vector<Variant>& record, TVariantArray& params) {
    std::string sql;
    for (size_t field : fields) {
        sql += " AND " + QuoteIdentifier(columns[field]) + " IS NOT DISTINCT FROM ?";
        params.push_back(record[field]);
    }
    return sql;
}

}  // namespace

TChangeApplier::TTarget TChangeApplier::Target(const TUpdatePacket& packet) const {
    if (packet.DataSet == nullptr) throw std::invalid_argument("Пакет без набор от данни за '" + packet.Provider + "'");
    const TDataProvider provider = ctx_.Catalog.Provider(packet.Provider);
    if (!TAccessPolicy::MayChange(*provider.Table))
        throw EQueryRefused("Таблицата '" + provider.Table->Name + "' не се променя от клиента");
    TTarget target;
    target.Table = provider.Table->Name;
    target.Scope = TAccessPolicy::CompanyScope(*provider.Table, ctx_.Session.CompanyId, target.ScopeParams);
    if (!target.Scope.empty()) target.Scope = " AND " + target.Scope;
    target.Header = provider.Table->Parent;
    target.Lock = TAccessPolicy::PostedLock(*provider.Table);
    bool hasKey = false;
    const auto& defs = packet.DataSet->FieldDefs();
    for (size_t i = 0; i < defs.size(); ++i) {
        const TColumnInfo* column = provider.Table->Column(defs[i].Name);
        target.Columns.push_back(column == nullptr ? std::string() : column->Name);
        if (column != nullptr && target.Lock != nullptr && EqualsIgnoreCase(column->Name, target.Lock->Column))
            target.LockIndex = i;
        if (column != nullptr && TAccessPolicy::NamesAccount(*provider.Table, column->Name))
            target.AccountFields.push_back(i);
        const auto write = column == nullptr ? TAccessPolicy::TColumnWrite::cwClient
                                             : TAccessPolicy::ColumnWrite(*provider.Table, column->Name);
        if (write != TAccessPolicy::TColumnWrite::cwClient) target.ServerFields.emplace_back(i, write);
        if (column != nullptr && EqualsIgnoreCase(column->Name, "Master_Id")) target.MasterIndex = i;
        if (column != nullptr && EqualsIgnoreCase(column->Name, "Id")) {
            target.KeyIndex = i;
            hasKey = true;
        }
        const bool orders = EqualsIgnoreCase(target.Table, "D_PurchHeader");
        if (column != nullptr && orders && EqualsIgnoreCase(column->Name, "DocStatus")) target.StatusIndex = i;
        if (column != nullptr && EqualsIgnoreCase(column->Name, orders ? "Id" : "Master_Id") &&
            (orders || EqualsIgnoreCase(target.Table, "D_PurchaseLine")))
            target.OrderIndex = i;
    }
    if (!hasKey) throw std::invalid_argument("Наборът от данни за '" + packet.Provider + "' няма поле Id");
    for (size_t i = 0; i < target.Columns.size(); ++i) {
        if (target.Columns[i].empty()) continue;
        target.Written.push_back(i);
        target.InsertColumns += (target.InsertColumns.empty() ? "" : ", ") + QuoteIdentifier(target.Columns[i]);
    }
    return target;
}

int TChangeApplier::Apply(const std::vector<TUpdatePacket>& packets, std::string& errorText) {
    std::vector<TTarget> targets;
    for (const TUpdatePacket& packet : packets) targets.push_back(Target(packet));
    for (size_t i = packets.size(); i-- > 0;)
        for (const TDeltaRecord& record : packets[i].DataSet->Delta())
            if (record.Status == TUpdateStatus::usDeleted && !rejected_) Delete(targets[i], record);
    for (size_t i = 0; i < packets.size() && !rejected_; ++i) {
        for (const TDeltaRecord& record : packets[i].DataSet->Delta()) {
            if (record.Status == TUpdateStatus::usInserted) Insert(targets[i], record);
            if (record.Status != TUpdateStatus::usModified) continue;
            FlushInserts(targets[i]);
            if (rejected_) break;
            Update(targets[i], record);
        }
        FlushInserts(targets[i]);
    }
    if (refused_ == 0) {
        audit_.Flush();
        TOrderApproval(ctx_).Withdraw(changedOrders_);
    }
    errorText = errors_;
    return refused_;
}

void TChangeApplier::Delete(const TTarget& target, const TDeltaRecord& record) {
    if (Locked(target, record, false)) return RefuseLocked(target, record);
    if (const char* refusal = DocumentState(target, *record.Original, true)) return RefuseBy(target, record, refusal);
    if (const char* refusal = ClosedOrder(target, *record.Original, nullptr)) return RefuseBy(target, record, refusal);
    std::vector<size_t> fields;
    for (size_t i = 0; i < target.Columns.size(); ++i)
        if (!target.Columns[i].empty() && i != target.KeyIndex) fields.push_back(i);
    TVariantArray params{(*record.Original)[target.KeyIndex]};
    std::string sql = "DELETE FROM " + QuoteIdentifier(target.Table) + " WHERE Id = ?" +
                      MatchClause(target.Columns, fields, *record.Original, params);
    Scoped(target, sql, params);
    if (!Run(target, record, sql, params)) return;
    audit_.Deleted(target.Table, DocumentOf(target, *record.Original), (*record.Original)[target.KeyIndex].AsString());
    NoteOrderLineChange(target, DocumentOf(target, *record.Original));
}

void TChangeApplier::Insert(const TTarget& target, const TDeltaRecord& record) {
    const bool locked = Locked(target, record, true);
    if (locked || !OfCompany(target, *record.Values)) {
        FlushInserts(target);  // refusals come in the order of the records
        if (rejected_) return;
        if (locked) return RefuseLocked(target, record);
        return Refuse(target, record, "е на друга фирма");
    }
    if (const Variant* account = UnknownAccount(*record.Values, target.AccountFields)) {
        FlushInserts(target);
        if (rejected_) return;
        return RefuseUnknownAccount(target, record, *account);
    }
    if (const std::string* column = ServerColumn(target, *record.Values, nullptr)) {
        FlushInserts(target);
        if (rejected_) return;
        return RefuseServerColumn(target, record, *column);
    }
    const char* refusal = DocumentState(target, *record.Values, false);
    if (refusal == nullptr) refusal = ClosedOrder(target, *record.Values, nullptr);
    if (refusal == nullptr) refusal = RowRuleRefusal(target.Table, target.Columns, *record.Values);
    if (refusal != nullptr) {
        FlushInserts(target);
        if (rejected_) return;
        return RefuseBy(target, record, refusal);
    }
    TVariantArray values;
    values.reserve(target.Written.size());
    for (size_t i : target.Written) values.push_back((*record.Values)[i]);
    inserted_.push_back(record);
    insertValues_.push_back(std::move(values));
}

// The batch goes in the engine's fastest bulk form; only when the database refuses it is
// it run again row by row, to name the record it refused.
void TChangeApplier::FlushInserts(const TTarget& target) {
    if (inserted_.empty() || rejected_) return;
    ctx_.Db.Exec("SAVEPOINT inserts");
    try {
        ctx_.Db.InsertRows(QuoteIdentifier(target.Table), target.InsertColumns, insertValues_);
        ctx_.Db.Exec("RELEASE SAVEPOINT inserts");
        for (const TDeltaRecord& record : inserted_) {
            audit_.Added(target.Table, DocumentOf(target, *record.Values));
            NoteOrderLineChange(target, DocumentOf(target, *record.Values));
        }
    } catch (const soci::soci_error& e) {
        if (!ctx_.Db.Dialect().IsConstraintViolation(e)) throw;
        ctx_.Db.Exec("ROLLBACK TO SAVEPOINT inserts");
        FindRefusedInsert(target);
    }
    inserted_.clear();
    insertValues_.clear();
}

void TChangeApplier::FindRefusedInsert(const TTarget& target) {
    std::string marks = "?";
    for (size_t i = 1; i < target.Written.size(); ++i) marks += ", ?";
    const std::string sql =
        "INSERT INTO " + QuoteIdentifier(target.Table) + " (" + target.InsertColumns + ") VALUES (" + marks + ")";
    std::vector<long long> changed;
    rejected_ = true;
    try {
        ctx_.Db.ExecuteMany(sql, insertValues_, changed);
        Refuse(target, inserted_.front(), "не може да бъде записан");
    } catch (const soci::soci_error& e) {
        if (!ctx_.Db.Dialect().IsConstraintViolation(e)) throw;
        Refuse(target, inserted_.at(changed.size()), std::string("не може да бъде записан: ") + e.what());
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
    if (!OfCompany(target, values)) return Refuse(target, record, "е на друга фирма");
    if (Locked(target, record, false)) return RefuseLocked(target, record);
    if (const std::string* column = ServerColumn(target, values, &original))
        return RefuseServerColumn(target, record, *column);
    if (const char* refusal = DocumentState(target, original, false)) return RefuseBy(target, record, refusal);
    if (const char* refusal = ClosedOrder(target, original, &values)) return RefuseBy(target, record, refusal);
    if (const char* refusal = RowRuleRefusal(target.Table, target.Columns, values)) return RefuseBy(target, record, refusal);
    std::vector<size_t> changedAccounts;
    for (size_t i : target.AccountFields)
        if (!(values[i] == original[i])) changedAccounts.push_back(i);
    if (const Variant* account = UnknownAccount(values, changedAccounts))
        return RefuseUnknownAccount(target, record, *account);
    std::string sql = "UPDATE " + QuoteIdentifier(target.Table) + " SET " + sets + " WHERE Id = ?" +
                      MatchClause(target.Columns, changed, original, params);
    Scoped(target, sql, params);
    if (!Run(target, record, sql, params)) return;
    const std::string key = original[target.KeyIndex].AsString(), document = DocumentOf(target, original);
    for (size_t i : changed) {
        audit_.Changed(target.Table, document, key, target.Columns[i], original[i], values[i]);
        if (TOrderApproval::ChangesWhatIsApproved(target.Columns[i])) NoteOrderLineChange(target, document);
    }
}

void TChangeApplier::NoteOrderLineChange(const TTarget& target, const std::string& document) {
    if (target.Header != nullptr && EqualsIgnoreCase(target.Table, "D_PurchaseLine")) changedOrders_.insert(document);
}

std::string TChangeApplier::DocumentOf(const TTarget& target, const std::vector<Variant>& values) const {
    const size_t field = target.Header != nullptr && target.MasterIndex ? *target.MasterIndex : target.KeyIndex;
    return values[field].AsString();
}

void TChangeApplier::Scoped(const TTarget& target, std::string& sql, TVariantArray& params) const {
    sql += target.Scope;
    params.insert(params.end(), target.ScopeParams.begin(), target.ScopeParams.end());
}

// A record goes to the session's company: its own Comp_Id, or for a line its header's.
bool TChangeApplier::OfCompany(const TTarget& target, const std::vector<Variant>& values) {
    const std::string& company = ctx_.Session.CompanyId;
    if (company.empty()) return true;
    if (target.Header == nullptr) {
        for (size_t i = 0; i < target.Columns.size(); ++i)
            if (EqualsIgnoreCase(target.Columns[i], "Comp_Id")) return values[i].AsString() == company;
        return true;
    }
    for (size_t i = 0; i < target.Columns.size(); ++i) {
        if (!EqualsIgnoreCase(target.Columns[i], "Master_Id")) continue;
        const std::string master = values[i].AsString();
        if (ownHeaders_.count(master) != 0) return true;
        const bool own = !ctx_.Db.Select("SELECT 1 FROM " + QuoteIdentifier(target.Header->Name) +
                                             " WHERE id = ? AND comp_id = ?", {master, company})
                              .Empty();
        if (own) ownHeaders_.insert(master);
        return own;
    }
    return false;
}

// A record that would mark a row posted, or change a row the server has posted.
bool TChangeApplier::Locked(const TTarget& target, const TDeltaRecord& record, bool inserted) {
    if (target.Lock == nullptr) return false;
    if (target.LockIndex && record.Values != nullptr && (*record.Values)[*target.LockIndex].AsInteger() != 0) return true;
    if (inserted) return false;
    return !ctx_.Db.Select("SELECT 1 FROM " + QuoteIdentifier(target.Table) + " WHERE id = ? AND COALESCE(" +
                               QuoteIdentifier(target.Lock->Column) + ", 0) <> 0",
                           {(*record.Original)[target.KeyIndex]})
                .Empty();
}

void TChangeApplier::RefuseLocked(const TTarget& target, const TDeltaRecord& record) {
    RefuseBy(target, record, target.Lock->RefusalKey);
}

void TChangeApplier::RefuseBy(const TTarget& target, const TDeltaRecord& record, const char* key) {
    ctx_.RefusalKey = key;
    Refuse(target, record, std::string("е отказан: ") + MessageText(ctx_, key));
}

const char* TChangeApplier::ClosedOrder(const TTarget& target, const std::vector<Variant>& stored,
                                        const std::vector<Variant>* changed) {
    if (!target.OrderIndex) return nullptr;
    const bool reopening = changed != nullptr && target.StatusIndex &&
                           (*changed)[*target.StatusIndex].AsInteger() == 0 &&
                           stored[*target.StatusIndex].AsInteger() != 0;
    return orders_.Refusal(stored[*target.OrderIndex].AsString(), reopening);
}

const char* TChangeApplier::DocumentState(const TTarget& target, const std::vector<Variant>& stored, bool deleting) {
    if (!target.OrderIndex) return nullptr;
    const std::string document = stored[*target.OrderIndex].AsString();
    const bool line = target.Header != nullptr;
    const std::string deletedLine = line && deleting ? stored[target.KeyIndex].AsString() : std::string();
    return documents_.Refusal(document, deleting, deletedLine);
}

const std::string* TChangeApplier::ServerColumn(const TTarget& target, const std::vector<Variant>& values,
                                                const std::vector<Variant>* stored) {
    using enum TAccessPolicy::TColumnWrite;
    for (const auto& [field, write] : target.ServerFields) {
        if (stored == nullptr) {
            const bool empty = values[field].IsEmpty() || values[field] == Variant(int64_t{0});
            if (write != cwAtInsert && !empty) return &target.Columns[field];
            continue;
        }
        if (values[field] == (*stored)[field]) continue;
        if (write == cwOrderStatus && target.OrderIndex && documents_.IsOrder((*stored)[*target.OrderIndex].AsString()))
            continue;
        return &target.Columns[field];
    }
    return nullptr;
}

void TChangeApplier::RefuseServerColumn(const TTarget& target, const TDeltaRecord& record, const std::string& column) {
    ctx_.RefusalKey = TAccessPolicy::kServerColumnKey;
    ctx_.RefusalArg = column;
    Refuse(target, record,
           "е отказан: " + FormatMessage(MessageText(ctx_, TAccessPolicy::kServerColumnKey), {column}));
}

const Variant* TChangeApplier::UnknownAccount(const std::vector<Variant>& values, const std::vector<size_t>& fields) {
    for (size_t i : fields) {
        const std::string code = values[i].AsString();
        if (code.empty()) continue;
        if (ctx_.Db.Select("SELECT 1 FROM G_LAccount WHERE Comp_Id = ? AND Code = ? AND Heading = 0",
                           {ctx_.Session.CompanyId, code})
                .Empty())
            return &values[i];
    }
    return nullptr;
}

void TChangeApplier::RefuseUnknownAccount(const TTarget& target, const TDeltaRecord& record, const Variant& account) {
    ctx_.RefusalKey = TAccessPolicy::kUnknownAccountKey;
    ctx_.RefusalArg = account.AsString();
    Refuse(target, record, "е отказан: " + FormatMessage(MessageText(ctx_, TAccessPolicy::kUnknownAccountKey),
                                                         {ctx_.RefusalArg}));
}

bool TChangeApplier::Run(const TTarget& target, const TDeltaRecord& record, const std::string& sql,
                         const TVariantArray& values) {
    try {
        if (ctx_.Db.Execute(sql, values) != 0) return true;
        Refuse(target, record, "е променен или изтрит от друг потребител");
    } catch (const soci::soci_error& e) {
        if (!ctx_.Db.Dialect().IsConstraintViolation(e)) throw;
        // PostgreSQL takes no further statement in a transaction after a refused one.
        rejected_ = true;
        Refuse(target, record, std::string("не може да бъде записан: ") + e.what());
    }
    return false;
}

void TChangeApplier::Refuse(const TTarget& target, const TDeltaRecord& record, const std::string& why) {
    ++refused_;
    if (refused_ > kMaxReportedRefusals) return;
    const std::vector<Variant>& values = record.Original != nullptr ? *record.Original : *record.Values;
    if (!errors_.empty()) errors_ += '\n';
    errors_ += "Записът " + values[target.KeyIndex].AsString() + " в " + target.Table + " " + why;
}

}  // namespace tavrek::server
