#pragma once

#include <string>
#include <vector>

namespace tavrek::server {

// One step of the company database schema. Steps run in order of Version, each in the
// transaction that opens the database, and are recorded in S_SchemaVersion. A step that
// has shipped is never edited: company files already ran it; changes go in a new step.
struct TMigration {
    int Version;
    std::string Name;
    std::string Sql;
};

const std::vector<TMigration>& Migrations();
int LatestSchemaVersion();

}  // namespace tavrek::server
