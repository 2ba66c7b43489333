// A whole company copied from a SQLite file to PostgreSQL and back.
#include "server/CompanyCopy.h"

#include <gtest/gtest.h>

#include "server/CompanyDatabase.h"
#include "server/TSchemaCatalog.h"
#include "server/demo/TDemoCompany.h"
#include "support/SqliteFixture.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

// Every row of every table, tables by name, rows in key order.
std::map<std::string, std::vector<TVariantArray>> AllRows(const std::string& address) {
    const auto db = server::OpenCompanyDatabase(address, server::TOpenMode::omExisting, false);
    const server::TSchemaCatalog catalog(*db);
    std::map<std::string, std::vector<TVariantArray>> rows;
    for (const server::TRelationInfo* table : catalog.Tables())
        if (!EqualsIgnoreCase(table->Name, "S_SchemaVersion"))
            rows[ToLowerAscii(table->Name)] = db->Select("SELECT * FROM " + table->Name + " ORDER BY 1").Rows;
    return rows;
}

class CompanyCopyTest : public SqliteFixture {};

TEST_F(CompanyCopyTest, SqliteToPostgresAndBackGivesTheSameRows) {
    if (!TestOnPostgres()) GTEST_SKIP() << "runs where the tests have a PostgreSQL";
    const std::string file = TempPath("demo.tavrek");
    server::CreateDemoCompany(file);
    {
        const auto db = server::OpenCompanyDatabase(file, server::TOpenMode::omExisting);
        db->Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentDate, Comment, TotalValue) VALUES "
                 "('H1', 'DEMO', 1, 46346.75, 'Кавички '' и \"двойни\"', 0.1), ('H2', 'DEMO', 1, NULL, NULL, 1e-7)");
        db->Exec("INSERT INTO S_ErrorLog (C_Datetime, User_Id, Operation, Message) VALUES (46346.5, 'U', 'Op', 'текст')");
    }
    const std::string shared = NewPostgresDatabase();
    const std::string back = TempPath("back.tavrek");
    EXPECT_GT(server::CopyCompany(file, shared), 500);
    server::CopyCompany(shared, back);

    const auto original = AllRows(file);
    EXPECT_EQ(AllRows(shared), original);
    EXPECT_EQ(AllRows(back), original);
    EXPECT_EQ(original.at("d_purchheader").size(), 2u);
    // Generated keys go on after the copied ones.
    const auto copied = server::OpenCompanyDatabase(shared, server::TOpenMode::omExisting);
    EXPECT_EQ(copied->Execute("INSERT INTO S_ErrorLog (C_Datetime, Message) VALUES (1, 'нов')"), 1);
    // A copy goes only into a new company.
    EXPECT_THROW(server::CopyCompany(file, shared), server::ECompanyDatabaseError);
    EXPECT_THROW(server::CopyCompany(file, back), server::ECompanyDatabaseError);
    DropDemoCompany(shared);
}

}  // namespace
}  // namespace tavrek::testing
