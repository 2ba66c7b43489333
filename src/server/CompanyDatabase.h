#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include <SQLiteCpp/Database.h>

namespace tavrek::server {

// A company database that cannot be opened as one: missing, not SQLite, not ours, or newer
// than this program. The text is for the user.
class ECompanyDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TOpenMode { omExisting, omCreate };

// Opens a company database with WAL, foreign keys and a busy timeout, so several client
// processes can share the file. omExisting refuses a missing file or one that is not a
// company database; a schema older than this program is upgraded when upgrade is true.
std::unique_ptr<SQLite::Database> OpenCompanyDatabase(const std::string& path, TOpenMode mode, bool upgrade = true);

// 0 for a database without the schema version table.
int SchemaVersion(SQLite::Database& db);
// Runs the missing migrations all or none; returns how many were applied.
int UpgradeSchema(SQLite::Database& db);
// "ok", or the problems SQLite's integrity check reports, one per line.
std::string CheckIntegrity(SQLite::Database& db);
// Online copy of the database to dest, consistent even while others write.
void BackupDatabase(SQLite::Database& db, const std::string& dest);

}  // namespace tavrek::server
