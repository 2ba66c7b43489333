#pragma once

#include <string>

namespace tavrek::server {

// Copies a whole company from one database to another, across engines: a one-machine
// SQLite company grows into a shared PostgreSQL one, or back. dest must be new or empty;
// it gets the same schema and every row of every table, in one transaction. Returns the
// number of rows copied.
long long CopyCompany(const std::string& source, const std::string& dest);

}  // namespace tavrek::server
