#include "server/TSchemaCatalog.h"

#include <set>
#include <stdexcept>

#include "server/SqlValue.h"
#include "server/TAccessPolicy.h"
#include "server/TQueryBuilder.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/TMigrations.h"

namespace tavrek::server {

const TColumnInfo* TRelationInfo::Column(std::string_view name) const {
    for (const TColumnInfo& column : Columns)
        if (EqualsIgnoreCase(column.Name, name)) return &column;
    return nullptr;
}

TSchemaCatalog::TSchemaCatalog(TDbSession& db) {
    db.SetSpellings(&MigrationSpellings());
    std::set<std::string> dates;
    for (const TCatalogRow& row : db.Dialect().Catalog(db)) {
        auto it = relations_.find(ToLowerAscii(row.Relation));
        if (it == relations_.end())
            it = relations_.emplace(ToLowerAscii(row.Relation), TRelationInfo{db.Spelled(row.Relation), row.IsView, {}, nullptr})
                     .first;
        const TFieldType type = FieldTypeOfDeclared(row.DeclaredType);
        it->second.Columns.push_back({db.Spelled(row.Column), type});
        columnTypes_.emplace(ToLowerAscii(row.Column), type);
        if (type == TFieldType::ftDateTime) dates.insert(ToLowerAscii(row.Column));
    }
    db.SetDateColumns(std::move(dates));
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

std::optional<TFieldType> TSchemaCatalog::ColumnType(std::string_view name) const {
    const auto it = columnTypes_.find(ToLowerAscii(name));
    if (it == columnTypes_.end()) return std::nullopt;
    return it->second;
}

std::vector<const TRelationInfo*> TSchemaCatalog::Tables() const {
    std::vector<const TRelationInfo*> tables;
    for (const auto& [name, relation] : relations_)
        if (!relation.IsView) tables.push_back(&relation);
    return tables;
}

namespace {

bool IsDocumentHeader(std::string_view name) {
    for (const TDocumentTables& tables : DocumentTables())
        if (EqualsIgnoreCase(tables.Header, name)) return true;
    return false;
}

}  // namespace

TDataProvider TSchemaCatalog::Provider(std::string_view name) const {
    // Views are read-only sources (the ledger views the forms read), except the V_ views
    // through which a table is read; writing into a view fails.
    const TRelationInfo* table = Find(name);
    if (table == nullptr || (table->IsView && ToLowerAscii(table->Name).rfind("v_", 0) == 0) ||
        !TAccessPolicy::MayRead(*table))
        throw EQueryRefused("Непознат източник на данни '" + std::string(name) + "'");
    TDataProvider provider;
    provider.Name = table->Name;
    provider.Table = table;
    const TRelationInfo* view = Find("V_" + table->Name);
    provider.Source = view != nullptr ? view : table;
    if (table->Column("Line_No") != nullptr) provider.OrderBy = QuoteIdentifier("Line_No");
    // Document lists show the newest first.
    else if (IsDocumentHeader(table->Name))
        provider.OrderBy = QuoteIdentifier("DocumentDate") + " DESC, " + QuoteIdentifier("DocumentNo") + " DESC, " +
                           QuoteIdentifier("Id") + " DESC";
    // The audit trail too, in the order it was written.
    else if (EqualsIgnoreCase(table->Name, "S_AuditTrail"))
        provider.OrderBy = QuoteIdentifier("Id") + " DESC";
    return provider;
}

}  // namespace tavrek::server
