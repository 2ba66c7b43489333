#include "server/TSchemaCatalog.h"

#include <stdexcept>

#include <SQLiteCpp/Statement.h>

#include "server/SqlValue.h"
#include "server/schema/DocumentTables.h"

namespace tavrek::server {

const TColumnInfo* TRelationInfo::Column(std::string_view name) const {
    for (const TColumnInfo& column : Columns)
        if (EqualsIgnoreCase(column.Name, name)) return &column;
    return nullptr;
}

TSchemaCatalog::TSchemaCatalog(SQLite::Database& db) {
    SQLite::Statement relations(db,
                                "SELECT name, type FROM sqlite_master WHERE type IN ('table', 'view') "
                                "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    while (relations.executeStep()) {
        TRelationInfo info;
        info.Name = relations.getColumn(0).getString();
        info.IsView = relations.getColumn(1).getString() == "view";
        SQLite::Statement columns(db, "SELECT name, type FROM pragma_table_info(?)");
        columns.bind(1, info.Name);
        while (columns.executeStep())
            info.Columns.push_back({columns.getColumn(0).getString(), FieldTypeOfDeclared(columns.getColumn(1).getString())});
        relations_.emplace(ToLowerAscii(info.Name), std::move(info));
    }
    for (const TDocumentTables& tables : DocumentTables()) {
        auto line = relations_.find(ToLowerAscii(tables.Line));
        const TRelationInfo* header = Find(tables.Header);
        if (line != relations_.end() && header != nullptr) line->second.Parent = header;
    }
}

const TRelationInfo* TSchemaCatalog::Find(std::string_view name) const {
    const auto it = relations_.find(ToLowerAscii(Trim(name)));
    return it == relations_.end() ? nullptr : &it->second;
}

TDataProvider TSchemaCatalog::Provider(std::string_view name) const {
    // Views are read-only sources (the ledger views the forms read), except the V_ views
    // through which a table is read; writing into a view fails.
    const TRelationInfo* table = Find(name);
    if (table == nullptr || (table->IsView && ToLowerAscii(table->Name).rfind("v_", 0) == 0))
        throw std::invalid_argument("Непознат източник на данни '" + std::string(name) + "'");
    TDataProvider provider;
    provider.Name = table->Name;
    provider.Table = table;
    const TRelationInfo* view = Find("V_" + table->Name);
    provider.Source = view != nullptr ? view : table;
    if (table->Column("Line_No") != nullptr) provider.OrderBy = "\"Line_No\"";
    return provider;
}

}  // namespace tavrek::server
