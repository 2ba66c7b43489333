#pragma once

#include <map>
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

// Every document header's view made anew. An upgrade ends with it: PostgreSQL fixes a view's
// columns when the view is made, so a column a step adds to a header would be missing there.
std::string HeaderViewsSql();

// Every name the migrations create, keyed by its lower-case form: PostgreSQL gives names
// back folded, and they are handed out as the migrations spell them.
using TSpellings = std::map<std::string, std::string, std::less<>>;
const TSpellings& MigrationSpellings();

}  // namespace tavrek::server
