#include "server/db/TRetryPolicy.h"

#include <gtest/gtest.h>

#include <soci/postgresql/soci-postgresql.h>
#include <soci/sqlite3/soci-sqlite3.h>

#include "server/db/TPostgresDialect.h"
#include "server/db/TSqliteDialect.h"

namespace tavrek::testing {
namespace {

using server::TRetryPolicy;

// A method that fails failures times with the engine's error before it passes: transient
// conflicts are run again, up to the bound, and nothing else is.
TEST(TRetryPolicy, OnlyTransientConflictsAreRunAgainAndOnlyAFewTimes) {
    const server::TSqliteDialect sqlite;
    const server::TPostgresDialect postgres;
    const auto sqliteError = [](int code) { throw soci::sqlite3_soci_error("sqlite", code); };
    const auto pgError = [](const char* state) { throw soci::postgresql_soci_error("pg", state); };
    const struct {
        const char* Name;
        const server::IDbDialect& Dialect;
        std::function<void()> Fail;
        int Failures;
        int Runs;  // how often the method ran
        bool Passes;
    } cases[] = {
        {"busy file", sqlite, [&] { sqliteError(SQLITE_BUSY); }, 2, 3, true},
        {"busy snapshot, an extended code", sqlite, [&] { sqliteError(SQLITE_BUSY_SNAPSHOT); }, 1, 2, true},
        {"locked table", sqlite, [&] { sqliteError(SQLITE_LOCKED); }, 1, 2, true},
        {"busy every time", sqlite, [&] { sqliteError(SQLITE_BUSY); }, 99, TRetryPolicy::kAttempts, false},
        {"a refused constraint", sqlite, [&] { sqliteError(SQLITE_CONSTRAINT); }, 1, 1, false},
        {"serialization failure", postgres, [&] { pgError("40001"); }, 3, 4, true},
        {"deadlock", postgres, [&] { pgError("40P01"); }, 4, 5, true},
        {"deadlock every time", postgres, [&] { pgError("40P01"); }, 99, TRetryPolicy::kAttempts, false},
        {"unique violation", postgres, [&] { pgError("23505"); }, 1, 1, false},
        {"lost connection", postgres, [&] { pgError("08006"); }, 1, 1, false},
        {"a postgres state seen by sqlite", sqlite, [&] { pgError("40001"); }, 1, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        int runs = 0;
        const auto method = [&] {
            if (++runs <= c.Failures) c.Fail();
            return runs;
        };
        if (c.Passes) EXPECT_EQ(TRetryPolicy::Run(c.Dialect, method), c.Runs);
        else EXPECT_THROW(TRetryPolicy::Run(c.Dialect, method), soci::soci_error);
        EXPECT_EQ(runs, c.Runs);
    }
}

}  // namespace
}  // namespace tavrek::testing
