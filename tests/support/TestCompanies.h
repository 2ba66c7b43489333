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

}  // namespace tavrek::testing
