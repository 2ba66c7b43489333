#include "server/CompanyDatabase.h"

#include <filesystem>
#include <optional>

#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <sqlite3.h>

#include "base/data/TDateTime.h"
#include "server/schema/TMigrations.h"

namespace tavrek::server {
namespace {

constexpr int kBusyTimeoutMs = 15000;

bool HasTable(SQLite::Database& db, const std::string& name) {
    SQLite::Statement query(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?");
    query.bind(1, name);
    return query.executeStep();
}

int TableCount(SQLite::Database& db) {
    return db.execAndGet("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table'").getInt();
}

// The first read of a file that is not SQLite fails here rather than at open.
void CheckReadable(SQLite::Database& db, const std::string& path) {
    try {
        db.setBusyTimeout(kBusyTimeoutMs);
        db.exec("PRAGMA foreign_keys = ON");
        TableCount(db);
    } catch (const SQLite::Exception& e) {
        throw ECompanyDatabaseError("Файлът '" + path + "' не е фирмена база данни: " + e.what());
    }
}

// WAL lets readers and one writer of several processes work at once; set only on our own files.
void Configure(SQLite::Database& db, const std::string& path) {
    try {
        const std::string journal = db.execAndGet("PRAGMA journal_mode = WAL").getString();
        if (journal != "wal") throw ECompanyDatabaseError("Файлът '" + path + "' не може да работи в режим WAL");
        db.exec("PRAGMA synchronous = NORMAL");
    } catch (const SQLite::Exception& e) {
        throw ECompanyDatabaseError("Файлът '" + path + "' не е фирмена база данни: " + e.what());
    }
}

void CheckVersion(SQLite::Database& db, const std::string& path, TOpenMode mode) {
    if (!HasTable(db, "S_SchemaVersion")) {
        if (mode == TOpenMode::omCreate && TableCount(db) == 0) return;
        throw ECompanyDatabaseError("Файлът '" + path + "' не е фирмена база данни на Tavrek");
    }
    const int version = SchemaVersion(db);
    if (version > LatestSchemaVersion())
        throw ECompanyDatabaseError("Базата данни '" + path + "' е с версия " + std::to_string(version) +
                                    ", по-нова от поддържаната " + std::to_string(LatestSchemaVersion()) +
                                    ". Обновете програмата.");
}

}  // namespace

std::unique_ptr<SQLite::Database> OpenCompanyDatabase(const std::string& path, TOpenMode mode, bool upgrade) {
    if (mode == TOpenMode::omExisting && !std::filesystem::is_regular_file(path))
        throw ECompanyDatabaseError("Файлът '" + path + "' не съществува");
    const int flags = SQLite::OPEN_READWRITE | (mode == TOpenMode::omCreate ? SQLite::OPEN_CREATE : 0);
    std::unique_ptr<SQLite::Database> db;
    try {
        db = std::make_unique<SQLite::Database>(path, flags);
    } catch (const SQLite::Exception& e) {
        throw ECompanyDatabaseError("Файлът '" + path + "' не може да бъде отворен: " + e.what());
    }
    CheckReadable(*db, path);
    CheckVersion(*db, path, mode);
    Configure(*db, path);
    if (upgrade && SchemaVersion(*db) < LatestSchemaVersion()) UpgradeSchema(*db);
    return db;
}

int SchemaVersion(SQLite::Database& db) {
    if (!HasTable(db, "S_SchemaVersion")) return 0;
    return db.execAndGet("SELECT COALESCE(MAX(Version), 0) FROM S_SchemaVersion").getInt();
}

int UpgradeSchema(SQLite::Database& db) {
    // Joins a transaction the caller has open (creating a demo company), else opens one.
    std::optional<SQLite::Transaction> transaction;
    if (sqlite3_get_autocommit(db.getHandle()) != 0) transaction.emplace(db, SQLite::TransactionBehavior::IMMEDIATE);
    db.exec("CREATE TABLE IF NOT EXISTS S_SchemaVersion (Version INTEGER PRIMARY KEY, Name TEXT NOT NULL, "
            "AppliedAt DATETIME NOT NULL)");
    const int current = SchemaVersion(db);
    int applied = 0;
    for (const TMigration& migration : Migrations()) {
        if (migration.Version <= current) continue;
        db.exec(migration.Sql);
        SQLite::Statement record(db, "INSERT INTO S_SchemaVersion (Version, Name, AppliedAt) VALUES (?, ?, ?)");
        record.bind(1, migration.Version);
        record.bind(2, migration.Name);
        record.bind(3, TDateTime::Now().Serial());
        record.exec();
        ++applied;
    }
    if (transaction) transaction->commit();
    return applied;
}

std::string CheckIntegrity(SQLite::Database& db) {
    SQLite::Statement query(db, "PRAGMA integrity_check");
    std::string report;
    while (query.executeStep()) {
        if (!report.empty()) report += '\n';
        report += query.getColumn(0).getString();
    }
    SQLite::Statement keys(db, "PRAGMA foreign_key_check");
    while (keys.executeStep()) {
        report = report == "ok" ? std::string() : report + '\n';
        report += "нарушена връзка в " + keys.getColumn(0).getString() + " към " + keys.getColumn(2).getString();
    }
    return report;
}

void BackupDatabase(SQLite::Database& db, const std::string& dest) {
    db.backup(dest.c_str(), SQLite::Database::Save);
}

}  // namespace tavrek::server
