#include "server/TServerContext.h"

namespace tavrek::server {

SQLite::Statement& TStatementCache::Get(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it == statements_.end()) it = statements_.emplace(sql, std::make_unique<SQLite::Statement>(db_, sql)).first;
    it->second->tryReset();  // the error of a failed last run was already reported
    it->second->clearBindings();
    return *it->second;
}

}  // namespace tavrek::server
