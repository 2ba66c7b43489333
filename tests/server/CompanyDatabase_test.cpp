#include "server/CompanyDatabase.h"

#include <fstream>

#include <gtest/gtest.h>

#include "server/SqlValue.h"
#include "server/schema/TMigrations.h"
#include "support/SqliteFixture.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

class CompanyDatabaseTest : public SqliteFixture {
protected:
    std::string OpenError(const std::string& path) {
        try {
            server::OpenCompanyDatabase(path, server::TOpenMode::omExisting);
        } catch (const server::ECompanyDatabaseError& e) {
            return e.what();
        }
        return {};
    }
};

TEST_F(CompanyDatabaseTest, FilesThatAreNotCompanyDatabasesAreRefusedUntouched) {
    EXPECT_NE(OpenError(TempPath("missing.db")).find("не съществува"), std::string::npos);

    const std::string text = TempPath("notes.txt");
    std::ofstream(text) << "това не е база данни";
    EXPECT_NE(OpenError(text).find("не е фирмена база данни"), std::string::npos);

    const std::string foreign = TempPath("foreign.db");
    server::TDbSession(foreign).Exec("CREATE TABLE Notes (Text TEXT)");
    EXPECT_NE(OpenError(foreign).find("не е фирмена база данни"), std::string::npos);
    server::TDbSession db(foreign);
    EXPECT_EQ(db.Select("PRAGMA journal_mode").Value().AsString(), "delete");
}

TEST_F(CompanyDatabaseTest, NewerSchemaIsRefused) {
    Exec("INSERT INTO S_SchemaVersion (Version, Name, AppliedAt) VALUES (99, 'future', 0)");
    const std::string error = OpenError(DatabasePath());
    EXPECT_NE(error.find("99"), std::string::npos) << error;
    EXPECT_NE(error.find("по-нова"), std::string::npos) << error;
    EXPECT_THROW(Reopen(), server::ECompanyDatabaseError);
}

TEST_F(CompanyDatabaseTest, FreshDatabaseGetsEveryMigrationAndBackupCopiesContent) {
    if (TestOnPostgres()) GTEST_SKIP() << "an online backup copies a company file";
    auto fresh = server::OpenCompanyDatabase(TempPath("fresh.db"), server::TOpenMode::omCreate);
    EXPECT_EQ(server::SchemaVersion(*fresh), server::LatestSchemaVersion());
    EXPECT_EQ(fresh->Select("PRAGMA journal_mode").Value().AsString(), "wal");
    EXPECT_EQ(fresh->Select("PRAGMA foreign_keys").Value().AsInteger(), 1);

    Exec("UPDATE N_Item SET Name = 'Копие' WHERE Id = 'I001'");
    server::BackupDatabase(Server().Database(), TempPath("copy.db"));
    auto copy = server::OpenCompanyDatabase(TempPath("copy.db"), server::TOpenMode::omExisting);
    EXPECT_EQ(server::CheckIntegrity(*copy), "ok");
    EXPECT_EQ(server::SelectRows(*copy, "SELECT Name FROM N_Item WHERE Id = 'I001'").Value().AsString(), "Копие");
}

TEST_F(CompanyDatabaseTest, DemoCompanyIsUsable) {
    const std::pair<const char*, int64_t> counts[] = {
        {"N_Contragent", 12}, {"N_Item", 50},  {"N_Currency", 3},   {"G_VATPostingSetup", 9},
        {"N_PaymentTerms", 4}, {"N_PaymentMethod", 4}, {"C_PurchasesSetup", 1}, {"S_CopyDocTemplateHeader", 4},
    };
    for (const auto& [table, rows] : counts) EXPECT_EQ(Count(table), rows) << table;
    EXPECT_EQ(Count("N_SubDocument", "Code = '520'"), 1);
    EXPECT_EQ(Count("N_SubDocument s", "NOT EXISTS (SELECT 1 FROM S_PrintDocuments p WHERE p.SubDoc_Id = s.Id)"), 0);
    EXPECT_EQ(Count("N_SubDocument s", "NOT EXISTS (SELECT 1 FROM S_NoSeries n WHERE n.Id = s.Post_Series_Id)"), 0);
    EXPECT_EQ(Count("N_Item i", "NOT EXISTS (SELECT 1 FROM N_VendorPrice p WHERE p.Item_Id = i.Id)"), 0);
    EXPECT_EQ(Count("G_VATPostingSetup", "VATBus_PostingGroup = 'DOM' AND VATPercent IN (20, 9, 0)"), 3);
    // Every series named by the purchases setup exists.
    const TRequestResult setup = server::SelectRows(Server().Database(), "SELECT * FROM C_PurchasesSetup");
    for (size_t i = 0; i < setup.Columns.size(); ++i) {
        if (setup.Columns[i].find("eries") == std::string::npos) continue;
        EXPECT_EQ(Count("S_NoSeries", "Id = '" + setup.Value(0, i).AsString() + "'"), 1) << setup.Columns[i];
    }
    EXPECT_EQ(server::CheckIntegrity(Server().Database()), "ok");
}

}  // namespace
}  // namespace tavrek::testing
