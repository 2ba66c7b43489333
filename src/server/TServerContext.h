#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>

#include "server/TSchemaCatalog.h"

namespace tavrek::server {

// Who calls the server: the signed-in company, business group and user of the client.
struct TServerSession {
    std::string CompanyId;
    std::string BusinessGroupId;
    std::string UserId;
};

// Prepared statements kept for the life of the connection, so that a loop over many
// records prepares each statement once.
class TStatementCache {
public:
    explicit TStatementCache(SQLite::Database& db) : db_(db) {}
    // The statement for sql, reset and with its bindings cleared.
    SQLite::Statement& Get(const std::string& sql);

private:
    SQLite::Database& db_;
    std::unordered_map<std::string, std::unique_ptr<SQLite::Statement>> statements_;
};

// What server methods, procedures and posting routines work with. They run inside the
// transaction of the server method that called them and never open one themselves.
struct TServerContext {
    SQLite::Database& Db;
    const TSchemaCatalog& Catalog;
    TStatementCache& Statements;
    TServerSession Session;
    // Message key of a refusal, set by the routine that refused.
    std::string RefusalKey;
};

}  // namespace tavrek::server
