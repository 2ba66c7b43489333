#include "server/db/TSqliteDialect.h"

#include <memory>
#include <stdexcept>

#include <soci/sqlite3/soci-sqlite3.h>

#include "server/db/TDbSession.h"

namespace tavrek::server {
namespace {

namespace sq = sqlite_api;

sq::sqlite3* Handle(TDbSession& db) {
    return static_cast<soci::sqlite3_session_backend*>(db.Soci().get_backend())->conn_;
}

void Check(sq::sqlite3* handle, int code, const std::string& what) {
    if (code != SQLITE_OK && code != SQLITE_DONE)
        throw soci::sqlite3_soci_error(what + ": " + sq::sqlite3_errmsg(handle), code);
}

// SQLite's own value of a column: the driver would read an expression as text.
Variant NativeValue(sq::sqlite3_stmt* stmt, int column) {
    switch (sq::sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL: return Variant();
        case SQLITE_INTEGER: return Variant(static_cast<int64_t>(sq::sqlite3_column_int64(stmt, column)));
        case SQLITE_FLOAT: return Variant(sq::sqlite3_column_double(stmt, column));
        default: break;
    }
    const auto* text = reinterpret_cast<const char*>(sq::sqlite3_column_text(stmt, column));
    return Variant(std::string(text, static_cast<size_t>(sq::sqlite3_column_bytes(stmt, column))));
}

void BindValue(sq::sqlite3_stmt* stmt, int index, const Variant& value) {
    switch (value.Type()) {
        case TVarType::varNull: sq::sqlite3_bind_null(stmt, index); return;
        case TVarType::varBoolean:
        case TVarType::varInteger: sq::sqlite3_bind_int64(stmt, index, value.AsInteger()); return;
        case TVarType::varDouble:
        case TVarType::varDate: sq::sqlite3_bind_double(stmt, index, value.AsFloat()); return;
        case TVarType::varString: break;
    }
    const std::string text = value.AsString();
    const auto copied = reinterpret_cast<sq::sqlite3_destructor_type>(static_cast<intptr_t>(-1));
    sq::sqlite3_bind_text(stmt, index, text.c_str(), static_cast<int>(text.size()), copied);
}

// SQLite's own threshold for copying the log back, here reached without waiting for the copy.
constexpr int kCheckpointPages = 1000;
// Writers in close succession never give the log the pause it needs to start over: at about
// 64 MB the committing writer waits for the copy, and the next one starts the log anew.
constexpr int kLogBound = 16000;

int OnCommit(void* checkpointer, sq::sqlite3*, const char*, int logPages) {
    if (logPages >= kLogBound)
        static_cast<TWalCheckpointer*>(checkpointer)->CopyAndWait();
    else if (logPages >= kCheckpointPages)
        static_cast<TWalCheckpointer*>(checkpointer)->Request();
    return SQLITE_OK;
}

class TSqliteQuery : public IDbQuery {
public:
    TSqliteQuery(sq::sqlite3* handle, const std::string& sql) : handle_(handle) {
        Check(handle, sq::sqlite3_prepare_v2(handle, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr), sql);
    }
    ~TSqliteQuery() override { sq::sqlite3_finalize(stmt_); }
    TSqliteQuery(const TSqliteQuery&) = delete;
    TSqliteQuery& operator=(const TSqliteQuery&) = delete;

    std::vector<std::string> Columns() const override {
        std::vector<std::string> names;
        for (int i = 0; i < sq::sqlite3_column_count(stmt_); ++i) names.emplace_back(sq::sqlite3_column_name(stmt_, i));
        return names;
    }

    void ForEachRow(const TVariantArray& values, const std::function<void(TVariantArray&)>& onRow) override {
        // Reset also when onRow throws, so that the statement holds no read lock.
        const std::unique_ptr<sq::sqlite3_stmt, int (*)(sq::sqlite3_stmt*)> reset(stmt_, sq::sqlite3_reset);
        const int parameters = sq::sqlite3_bind_parameter_count(stmt_);
        for (int i = 1; i <= parameters; ++i) {
            if (static_cast<size_t>(i) > values.size())
                throw std::invalid_argument("Липсва стойност за параметър " + std::to_string(i));
            BindValue(stmt_, i, values[static_cast<size_t>(i - 1)]);
        }
        TVariantArray row(static_cast<size_t>(sq::sqlite3_column_count(stmt_)));
        int code = SQLITE_ROW;
        while ((code = sq::sqlite3_step(stmt_)) == SQLITE_ROW) {
            for (size_t c = 0; c < row.size(); ++c) row[c] = NativeValue(stmt_, static_cast<int>(c));
            onRow(row);
        }
        Check(handle_, code, sq::sqlite3_sql(stmt_));
    }

private:
    sq::sqlite3* handle_;
    sq::sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace

std::unique_ptr<IDbQuery> TSqliteDialect::PrepareQuery(TDbSession& db, const std::string& sql) const {
    return std::make_unique<TSqliteQuery>(Handle(db), sql);
}

// A prepared statement stepped per row costs no round trip here.
void TSqliteDialect::ExecuteMany(TDbSession& db, const std::string& sql, const std::vector<TVariantArray>& rows,
                                 std::vector<long long>& changed) const {
    for (const TVariantArray& row : rows) changed.push_back(db.Execute(sql, row));
}

void TSqliteDialect::Configure(TDbSession& db) const { db.Exec("PRAGMA foreign_keys = ON"); }

void TSqliteDialect::PrepareForSharing(TDbSession& db) const {
    const TRequestResult journal = db.Select("PRAGMA journal_mode = WAL");
    if (journal.Value().AsString() != "wal") throw std::runtime_error("режимът WAL не може да бъде включен");
    db.Exec("PRAGMA synchronous = NORMAL");
    // A posting of ten thousand lines touches tens of megabytes of pages; in the default cache
    // of two megabytes they would be written to the log half way through and read back.
    db.Exec("PRAGMA cache_size = -65536");
    checkpointer_ = std::make_unique<TWalCheckpointer>(sq::sqlite3_db_filename(Handle(db), "main"));
    sq::sqlite3_wal_hook(Handle(db), OnCommit, checkpointer_.get());
}

void TSqliteDialect::ExecScript(TDbSession& db, const std::string& sql) const {
    char* error = nullptr;
    const int code = sq::sqlite3_exec(Handle(db), sql.c_str(), nullptr, nullptr, &error);
    if (code == SQLITE_OK) return;
    const std::string message = error != nullptr ? error : "";
    sq::sqlite3_free(error);
    throw soci::sqlite3_soci_error(message, code);
}

bool TSqliteDialect::HasRelation(TDbSession& db, const std::string& name) const {
    return !db.Select("SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND lower(name) = lower(?)", {name})
                .Empty();
}

std::vector<TCatalogRow> TSqliteDialect::Catalog(TDbSession& db) const {
    const TRequestResult rows = db.Select(
        "SELECT m.name, m.type, c.name, c.type FROM sqlite_master m JOIN pragma_table_info(m.name) c "
        "WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY m.name, c.cid");
    std::vector<TCatalogRow> catalog;
    for (const TVariantArray& row : rows.Rows)
        catalog.push_back({row[0].AsString(), row[1].AsString() == "view", row[2].AsString(), row[3].AsString()});
    return catalog;
}

// One statement prepared for the call and stepped once per row: in process, a row costs a
// few binds, where a long multi-row text would cost its parsing.
void TSqliteDialect::InsertRows(TDbSession& db, const std::string& table, const std::string& columns,
                                const std::vector<TVariantArray>& rows) const {
    if (rows.empty()) return;
    std::string sql = "INSERT INTO " + table + " (" + columns + ") VALUES (?";
    for (size_t c = 1; c < rows.front().size(); ++c) sql += ", ?";
    sql += ")";
    sq::sqlite3* handle = Handle(db);
    sq::sqlite3_stmt* raw = nullptr;
    Check(handle, sq::sqlite3_prepare_v2(handle, sql.c_str(), -1, &raw, nullptr), table);
    const std::unique_ptr<sq::sqlite3_stmt, int (*)(sq::sqlite3_stmt*)> statement(raw, sq::sqlite3_finalize);
    for (const TVariantArray& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) BindValue(raw, static_cast<int>(c + 1), row[c]);
        Check(handle, sq::sqlite3_step(raw), table);
        sq::sqlite3_reset(raw);
    }
}

void TSqliteDialect::ReadRow(soci::statement& statement, const soci::row& row, TVariantArray& values) const {
    sq::sqlite3_stmt* stmt = static_cast<soci::sqlite3_statement_backend*>(statement.get_backend())->stmt_;
    values.resize(row.size());
    for (size_t i = 0; i < row.size(); ++i) values[i] = NativeValue(stmt, static_cast<int>(i));
}

std::string TSqliteDialect::CheckIntegrity(TDbSession& db) const {
    std::string report;
    for (const TVariantArray& row : db.Select("PRAGMA integrity_check").Rows)
        report += (report.empty() ? "" : "\n") + row[0].AsString();
    for (const TVariantArray& row : db.Select("PRAGMA foreign_key_check").Rows) {
        report = report == "ok" ? std::string() : report + '\n';
        report += "нарушена връзка в " + row[0].AsString() + " към " + row[2].AsString();
    }
    return report;
}

void TSqliteDialect::Backup(TDbSession& db, const std::string& dest) const {
    sq::sqlite3* target = nullptr;
    const int opened = sq::sqlite3_open(dest.c_str(), &target);
    const std::unique_ptr<sq::sqlite3, int (*)(sq::sqlite3*)> closer(target, sq::sqlite3_close);
    Check(target, opened, "Копието '" + dest + "' не може да бъде създадено");
    sq::sqlite3_backup* backup = sq::sqlite3_backup_init(target, "main", Handle(db), "main");
    if (backup == nullptr) Check(target, sq::sqlite3_errcode(target), "Копието не може да започне");
    sq::sqlite3_backup_step(backup, -1);
    Check(target, sq::sqlite3_backup_finish(backup), "Копието не завърши");
}

void TSqliteDialect::SetReferenceChecks(TDbSession& db, bool on) const {
    db.Exec(on ? "PRAGMA foreign_keys = ON" : "PRAGMA foreign_keys = OFF");
}

bool TSqliteDialect::IsConstraintViolation(const soci::soci_error& err) const {
    const auto* sqlite = dynamic_cast<const soci::sqlite3_soci_error*>(&err);
    return sqlite != nullptr && (sqlite->result() & 0xff) == SQLITE_CONSTRAINT;
}

bool TSqliteDialect::IsTransientConflict(const soci::soci_error& err) const {
    const auto* sqlite = dynamic_cast<const soci::sqlite3_soci_error*>(&err);
    const int primary = sqlite == nullptr ? 0 : sqlite->result() & 0xff;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

}  // namespace tavrek::server
