#pragma once

#include <string>
#include <vector>

#include "base/session/TUserRights.h"

#include "server/TSchemaCatalog.h"
#include "server/db/TDbSession.h"

namespace tavrek::server {

// Who calls the server: the signed-in company, business group and user of the client.
struct TServerSession {
    std::string CompanyId;
    std::string BusinessGroupId;
    std::string UserId;
    // What the user's roles allow, and the other companies of the database, whose ids no
    // call may name; the server loads them when the session is set.
    TUserRights Rights{};
    std::vector<std::string> OtherCompanies{};
};

// What server methods, procedures and posting routines work with. They run inside the
// transaction of the server method that called them and never open one themselves.
struct TServerContext {
    TDbSession& Db;
    const TSchemaCatalog& Catalog;
    TServerSession Session;
    // Message key of a refusal, set by the routine that refused, and what its message names
    // (its %s), when it names something.
    std::string RefusalKey;
    std::string RefusalArg;
};

}  // namespace tavrek::server
