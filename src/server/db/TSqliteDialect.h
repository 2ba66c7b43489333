#pragma once

#include <memory>

#include "server/db/IDbDialect.h"
#include "server/db/TWalCheckpointer.h"

namespace tavrek::server {

// A company in one SQLite file: WAL so that several processes share it, copied back into
// the file in the background; foreign keys, an immediate write lock per server method.
class TSqliteDialect : public IDbDialect {
public:
    const char* Name() const override { return "sqlite"; }
    void Configure(TDbSession& db) const override;
    void PrepareForSharing(TDbSession& db) const override;
    std::string BeginWrite() const override { return "BEGIN IMMEDIATE"; }
    std::string BeginRead() const override { return "BEGIN DEFERRED"; }
    void ExecScript(TDbSession& db, const std::string& sql) const override;
    std::string SchemaDdl(const std::string& sql) const override { return sql; }
    std::vector<TCatalogRow> Catalog(TDbSession& db) const override;
    bool HasRelation(TDbSession& db, const std::string& name) const override;
    std::string LockRow() const override { return ""; }
    void ExecuteMany(TDbSession& db, const std::string& sql, const std::vector<TVariantArray>& rows,
                     std::vector<long long>& changed) const override;
    void InsertRows(TDbSession& db, const std::string& table, const std::string& columns,
                    const std::vector<TVariantArray>& rows) const override;
    std::unique_ptr<IDbQuery> PrepareQuery(TDbSession& db, const std::string& sql) const override;
    void ReadRow(soci::statement& statement, const soci::row& row, TVariantArray& values) const override;
    std::string CheckIntegrity(TDbSession& db) const override;
    void Backup(TDbSession& db, const std::string& dest) const override;
    void SetReferenceChecks(TDbSession& db, bool on) const override;
    void ContinueGeneratedKeys(TDbSession&) const override {}
    bool IsConstraintViolation(const soci::soci_error& err) const override;
    bool IsConnectionLost(const soci::soci_error&) const override { return false; }
    bool IsTransientConflict(const soci::soci_error& err) const override;

private:
    mutable std::unique_ptr<TWalCheckpointer> checkpointer_;
};

}  // namespace tavrek::server
