#include "server/db/TDbSession.h"

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include "base/util/Text.h"
#include "server/db/TPostgresDialect.h"
#include "server/db/TSqliteDialect.h"

namespace tavrek::server {
namespace {

// Statements built from client field lists vary; past this many the cache starts over.
constexpr size_t kMaxKeptStatements = 512;

std::unique_ptr<IDbDialect> DialectFor(const std::string& address) {
    if (IsPostgresAddress(address)) return std::make_unique<TPostgresDialect>();
    return std::make_unique<TSqliteDialect>();
}

}  // namespace

bool IsPostgresAddress(const std::string& address) {
    return address.starts_with("postgresql://") || address.starts_with("postgres://");
}

TDbSession::TDbSession(const std::string& address) : address_(address), dialect_(DialectFor(address)) {
    if (IsPostgresAddress(address))
        session_.open(soci::postgresql, address);
    else
        session_.open(soci::sqlite3, "db=\"" + address + "\" timeout=15");
    dialect_->Configure(*this);
}

TDbSession::~TDbSession() {
    statements_.clear();
}

void TDbSession::Reconnect() {
    statements_.clear();
    session_.reconnect();
    inTransaction_ = false;
    broken_ = false;
    dialect_->Configure(*this);
}

void TDbSession::Exec(const std::string& sql) { dialect_->ExecScript(*this, sql); }

int TDbSession::Execute(const std::string& sql, const TVariantArray& values) {
    return static_cast<int>(Prepared(sql, values, false).Execute(values));
}

TRequestResult TDbSession::Select(const std::string& sql, const TVariantArray& values) {
    return Prepared(sql, values, true).Select(values);
}

TDbStatement& TDbSession::Prepared(const std::string& sql, const TVariantArray& values, bool returnsRows) {
    const std::string key = (returnsRows ? "R" : "X") + TypeSignature(values) + '\n' + sql;
    auto it = statements_.find(key);
    if (it == statements_.end()) {
        if (statements_.size() >= kMaxKeptStatements) statements_.clear();
        it = statements_.emplace(key, std::make_unique<TDbStatement>(*this, sql, values, returnsRows)).first;
    }
    return *it->second;
}

std::string TDbSession::Spelled(const std::string& name) const {
    if (spellings_ == nullptr) return name;
    const auto it = spellings_->find(ToLowerAscii(name));
    return it == spellings_->end() ? name : it->second;
}

bool TDbSession::IsDateColumn(const std::string& name) const {
    return dateColumns_.count(ToLowerAscii(name)) != 0;
}

}  // namespace tavrek::server
