#pragma once

#include <string>
#include <vector>

namespace tavrek::server {

// One step of the company database schema. Steps run in order of Version, each in the
// transaction that opens the database, and are recorded in S_SchemaVersion.
struct TMigration {
    int Version;
    std::string Name;
    std::string Sql;
};

const std::vector<TMigration>& Migrations();
int LatestSchemaVersion();

}  // namespace tavrek::server
