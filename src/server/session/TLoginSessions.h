#pragma once

#include <chrono>
#include <string>

#include "server/db/TDbSession.h"

namespace tavrek::server {

// Who a session token stands for, and whether it still does.
struct TTokenSession {
    enum class TState { tsUnknown, tsExpired, tsValid };
    TState State = TState::tsUnknown;
    std::string CompanyId, BusinessGroupId, UserId, Login;
};

// The sessions of the network server, kept in the company database so that every server
// process on it knows them and a restarted one goes on with them. Only a hash of each token
// is stored: whoever reads the table cannot sign in with it. Runs inside the caller's
// transaction.
class TLoginSessions {
public:
    explicit TLoginSessions(TDbSession& db) : db_(db) {}

    // A new session of the user that lasts while calls come at most idle apart; the token.
    std::string Open(const std::string& companyId, const std::string& businessGroupId, const std::string& userId,
                     const std::string& login, std::chrono::seconds idle);
    // The token's session with its expiry moved on by idle; an expired one is removed.
    TTokenSession Touch(const std::string& token, std::chrono::seconds idle);
    void Close(const std::string& token);

private:
    TDbSession& db_;
};

}  // namespace tavrek::server
