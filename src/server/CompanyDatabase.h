#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "server/db/TDbSession.h"
#include "server/schema/TMigrations.h"

namespace tavrek::server {

// A company database that cannot be opened as one: missing, not a database, not ours, or
// newer than this program. The text is for the user.
class ECompanyDatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TOpenMode { omExisting, omCreate };

// Opens a company database: a SQLite file (WAL, foreign keys and a busy timeout, so several
// client processes can share it) or a PostgreSQL database given by its
// postgresql://user@host:port/dbname address. omExisting refuses a missing file or one
// that is not a company database; a schema older than this program is upgraded when
// upgrade is true.
std::unique_ptr<TDbSession> OpenCompanyDatabase(const std::string& address, TOpenMode mode, bool upgrade = true);

// 0 for a database without the schema version table.
int SchemaVersion(TDbSession& db);
// Runs the missing migrations all or none, then makes the header views anew; returns how
// many were applied.
int UpgradeSchema(TDbSession& db, const std::vector<TMigration>& migrations = Migrations());
// "ok", or the problems the engine reports, one per line.
std::string CheckIntegrity(TDbSession& db);
// Online copy of the database to dest, consistent even while others write.
void BackupDatabase(TDbSession& db, const std::string& dest);

}  // namespace tavrek::server
