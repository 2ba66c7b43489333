#include "server/db/TPostgresDialect.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>

#include <soci/postgresql/soci-postgresql.h>

#include "server/db/TDbSession.h"
#include "server/db/TDbStatement.h"

namespace tavrek::server {
namespace {

PGconn* Handle(TDbSession& db) {
    return static_cast<soci::postgresql_session_backend*>(db.Soci().get_backend())->conn_;
}

Variant RowValue(const soci::row& row, size_t i) {
    if (row.get_indicator(i) == soci::i_null) return Variant();
    switch (row.get_properties(i).get_data_type()) {
        case soci::dt_double: return Variant(row.get<double>(i));
        case soci::dt_integer: return Variant(static_cast<int64_t>(row.get<int>(i)));
        case soci::dt_long_long: return Variant(static_cast<int64_t>(row.get<long long>(i)));
        case soci::dt_unsigned_long_long: return Variant(static_cast<int64_t>(row.get<unsigned long long>(i)));
        default: break;
    }
    return Variant(row.get<std::string>(i));
}

// Runs per pipeline: few enough that the answers fit the socket while the rows are sent.
constexpr size_t kRowsPerRoundTrip = 500;

std::string ParamText(const Variant& value) {
    switch (value.Type()) {
        case TVarType::varBoolean:
        case TVarType::varInteger: return std::to_string(value.AsInteger());
        case TVarType::varDouble:
        case TVarType::varDate: {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", value.AsFloat());
            return text;
        }
        default: break;
    }
    return value.AsString();
}

[[noreturn]] void ThrowError(PGconn* conn, const std::string& message, const std::string& sqlstate) {
    throw soci::postgresql_soci_error(message.empty() ? PQerrorMessage(conn) : message,
                                      sqlstate.empty() ? "08006" : sqlstate.c_str());
}

// Statements sent one after the other without waiting, answered after one sync.
class TPipeline {
public:
    explicit TPipeline(PGconn* conn) : conn_(conn) {
        if (PQenterPipelineMode(conn_) != 1) ThrowError(conn_, "", "");
    }
    ~TPipeline() { PQexitPipelineMode(conn_); }
    TPipeline(const TPipeline&) = delete;
    TPipeline& operator=(const TPipeline&) = delete;

    void Send(const std::vector<size_t>& order, const TVariantArray& row) {
        std::vector<std::string> texts(order.size());
        std::vector<const char*> values(order.size(), nullptr);
        for (size_t k = 0; k < order.size(); ++k) {
            const Variant& value = row.at(order[k]);
            if (value.IsNull()) continue;
            texts[k] = ParamText(value);
            values[k] = texts[k].c_str();
        }
        if (PQsendQueryPrepared(conn_, "", static_cast<int>(values.size()), values.data(), nullptr, nullptr, 0) != 1)
            ThrowError(conn_, "", "");
    }

    // Reads the answers up to the sync: the preparation's first, then one per row into
    // changed until the first error, which is thrown once every answer is read.
    void Finish(std::vector<long long>& changed) {
        if (PQpipelineSync(conn_) != 1) ThrowError(conn_, "", "");
        std::string error, sqlstate;
        bool prepared = false;
        for (int empty = 0; empty < 2;) {
            PGresult* result = PQgetResult(conn_);
            if (result == nullptr) {
                empty = PQstatus(conn_) == CONNECTION_BAD ? 2 : empty + 1;
                continue;
            }
            empty = 0;
            const ExecStatusType status = PQresultStatus(result);
            if (status == PGRES_PIPELINE_SYNC) {
                PQclear(result);
                break;
            }
            if (status == PGRES_FATAL_ERROR && error.empty()) {
                error = PQresultErrorMessage(result);
                const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
                sqlstate = state != nullptr ? state : "";
            } else if (status == PGRES_COMMAND_OK && prepared && error.empty()) {
                changed.push_back(std::atoll(PQcmdTuples(result)));
            }
            prepared = true;
            PQclear(result);
        }
        if (!error.empty() || PQstatus(conn_) == CONNECTION_BAD) ThrowError(conn_, error, sqlstate);
    }

private:
    PGconn* conn_;
};

// Throws the engine's report of a failed result, which it frees.
[[noreturn]] void Raise(PGconn* conn, PGresult* result) {
    const char* state = PQresultErrorField(result, PG_DIAG_SQLSTATE);
    const std::string message = PQerrorMessage(conn);
    const std::string sqlstate = state != nullptr ? state : "08000";
    PQclear(result);
    throw soci::postgresql_soci_error(message, sqlstate.c_str());
}

void Expect(PGconn* conn, PGresult* result, ExecStatusType status) {
    if (PQresultStatus(result) != status) Raise(conn, result);
    PQclear(result);
}

// A value in COPY's text form: \N for null, numbers as they read back exactly, text with
// its backslashes, tabs and line breaks escaped.
void AppendCopyValue(std::string& out, const Variant& value) {
    char number[32];
    const auto append = [&](auto n) { out.append(number, std::to_chars(number, number + sizeof number, n).ptr); };
    switch (value.Type()) {
        case TVarType::varNull: out += "\\N"; return;
        case TVarType::varBoolean:
        case TVarType::varInteger: append(value.AsInteger()); return;
        case TVarType::varDouble:
        case TVarType::varDate: append(value.AsFloat()); return;
        case TVarType::varString: break;
    }
    for (const char c : value.AsString()) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
}

}  // namespace

// One round trip for many rows: a pipeline of the rows' runs of one unnamed statement.
void TPostgresDialect::ExecuteMany(TDbSession& db, const std::string& sql, const std::vector<TVariantArray>& rows,
                                   std::vector<long long>& changed) const {
    PGconn* conn = Handle(db);
    const TPlaceholders text = TranslatePlaceholders(sql, "$");
    for (size_t first = 0; first < rows.size(); first += kRowsPerRoundTrip) {
        TPipeline pipeline(conn);
        if (PQsendPrepare(conn, "", text.Sql.c_str(), static_cast<int>(text.Order.size()), nullptr) != 1)
            ThrowError(conn, "", "");
        const size_t last = std::min(rows.size(), first + kRowsPerRoundTrip);
        for (size_t r = first; r < last; ++r) pipeline.Send(text.Order, rows[r]);
        pipeline.Finish(changed);
    }
}

void TPostgresDialect::Configure(TDbSession& db) const { db.Exec("SET client_min_messages = warning"); }

void TPostgresDialect::ExecScript(TDbSession& db, const std::string& sql) const {
    PGconn* conn = Handle(db);
    PGresult* result = PQexec(conn, sql.c_str());
    if (PQresultStatus(result) == PGRES_TUPLES_OK) {
        PQclear(result);
        return;
    }
    Expect(conn, result, PGRES_COMMAND_OK);
}

// The rows travel in one COPY: a round trip for the lot instead of one per statement.
void TPostgresDialect::InsertRows(TDbSession& db, const std::string& table, const std::string& columns,
                                  const std::vector<TVariantArray>& rows) const {
    if (rows.empty()) return;
    std::string data;
    for (const TVariantArray& row : rows) {
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0) data += '\t';
            AppendCopyValue(data, row[c]);
        }
        data += '\n';
    }
    PGconn* conn = Handle(db);
    Expect(conn, PQexec(conn, ("COPY " + table + " (" + columns + ") FROM STDIN").c_str()), PGRES_COPY_IN);
    const bool sent = PQputCopyData(conn, data.data(), static_cast<int>(data.size())) == 1;
    if (PQputCopyEnd(conn, sent ? nullptr : "не е изпратено") != 1) Raise(conn, nullptr);
    PGresult* result = PQgetResult(conn);
    while (PGresult* extra = PQgetResult(conn)) PQclear(extra);
    Expect(conn, result, PGRES_COMMAND_OK);
}

// Dates are kept as serial days under their own domain; REAL is only single precision here.
std::string TPostgresDialect::SchemaDdl(const std::string& sql) const {
    static const std::regex real(R"(\bREAL\b)", std::regex::icase);
    static const std::regex autoincrement(R"(\bINTEGER\s+PRIMARY\s+KEY\s+AUTOINCREMENT\b)", std::regex::icase);
    std::string ddl = std::regex_replace(sql, real, "DOUBLE PRECISION");
    ddl = std::regex_replace(ddl, autoincrement, "BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY");
    return "DO $$ BEGIN CREATE DOMAIN DATEREAL AS DOUBLE PRECISION; "
           "EXCEPTION WHEN duplicate_object THEN NULL; END $$;\n" + ddl;
}

bool TPostgresDialect::HasRelation(TDbSession& db, const std::string& name) const {
    return !db.Select("SELECT 1 FROM information_schema.tables WHERE table_schema = current_schema() AND "
                      "table_name = lower(?)",
                      {name})
                .Empty();
}

std::vector<TCatalogRow> TPostgresDialect::Catalog(TDbSession& db) const {
    const TRequestResult rows = db.Select(
        "SELECT CAST(c.table_name AS TEXT), CASE WHEN t.table_type = 'VIEW' THEN 1 ELSE 0 END, "
        "CAST(c.column_name AS TEXT), CAST(COALESCE(c.domain_name, c.data_type) AS TEXT) "
        "FROM information_schema.columns c JOIN information_schema.tables t ON t.table_schema = c.table_schema "
        "AND t.table_name = c.table_name WHERE c.table_schema = current_schema() "
        "ORDER BY c.table_name, c.ordinal_position");
    std::vector<TCatalogRow> catalog;
    for (const TVariantArray& row : rows.Rows)
        catalog.push_back({row[0].AsString(), row[1].AsInteger() == 1, row[2].AsString(), row[3].AsString()});
    return catalog;
}

void TPostgresDialect::ReadRow(soci::statement&, const soci::row& row, TVariantArray& values) const {
    values.resize(row.size());
    for (size_t i = 0; i < row.size(); ++i) values[i] = RowValue(row, i);
}

// The engine keeps its constraints itself; a damaged cluster does not come this far.
std::string TPostgresDialect::CheckIntegrity(TDbSession& db) const {
    db.Select("SELECT 1");
    return "ok";
}

void TPostgresDialect::Backup(TDbSession&, const std::string&) const {
    throw std::runtime_error("Фирма в PostgreSQL се копира с 'tavrek-admin copy' или с pg_dump");
}

// Replica mode skips the reference triggers; it takes a superuser, as a copy does anyway.
void TPostgresDialect::SetReferenceChecks(TDbSession& db, bool on) const {
    db.Exec(on ? "SET session_replication_role = DEFAULT" : "SET session_replication_role = replica");
}

void TPostgresDialect::ContinueGeneratedKeys(TDbSession& db) const {
    const TRequestResult identities = db.Select(
        "SELECT CAST(table_name AS TEXT), CAST(column_name AS TEXT) FROM information_schema.columns "
        "WHERE table_schema = current_schema() AND is_identity = 'YES'");
    for (const TVariantArray& row : identities.Rows) {
        const std::string table = row[0].AsString(), column = row[1].AsString();
        db.Select("SELECT setval(pg_get_serial_sequence(?, ?), COALESCE((SELECT MAX(" + column + ") FROM " + table +
                      "), 0) + 1, false)",
                  {table, column});
    }
}

bool TPostgresDialect::IsConstraintViolation(const soci::soci_error& err) const {
    return err.get_error_category() == soci::soci_error::constraint_violation;
}

bool TPostgresDialect::IsConnectionLost(const soci::soci_error& err) const {
    const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&err);
    if (err.get_error_category() == soci::soci_error::connection_error) return true;
    if (pg == nullptr) return false;
    const std::string state = pg->sqlstate();
    return state.starts_with("08") || state.starts_with("57P");
}

bool TPostgresDialect::IsTransientConflict(const soci::soci_error& err) const {
    const auto* pg = dynamic_cast<const soci::postgresql_soci_error*>(&err);
    return pg != nullptr && (pg->sqlstate() == "40001" || pg->sqlstate() == "40P01");
}

}  // namespace tavrek::server
