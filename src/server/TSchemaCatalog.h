#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/TField.h"
#include "base/util/Text.h"
#include "server/db/TDbSession.h"

namespace tavrek::server {

struct TColumnInfo {
    std::string Name;
    TFieldType Type;
};

// A table or view of the company database with its columns, for checking names that
// come from the client before they go into a statement.
struct TRelationInfo {
    std::string Name;
    bool IsView = false;
    std::vector<TColumnInfo> Columns;
    // For document lines: the header table their Master_Id points to.
    const TRelationInfo* Parent = nullptr;

    const TColumnInfo* Column(std::string_view name) const;
};

// What a data provider reads and writes: the relation it selects from (a view with the
// display fields of a header), the table that changes go to, and the order of its rows.
struct TDataProvider {
    std::string Name;
    const TRelationInfo* Source = nullptr;
    const TRelationInfo* Table = nullptr;
    std::string OrderBy;
};

// The tables and views of the database, read once when the server opens it.
class TSchemaCatalog {
public:
    // Reads the catalog and tells the session which result columns hold dates.
    explicit TSchemaCatalog(TDbSession& db);

    const TRelationInfo* Find(std::string_view name) const;
    // The type of columns of this name in the tables that have one.
    std::optional<TFieldType> ColumnType(std::string_view name) const;
    // Every table (not view) in name order.
    std::vector<const TRelationInfo*> Tables() const;
    // Every table is a provider under its own name; document headers read through their view.
    // Throws std::invalid_argument for an unknown name.
    TDataProvider Provider(std::string_view name) const;

private:
    std::map<std::string, TRelationInfo, std::less<>> relations_;  // keyed by lower-case name
    std::map<std::string, TFieldType, std::less<>> columnTypes_;   // keyed by lower-case name
};

}  // namespace tavrek::server
