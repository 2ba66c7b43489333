#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>

#include <soci/soci.h>

#include "base/data/Variant.h"
#include "base/server/TRequestResult.h"
#include "server/db/IDbDialect.h"
#include "server/db/TDbStatement.h"

namespace tavrek::server {

// Whether an address names a PostgreSQL database (a libpq connection URI) rather than a
// company file.
bool IsPostgresAddress(const std::string& address);

// One connection to a company database, a SQLite file or a PostgreSQL database, with the
// dialect of its engine and the statements prepared in its life.
class TDbSession {
public:
    // Connects; throws soci::soci_error when the engine refuses.
    explicit TDbSession(const std::string& address);
    ~TDbSession();

    const std::string& Address() const { return address_; }
    const IDbDialect& Dialect() const { return *dialect_; }
    soci::session& Soci() { return session_; }

    // Runs a script of statements without parameters.
    void Exec(const std::string& sql);
    // Runs a statement with bound values; returns the number of rows changed.
    int Execute(const std::string& sql, const TVariantArray& values = {});
    TRequestResult Select(const std::string& sql, const TVariantArray& values = {});
    // Runs sql once per row of values; see IDbDialect::ExecuteMany.
    void ExecuteMany(const std::string& sql, const std::vector<TVariantArray>& rows, std::vector<long long>& changed) {
        dialect_->ExecuteMany(*this, sql, rows, changed);
    }
    // Adds rows to table, each holding the values of columns (a comma-separated list) in order.
    void InsertRows(const std::string& table, const std::string& columns, const std::vector<TVariantArray>& rows) {
        dialect_->InsertRows(*this, table, columns, rows);
    }
    // The prepared statement for sql and the types of values, kept for the session.
    TDbStatement& Prepared(const std::string& sql, const TVariantArray& values, bool returnsRows);

    // Result columns of these names hold dates (serial days) and are read as dates.
    void SetDateColumns(std::set<std::string> lowerCaseNames) { dateColumns_ = std::move(lowerCaseNames); }
    bool IsDateColumn(const std::string& name) const;
    // Result column names are handed out as spelt here (keyed by lower-case name).
    void SetSpellings(const std::map<std::string, std::string, std::less<>>* spellings) { spellings_ = spellings; }
    std::string Spelled(const std::string& name) const;

    // A session whose connection was lost connects anew before its next use.
    void MarkBroken() { broken_ = true; }
    bool Broken() const { return broken_; }
    void Reconnect();

    bool InTransaction() const { return inTransaction_; }
    void SetInTransaction(bool open) { inTransaction_ = open; }

private:
    std::string address_;
    std::unique_ptr<IDbDialect> dialect_;
    soci::session session_;
    std::unordered_map<std::string, std::unique_ptr<TDbStatement>> statements_;
    std::set<std::string> dateColumns_;
    const std::map<std::string, std::string, std::less<>>* spellings_ = nullptr;
    bool inTransaction_ = false;
    bool broken_ = false;
};

}  // namespace tavrek::server
