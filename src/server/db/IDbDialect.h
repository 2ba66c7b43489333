#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <soci/soci.h>

#include "base/server/TRequestResult.h"

namespace tavrek::server {

class TDbSession;

// One row of the catalog: a relation, whether it is a view, and one of its columns.
struct TCatalogRow {
    std::string Relation;
    bool IsView = false;
    std::string Column;
    std::string DeclaredType;
};

// A query prepared on the engine's own statement: its rows are read straight from the engine.
class IDbQuery {
public:
    virtual ~IDbQuery() = default;
    virtual std::vector<std::string> Columns() const = 0;
    // Runs with values (the N-th value for the N-th placeholder) and hands every row to onRow.
    virtual void ForEachRow(const TVariantArray& values, const std::function<void(TVariantArray&)>& onRow) = 0;
};

// What differs between the engines a company database can live on. Everything else in
// the server is written once, in SQL both engines accept.
class IDbDialect {
public:
    virtual ~IDbDialect() = default;

    virtual const char* Name() const = 0;
    // Settings of a freshly opened connection.
    virtual void Configure(TDbSession& db) const = 0;
    // Settings of a company database that several clients share, made once it is known
    // to be one.
    virtual void PrepareForSharing(TDbSession& db) const = 0;
    virtual std::string BeginWrite() const = 0;
    virtual std::string BeginRead() const = 0;
    // Runs a script of several statements without parameters.
    virtual void ExecScript(TDbSession& db, const std::string& sql) const = 0;
    // A migration's text as this engine takes it.
    virtual std::string SchemaDdl(const std::string& sql) const = 0;
    virtual std::vector<TCatalogRow> Catalog(TDbSession& db) const = 0;
    // Whether the database has a table or view of this name, in any case of letters.
    virtual bool HasRelation(TDbSession& db, const std::string& name) const = 0;
    // What follows a SELECT of a row the transaction is about to change, so that a
    // second client waits for the first instead of reading the row before it changed.
    virtual std::string LockRow() const = 0;
    // Runs sql once per row of values, in as few round trips as the engine allows; changed
    // gets the number of rows each run changed. When a run fails, changed holds the counts
    // of the runs before it (so its size is the failing row) and the error is thrown.
    virtual void ExecuteMany(TDbSession& db, const std::string& sql, const std::vector<TVariantArray>& rows,
                             std::vector<long long>& changed) const = 0;
    // Adds rows to table, each holding the values of columns (a comma-separated list) in
    // order: thousands of rows in few calls to the engine.
    virtual void InsertRows(TDbSession& db, const std::string& table, const std::string& columns,
                            const std::vector<TVariantArray>& rows) const = 0;
    // The query on the engine's own statement, or null where the driver's statement serves:
    // the driver reads every value of every row as text before it is asked for it.
    virtual std::unique_ptr<IDbQuery> PrepareQuery(TDbSession&, const std::string&) const { return nullptr; }
    // Reads the current row of a statement into values, one per column.
    virtual void ReadRow(soci::statement& statement, const soci::row& row, TVariantArray& values) const = 0;
    // "ok", or the engine's own report of damage, one problem per line.
    virtual std::string CheckIntegrity(TDbSession& db) const = 0;
    // A consistent copy of the whole database at dest, taken while others may write.
    virtual void Backup(TDbSession& db, const std::string& dest) const = 0;
    // Turns the checks of references between tables off and on, for copying whole tables
    // in any order.
    virtual void SetReferenceChecks(TDbSession& db, bool on) const = 0;
    // After rows were copied with their own keys: generated keys continue after them.
    virtual void ContinueGeneratedKeys(TDbSession& db) const = 0;
    // Whether err says a constraint of the schema refused the statement.
    virtual bool IsConstraintViolation(const soci::soci_error& err) const = 0;
    // Whether err says the connection to the database is lost.
    virtual bool IsConnectionLost(const soci::soci_error& err) const = 0;
    // Whether err says the transaction met another one (a serialization failure, a deadlock,
    // a busy database) and would go through when run again from its start.
    virtual bool IsTransientConflict(const soci::soci_error& err) const = 0;
};

}  // namespace tavrek::server
