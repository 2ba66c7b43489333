#include "server/CompanyDatabase.h"

#include <filesystem>
#include <optional>
#include <regex>

#include "base/data/TDateTime.h"
#include "server/db/TDbTransaction.h"
#include "server/schema/TMigrations.h"

namespace tavrek::server {
namespace {

bool IsEmpty(TDbSession& db) { return db.Dialect().Catalog(db).empty(); }

std::string Described(const std::string& address) {
    return IsPostgresAddress(address) ? "Базата данни '" + address + "'" : "Файлът '" + address + "'";
}

std::unique_ptr<TDbSession> Connect(const std::string& address) {
    try {
        return std::make_unique<TDbSession>(address);
    } catch (const std::exception& e) {
        throw ECompanyDatabaseError(Described(address) + " не може да бъде отворен(а): " + e.what());
    }
}

void CheckVersion(TDbSession& db, TOpenMode mode) {
    if (!db.Dialect().HasRelation(db, "S_SchemaVersion")) {
        if (mode == TOpenMode::omCreate && IsEmpty(db)) return;
        throw ECompanyDatabaseError(Described(db.Address()) + " не е фирмена база данни на Tavrek");
    }
    const int version = SchemaVersion(db);
    if (version > LatestSchemaVersion())
        throw ECompanyDatabaseError("Базата данни '" + db.Address() + "' е с версия " + std::to_string(version) +
                                    ", по-нова от поддържаната " + std::to_string(LatestSchemaVersion()) +
                                    ". Обновете програмата.");
}

// Dates are REAL serial days; the stored type DATEREAL keeps them dates for the catalog,
// while the SQLite driver would try to parse a DATETIME column as text.
std::string MigrationSql(TDbSession& db, const std::string& sql) {
    static const std::regex datetime(R"(\bDATETIME\b)", std::regex::icase);
    return db.Dialect().SchemaDdl(std::regex_replace(sql, datetime, "DATEREAL"));
}

}  // namespace

std::unique_ptr<TDbSession> OpenCompanyDatabase(const std::string& address, TOpenMode mode, bool upgrade) {
    if (!IsPostgresAddress(address) && mode == TOpenMode::omExisting && !std::filesystem::is_regular_file(address))
        throw ECompanyDatabaseError("Файлът '" + address + "' не съществува");
    std::unique_ptr<TDbSession> db = Connect(address);
    try {
        CheckVersion(*db, mode);
        db->Dialect().PrepareForSharing(*db);
    } catch (const ECompanyDatabaseError&) {
        throw;
    } catch (const std::exception& e) {
        throw ECompanyDatabaseError(Described(address) + " не е фирмена база данни: " + e.what());
    }
    if (upgrade && SchemaVersion(*db) < LatestSchemaVersion()) UpgradeSchema(*db);
    return db;
}

int SchemaVersion(TDbSession& db) {
    if (!db.Dialect().HasRelation(db, "S_SchemaVersion")) return 0;
    return static_cast<int>(db.Select("SELECT COALESCE(MAX(Version), 0) FROM S_SchemaVersion").Value().AsInteger());
}

int UpgradeSchema(TDbSession& db, const std::vector<TMigration>& migrations) {
    // Joins a transaction the caller has open (creating a demo company), else opens one.
    std::optional<TDbTransaction> transaction;
    if (!db.InTransaction()) transaction.emplace(db, TTransactionKind::tkWrite);
    db.Exec(MigrationSql(db, "CREATE TABLE IF NOT EXISTS S_SchemaVersion (Version INTEGER PRIMARY KEY, "
                             "Name TEXT NOT NULL, AppliedAt DATETIME NOT NULL)"));
    const int current = SchemaVersion(db);
    int applied = 0;
    for (const TMigration& migration : migrations) {
        if (migration.Version <= current) continue;
        db.Exec(MigrationSql(db, migration.Sql));
        db.Execute("INSERT INTO S_SchemaVersion (Version, Name, AppliedAt) VALUES (?, ?, ?)",
                   {migration.Version, migration.Name, TDateTime::Now().Serial()});
        ++applied;
    }
    if (applied > 0) db.Exec(MigrationSql(db, HeaderViewsSql()));
    if (transaction) transaction->Commit();
    return applied;
}

std::string CheckIntegrity(TDbSession& db) { return db.Dialect().CheckIntegrity(db); }

void BackupDatabase(TDbSession& db, const std::string& dest) { db.Dialect().Backup(db, dest); }

}  // namespace tavrek::server
