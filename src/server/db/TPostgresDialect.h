#pragma once

#include "server/db/IDbDialect.h"

namespace tavrek::server {

// A company in a PostgreSQL database shared by many clients: names fold to lower case,
// dates are serial days in the DATEREAL domain, rows about to change are locked.
class TPostgresDialect : public IDbDialect {
public:
    const char* Name() const override { return "postgresql"; }
    void Configure(TDbSession& db) const override;
    void PrepareForSharing(TDbSession&) const override {}
    std::string BeginWrite() const override { return "BEGIN ISOLATION LEVEL READ COMMITTED"; }
    std::string BeginRead() const override { return "BEGIN ISOLATION LEVEL REPEATABLE READ"; }
    void ExecScript(TDbSession& db, const std::string& sql) const override;
    std::string SchemaDdl(const std::string& sql) const override;
    std::vector<TCatalogRow> Catalog(TDbSession& db) const override;
    bool HasRelation(TDbSession& db, const std::string& name) const override;
    std::string LockRow() const override { return " FOR UPDATE"; }
    void ExecuteMany(TDbSession& db, const std::string& sql, const std::vector<TVariantArray>& rows,
                     std::vector<long long>& changed) const override;
    void InsertRows(TDbSession& db, const std::string& table, const std::string& columns,
                    const std::vector<TVariantArray>& rows) const override;
    void ReadRow(soci::statement& statement, const soci::row& row, TVariantArray& values) const override;
    std::string CheckIntegrity(TDbSession& db) const override;
    void Backup(TDbSession& db, const std::string& dest) const override;
    void SetReferenceChecks(TDbSession& db, bool on) const override;
    void ContinueGeneratedKeys(TDbSession& db) const override;
    bool IsConstraintViolation(const soci::soci_error& err) const override;
    bool IsConnectionLost(const soci::soci_error& err) const override;
    bool IsTransientConflict(const soci::soci_error& err) const override;
};

}  // namespace tavrek::server
