// Company databases: opening, creating, backing up, copying between engines, and the
// tavrek-admin program an administrator runs on them.
#include "server/CompanyDatabase.h"

#include <fstream>

#include <gtest/gtest.h>

#include "server/CompanyCopy.h"
#include "server/SqlValue.h"
#include "server/TSchemaCatalog.h"
#include "server/demo/TDemoCompany.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/TMigrations.h"
#include "support/AdminTool.h"
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

    // How many steps an upgrade from before the given one runs.
    static int StepsFrom(int version) {
        int steps = 0;
        for (const server::TMigration& migration : server::Migrations()) steps += migration.Version >= version ? 1 : 0;
        return steps;
    }

    // The company as it was before the given step: the steps since are forgotten and what
    // they made that cannot be made twice is taken away.
    void ReturnToBefore(int version) {
        Exec("DELETE FROM S_SchemaVersion WHERE Version >= " + std::to_string(version));
        Exec("DROP VIEW V_D_PurchHeader; DROP TABLE D_PurchOrderApproval; DROP INDEX IX_G_VATEntry_Period; "
             "ALTER TABLE C_PurchasesSetup DROP COLUMN OrderApprovalAmount");
        Exec("DROP VIEW dv_PurchOrdImportLineDetail; DROP VIEW dv_PurchOrdImportEntry; DROP VIEW dv_PurchOrdImpOrderLine; "
             "DROP TABLE D_PurchOrdImportLineDetail; DROP TABLE D_PurchOrdImportLine; DROP TABLE D_PurchOrdImportHeader");
        Exec("DELETE FROM S_Messages WHERE Id IN ('err_FieldMaintainedByServer', 'err_DocumentInGoodsCheck', "
             "'err_DocumentHasPostedFollowUps', 'err_OtherCompany', 'err_PostingDateNotAllowed')");
        Exec("ALTER TABLE C_PurchasesSetup DROP COLUMN AllowPostingFrom; ALTER TABLE C_PurchasesSetup DROP COLUMN "
             "AllowPostingTo; DROP INDEX UX_S_NoSeries_Code; DROP TABLE S_AuditTrail");
        if (version <= 16) Exec("DROP VIEW dv_PurchOrderLineToPlace");
        Exec("ALTER TABLE C_PurchasesSetup DROP COLUMN PurchOrderBuf_Series_Id");
        Exec("DROP TABLE S_UserFormRight; DROP TABLE D_PurchOrderConfirmRow; DELETE FROM S_Messages WHERE Id IN "
             "('err_PurchOrderClosed', 'err_ReopenOrderRightNotAllowed', 'err_PostPurchCrMemoOption')");
        Exec("DROP TABLE S_User; DROP TABLE S_Role; DROP TABLE S_UserRole; DROP TABLE S_RoleFormRight; "
             "DELETE FROM S_Messages WHERE Id IN ('err_LoginFailed', 'err_RightNotGranted', 'err_OtherCompany', "
             "'err_NotSignedIn', 'err_AmountsDifferFromServer')");
        Exec("DROP TABLE S_TransactionCounter");
        Exec("DROP TABLE S_NetSession; DELETE FROM S_Messages WHERE Id IN ('err_SessionExpired', 'err_ServerBusy', "
             "'err_CallOutcomeUnknown')");
        Exec("DROP VIEW V_D_GlobalPurchHeader; ALTER TABLE D_GlobalPurchHeader DROP COLUMN TransactionNo; "
             "DROP TABLE D_GlobalSourceLine");
        for (const char* table : {"D_GlobalPurchLine", "D_PurchInvoiceLine", "D_PurchCrMemoLine"})
            for (const char* column : {"UnitCost", "LineDiscount_percent", "IndirectCost_percent", "QtyPerUnit"})
                Exec(std::string("ALTER TABLE ") + table + " DROP COLUMN " + column);
        Exec("ALTER TABLE N_Item DROP COLUMN MinimumStock; ALTER TABLE N_Item DROP COLUMN OrderMultiple; "
             "DROP TABLE N_ItemVendor; DROP INDEX IX_D_PurchaseLine_Code; DROP INDEX IX_G_ItemEntry_Sales; "
             "DROP TABLE D_SaleOrderLine; DROP TABLE D_SaleOrderHeader; DROP TABLE D_PurchOrderSuggestion; "
             "DROP TABLE D_PurchOrderSuggToVendorLine; DROP TABLE D_PurchOrderSuggToVendorHeader; "
             "DROP TABLE D_PurchOrderSeggBySaleOrder; DROP TABLE D_PurchOrderLineSuggestion; "
             "ALTER TABLE G_InventoryPostingSetup DROP COLUMN CostOfSalesAccount");
        for (const server::TDocumentTables& t : server::DocumentTables())
            if (t.Posted) {
                Exec("DROP VIEW V_" + std::string(t.Header) + "; DROP INDEX UX_" + t.Header + "_No");
                Exec("ALTER TABLE " + std::string(t.Header) + " DROP COLUMN PreAssignedNo");
            }
        // The posted headers' views are gone by now, so their columns may go too.
        for (const char* table : {"D_GlobalPurchHeader", "D_PurchInvoiceHeader", "D_PurchCrMemoHeader"})
            Exec(std::string("ALTER TABLE ") + table + " DROP COLUMN VATValue_LCY");
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

    Exec("UPDATE N_Item SET Name = 'Копие' WHERE Id = '1001'");
    server::BackupDatabase(Server().Database(), TempPath("copy.db"));
    auto copy = server::OpenCompanyDatabase(TempPath("copy.db"), server::TOpenMode::omExisting);
    EXPECT_EQ(server::CheckIntegrity(*copy), "ok");
    EXPECT_EQ(server::SelectRows(*copy, "SELECT Name FROM N_Item WHERE Id = '1001'").Value().AsString(), "Копие");
}

// PostgreSQL fixes a view's columns when the view is made: a column that a later step adds to
// the document headers must still show through every header's view.
TEST_F(CompanyDatabaseTest, AColumnALaterStepAddsToHeadersShowsThroughTheirViews) {
    std::string added;
    for (const server::TDocumentTables& t : server::DocumentTables())
        added += "ALTER TABLE " + std::string(t.Header) + " ADD COLUMN LaterNote TEXT;\n";
    std::vector<server::TMigration> migrations = server::Migrations();
    migrations.push_back({server::LatestSchemaVersion() + 1, "A column added later", added});
    ASSERT_EQ(server::UpgradeSchema(Server().Database(), migrations), 1);
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, LaterNote) VALUES "
         "('LATE', 'DEMO', 1, 'V03', 'по-късно')");
    EXPECT_EQ(Value("SELECT LaterNote FROM V_D_PurchHeader WHERE Id = 'LATE'").AsString(), "по-късно");
    EXPECT_EQ(Value("SELECT N_Contragent_Code FROM V_D_PurchHeader WHERE Id = 'LATE'").AsString(), "5003");
    for (const server::TDocumentTables& t : server::DocumentTables())
        EXPECT_NO_THROW(Value("SELECT COUNT(LaterNote) FROM V_" + std::string(t.Header))) << t.Header;
}

// A company whose order lines were lowered by their returns gets them back on upgrade: the
// received quantity keeps what came in, and what is open still reads the same.
TEST_F(CompanyDatabaseTest, AnUpgradeAddsReturnsBackToTheReceivedQuantitiesOfOrders) {
    ReturnToBefore(15);
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo) VALUES "
         "('O1', 'DEMO', 22, 'V03', 'O-1'), ('I1', 'DEMO', 1, 'V03', 'I-1')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, ReceivedQty, ReturnedQty) "
         "VALUES ('O1', 'DEMO', 'O1-1', 1, 1, '1008', 10, 7, 3), ('O1', 'DEMO', 'O1-2', 2, 1, '1010', 4, 4, 0), "
         "('I1', 'DEMO', 'I1-1', 1, 1, '1008', 5, 5, 2)");
    ASSERT_EQ(server::UpgradeSchema(Server().Database()), StepsFrom(15));
    const struct {
        const char* Line;
        double Received, Open;  // open: what the order line selection proposes to receive
    } expected[] = {{"O1-1", 10, 3}, {"O1-2", 4, 0}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.Line);
        EXPECT_DOUBLE_EQ(Value(std::string("SELECT ReceivedQty FROM D_PurchaseLine WHERE Id = '") + e.Line + "'").AsFloat(),
                         e.Received);
        EXPECT_DOUBLE_EQ(
            Value(std::string("SELECT CalculatedQTY FROM dv_SelectPurchOrder WHERE Id = '") + e.Line + "'").AsFloat(),
            e.Open);
    }
    EXPECT_DOUBLE_EQ(Value("SELECT ReceivedQty FROM D_PurchaseLine WHERE Id = 'I1-1'").AsFloat(), 5)
        << "only order lines count their returns apart";
    EXPECT_EQ(Count("dv_PurchOrderLineSelect", "Id = 'O1-1'"), 1) << "the returned goods are open to receive";
}

// A company from before buffers were numbered gets the setup's column empty: its buffers
// are saved unnumbered until a series is chosen.
TEST_F(CompanyDatabaseTest, AnUpgradeGivesOlderCompaniesNoSeriesForTheirBuffers) {
    ReturnToBefore(19);
    Exec("UPDATE G_LEntry SET TransactionNo = 41");
    ASSERT_EQ(server::UpgradeSchema(Server().Database()), StepsFrom(19));
    EXPECT_EQ(Count("C_PurchasesSetup", "PurchOrderBuf_Series_Id IS NULL"), 1);
    EXPECT_EQ(Count("S_TransactionCounter", "Comp_Id = 'DEMO' AND LastNo = 41"), 1) << "transactions count on";
    EXPECT_EQ(Count("N_SubDocument", "Id = 'SD-580' AND Series_Id = 'BUF'"), 1) << "the subtype keeps its own series";
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

TEST_F(CompanyDatabaseTest, SqliteToPostgresAndBackGivesTheSameRows) {
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

TEST_F(CompanyDatabaseTest, CommandsSucceedOnCompanyFilesAndFailClearlyOnOthers) {
    const std::string company = TempPath("new.db"), copy = TempPath("copy.db"), text = TempPath("notes.txt");
    std::ofstream(text) << "бележки";
    const std::pair<std::string, int> steps[] = {
        {"init " + company, 0},           {"init " + company, 1},         {"check " + company, 0},
        {"backup " + company + " " + copy, 0}, {"check " + copy, 0},      {"backup " + company + " " + copy, 1},
        {"upgrade " + company, 0},        {"check " + TempPath("missing.db"), 1}, {"check " + text, 1},
        {"upgrade " + text, 1},           {"", 2},                        {"check", 2},
    };
    for (const auto& [arguments, code] : steps) EXPECT_EQ(RunAdmin(arguments), code) << arguments;

    Exec("INSERT INTO S_SchemaVersion (Version, Name, AppliedAt) VALUES (99, 'future', 0)");
    EXPECT_EQ(RunAdmin("check " + DatabasePath()), 1);
    EXPECT_EQ(RunAdmin("upgrade " + DatabasePath()), 1);
}

}  // namespace
}  // namespace tavrek::testing
