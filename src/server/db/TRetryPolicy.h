#pragma once

#include <soci/soci.h>

#include "server/db/IDbDialect.h"

namespace tavrek::server {

// A server method whose transaction meets another one (a serialization failure or a deadlock
// on PostgreSQL, a busy file on SQLite) is run again from its start, a few times, after a short
// random wait that grows with each attempt; only then is the failure passed on to the user.
class TRetryPolicy {
public:
    static constexpr int kAttempts = 5;

    // Runs attempt, which opens and ends its own transaction, until it passes or fails otherwise.
    template <typename Attempt>
    static auto Run(const IDbDialect& dialect, Attempt&& attempt) {
        for (int tried = 1;; ++tried) {
            try {
                return attempt();
            } catch (const soci::soci_error& e) {
                if (tried == kAttempts || !dialect.IsTransientConflict(e)) throw;
            }
            BackOff(tried);
        }
    }

    static void BackOff(int tried);
};

}  // namespace tavrek::server
