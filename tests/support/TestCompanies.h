#pragma once

#include <filesystem>
#include <string>

namespace tavrek::testing {

// A new empty folder under the temporary folder, for the files of one test.
std::filesystem::path NewTestFolder();

// Whether this test run keeps its companies in PostgreSQL rather than in SQLite files:
// on the cluster that TAVREK_TEST_PG_HOST names, or with TAVREK_TEST_ENGINE=postgresql on
// one the program starts itself.
bool TestOnPostgres();

// A fresh demo company of the run's engine: a copy of a demo company file in folder, or
// a database cloned from the demo template on the test PostgreSQL. Returns its address.
std::string NewDemoCompany(const std::filesystem::path& folder);
// Removes a company made by NewDemoCompany once no connection uses it (files go with
// their folder).
void DropDemoCompany(const std::string& address);
// The address of a new, empty database on the test PostgreSQL.
std::string NewPostgresDatabase();

// A PostgreSQL cluster of its own, holding the demo company as database tavrek_demo; a
// test may stop it as a power cut would and start it again. Removed at the end.
class TPrivatePostgres {
public:
    TPrivatePostgres();
    ~TPrivatePostgres();
    TPrivatePostgres(const TPrivatePostgres&) = delete;
    TPrivatePostgres& operator=(const TPrivatePostgres&) = delete;

    const std::string& Host() const { return host_; }
    std::string Address(const std::string& database) const;
    void Crash();
    void Restart();

private:
    std::string host_;
};

}  // namespace tavrek::testing
