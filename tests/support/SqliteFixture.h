#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "base/session/Tdm.h"
#include "server/EmbeddedServer.h"
#include "support/ScriptedDialogs.h"

namespace tavrek::testing {

// A fresh copy of the demo company in a temporary folder, served by an EmbeddedServer that
// is wired into a fresh session signed in to the demo company. For end-to-end tests: what
// a form saves lands in a real database, and the test reads it back with Count/Value.
class SqliteFixture : public ::testing::Test {
protected:
    SqliteFixture();
    ~SqliteFixture() override;

    server::EmbeddedServer& Server() { return *server_; }
    const std::string& DatabasePath() const { return path_; }
    // A path for another file in the test's folder.
    std::string TempPath(const std::string& name) const { return (folder_ / name).string(); }

    // Direct reads of the database, beside the server: rows of a table (with an optional
    // WHERE clause) and the first value of a query.
    int64_t Count(const std::string& table, const std::string& where = "");
    Variant Value(const std::string& sql);
    // Arranges data directly, beside the server.
    void Exec(const std::string& sql);
    // Closes and reopens the server, as a client restart would.
    void Reopen();

    TSessionGuard guard;
    ScriptedDialogs dialogs;

private:
    std::filesystem::path folder_;
    std::string path_;
    std::unique_ptr<server::EmbeddedServer> server_;
};

}  // namespace tavrek::testing
