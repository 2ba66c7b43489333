#pragma once

#include <chrono>
#include <string>

namespace tavrek::net {

struct TServiceOptions {
    std::string Company;  // a company file or a libpq URI
    int MaxCalls = 32;    // calls at once; those beyond are refused as busy
    std::chrono::seconds SessionIdle{30 * 60};
    std::chrono::milliseconds LoginRefusalDelay{1000};
    // A posting's transaction left open this long by a client that went away is rolled back.
    std::chrono::seconds PostingIdle{60};
    bool Tls = false;  // without TLS only callers on this machine are served
    // Lets a signed-in client run SQL for the checks of document scenarios: for testing a
    // deployment, never for a company at work.
    bool ScenarioSql = false;
};

}  // namespace tavrek::net
