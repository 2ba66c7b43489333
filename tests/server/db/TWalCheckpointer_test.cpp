// The log of a SQLite company is copied back into its file beside the writer, and a closed
// company leaves no log behind.
#include "server/db/TWalCheckpointer.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "server/CompanyDatabase.h"
#include "server/db/TDbSession.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

constexpr int kPages = 600;

// Rows of about a page each, written in one transaction.
void FillPages(server::TDbSession& db, int pages) {
    db.Exec("BEGIN");
    db.Exec("CREATE TABLE IF NOT EXISTS Pages (Fill BLOB)");
    db.Exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(pages) +
            ") INSERT INTO Pages SELECT zeroblob(4000) FROM n");
    db.Exec("COMMIT");
}

class WalCheckpointerTest : public ::testing::Test {
protected:
    ~WalCheckpointerTest() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_ = NewTestFolder();
};

TEST_F(WalCheckpointerTest, CopiesTheLogIntoTheFileWhileTheWriterKeepsItOpen) {
    const std::string file = Path("log.db");
    server::TDbSession db(file);
    db.Exec("PRAGMA journal_mode = WAL");
    db.Exec("PRAGMA wal_autocheckpoint = 0");
    FillPages(db, kPages);
    ASSERT_LT(std::filesystem::file_size(file), 4096u * kPages / 2) << "the pages are still only in the log";

    server::TWalCheckpointer copier(file);
    copier.CopyAndWait();
    EXPECT_EQ(copier.Completed(), 1);
    EXPECT_GE(std::filesystem::file_size(file), 4000u * kPages);
    EXPECT_EQ(db.Select("SELECT COUNT(*) FROM Pages").Value().AsInteger(), kPages);
}

TEST_F(WalCheckpointerTest, ClosedCompanyKeepsItsPagesAndLeavesNoLog) {
    const std::string file = Path("company.db");
    {
        const auto db = server::OpenCompanyDatabase(file, server::TOpenMode::omCreate);
        FillPages(*db, kPages * 3);
        FillPages(*db, kPages * 3);
    }
    EXPECT_FALSE(std::filesystem::exists(file + "-wal"));
    const auto db = server::OpenCompanyDatabase(file, server::TOpenMode::omExisting);
    EXPECT_EQ(db->Select("SELECT COUNT(*) FROM Pages").Value().AsInteger(), kPages * 6);
}

}  // namespace
}  // namespace tavrek::testing
