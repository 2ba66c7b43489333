#include "server/session/TLoginSessions.h"

#include <sodium.h>

#include <stdexcept>

#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

std::string Hex(const unsigned char* bytes, size_t size) {
    std::string text(size * 2 + 1, '\0');
    sodium_bin2hex(text.data(), text.size(), bytes, size);
    text.pop_back();
    return text;
}

std::string HashOf(const std::string& token) {
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.data()), token.size(), nullptr, 0);
    return Hex(hash, sizeof hash);
}

double SecondsNow() {
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string TLoginSessions::Open(const std::string& companyId, const std::string& businessGroupId,
                                 const std::string& userId, const std::string& login, std::chrono::seconds idle) {
    if (sodium_init() < 0) throw std::runtime_error("libsodium не може да бъде инициализирана");
    unsigned char random[32];
    randombytes_buf(random, sizeof random);
    const std::string token = Hex(random, sizeof random);
    const double now = SecondsNow();
    ExecuteBound(db_,
                 "INSERT INTO S_NetSession (TokenHash, Comp_Id, BusinessGroup_Id, User_Id, Login, Started, Expires) "
                 "VALUES (?, ?, ?, ?, ?, ?, ?)",
                 {HashOf(token), companyId, businessGroupId, userId, login, now, now + static_cast<double>(idle.count())});
    return token;
}

TTokenSession TLoginSessions::Touch(const std::string& token, std::chrono::seconds idle) {
    TTokenSession session;
    const std::string hash = HashOf(token);
    const TRequestResult rows = SelectRows(
        db_, "SELECT Comp_Id, BusinessGroup_Id, User_Id, Login, Expires FROM S_NetSession WHERE TokenHash = ?", {hash});
    if (rows.Empty()) return session;
    const double now = SecondsNow();
    if (rows.Value(0, 4).AsFloat() < now) {
        ExecuteBound(db_, "DELETE FROM S_NetSession WHERE TokenHash = ?", {hash});
        session.State = TTokenSession::TState::tsExpired;
        return session;
    }
    ExecuteBound(db_, "UPDATE S_NetSession SET Expires = ? WHERE TokenHash = ?",
                 {now + static_cast<double>(idle.count()), hash});
    session.State = TTokenSession::TState::tsValid;
    session.CompanyId = rows.Value(0, 0).AsString();
    session.BusinessGroupId = rows.Value(0, 1).AsString();
    session.UserId = rows.Value(0, 2).AsString();
    session.Login = rows.Value(0, 3).AsString();
    return session;
}

void TLoginSessions::Close(const std::string& token) {
    ExecuteBound(db_, "DELETE FROM S_NetSession WHERE TokenHash = ?", {HashOf(token)});
}

}  // namespace tavrek::server
