#include "server/CompanyCopy.h"

#include "base/util/Text.h"
#include "server/CompanyDatabase.h"
#include "server/TQueryBuilder.h"
#include "server/TSchemaCatalog.h"
#include "server/db/TDbTransaction.h"
#include "server/schema/TMigrations.h"

namespace tavrek::server {
namespace {

// dest's rows of a table become source's: the migrations may have written some already.
long long CopyTable(TDbSession& source, TDbSession& dest, const TRelationInfo& from, const TRelationInfo& to) {
    std::string names, marks;
    for (const TColumnInfo& column : from.Columns) {
        if (to.Column(column.Name) == nullptr) continue;
        names += (names.empty() ? "" : ", ") + QuoteIdentifier(to.Column(column.Name)->Name);
        marks += marks.empty() ? "?" : ", ?";
    }
    dest.Execute("DELETE FROM " + QuoteIdentifier(to.Name));
    const std::string insert = "INSERT INTO " + QuoteIdentifier(to.Name) + " (" + names + ") VALUES (" + marks + ")";
    std::string selected;
    for (const TColumnInfo& column : from.Columns)
        if (to.Column(column.Name) != nullptr) selected += (selected.empty() ? "" : ", ") + QuoteIdentifier(column.Name);
    long long rows = 0;
    const std::string select = "SELECT " + selected + " FROM " + QuoteIdentifier(from.Name);
    source.Prepared(select, {}, true).ForEachRow({}, [&](const TVariantArray& row) {
        dest.Execute(insert, row);
        ++rows;
    });
    return rows;
}

}  // namespace

long long CopyCompany(const std::string& source, const std::string& dest) {
    const std::unique_ptr<TDbSession> from = OpenCompanyDatabase(source, TOpenMode::omExisting, false);
    if (SchemaVersion(*from) != LatestSchemaVersion())
        throw ECompanyDatabaseError("Обновете '" + source + "' с tavrek-admin upgrade преди копиране");
    const std::unique_ptr<TDbSession> to = OpenCompanyDatabase(dest, TOpenMode::omCreate, false);
    if (SchemaVersion(*to) != 0) throw ECompanyDatabaseError("'" + dest + "' вече съдържа фирма; копира се само в нова база");
    const TSchemaCatalog fromCatalog(*from);
    to->Dialect().SetReferenceChecks(*to, false);
    long long rows = 0;
    {
        TDbTransaction read(*from, TTransactionKind::tkRead);
        TDbTransaction write(*to, TTransactionKind::tkWrite);
        UpgradeSchema(*to);
        const TSchemaCatalog toCatalog(*to);
        for (const TRelationInfo* table : fromCatalog.Tables()) {
            const TRelationInfo* target = toCatalog.Find(table->Name);
            if (target == nullptr || target->IsView || EqualsIgnoreCase(table->Name, "S_SchemaVersion")) continue;
            rows += CopyTable(*from, *to, *table, *target);
        }
        to->Dialect().ContinueGeneratedKeys(*to);
        write.Commit();
    }
    to->Dialect().SetReferenceChecks(*to, true);
    return rows;
}

}  // namespace tavrek::server
