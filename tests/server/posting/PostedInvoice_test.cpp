// A posted invoice of the demo company as the forms read it through the server's value
// requests, and as the books check sees it when its books are tampered with.
#include "server/posting/TBooksCheck.h"

#include <gtest/gtest.h>

#include <functional>

#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"
#include "support/AdminTool.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// Ten yoghurts into Sofia's store and a service, from a domestic vendor.
class PostedInvoiceTest : public SqliteFixture {
protected:
    PostedInvoiceTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id, TotalValue) "
             "VALUES ('B1', 'DEMO', 1, 'SD-520', 'V03', '9001', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 0)");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('B1', 'B1-1', 'DEMO', 1, 1, '1008', 10, 1, 9.50, 20, 'DOM', 'VAT20'), "
             "('B1', 'B1-2', 'DEMO', 2, 2, '602', 1, 1, 35.00, 9, 'DOM', 'VAT9')");
        TVariantArray keys;
        EXPECT_EQ(Server().PostPurchase("B1", keys), 0) << Server().LastRefusalText();
    }

    Variant Read(const std::string& source, const std::string& field, const TFilter& filter) {
        TRequestResult result;
        EXPECT_EQ(Server().RequestValue(0, source, field, filter, result), 1) << source;
        return result.Value();
    }

    std::vector<std::string> Differences() {
        auto& db = Server().Database();
        return server::TBooksCheck([&](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(db, sql, values);
               }).Differences();
    }
};

class LedgerViewsTest : public PostedInvoiceTest {};
class BooksCheckTest : public PostedInvoiceTest {};

// A company without a transaction series numbers each transaction after every number used.
class TransactionNumbersTest : public PostedInvoiceTest {
protected:
    bool PostInvoice(const std::string& id) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES ('" +
             id + "', 'DEMO', 1, 'SD-520', 'V03', '" + id + "', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, TotalValue, VATPercent, "
             "VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('" + id + "', '" + id + "-1', 'DEMO', 1, 2, '602', 1, "
             "12.00, 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        return Server().PostPurchase(id, keys) == 0;
    }

    bool PostProtocol(const std::string& id) {
        Exec("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
             "VATBusPostGroup_Id, BusinessGroup_Id, VendorInvoiceNo) VALUES ('" + id + "', 'DEMO', " +
             std::to_string(server::DocumentType::PurchProtocol) + ", 'SD-560', 'V03', 46346, 'DOM', 'BG-SOF', '" + id +
             "')");
        Exec("INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, TotalValue, "
             "TotalValue_LCY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES ('" + id + "', '" + id +
             "-1', 'DEMO', 1, 2, '602', 1, 10.00, 10.00, 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        return Server().PostPurchProtocol(id, 0, keys) == 0;
    }

    bool Payment(const std::string& procedure, const std::string& id) {
        TRequestResult answer;
        Server().RequestValue(-1, "exec " + procedure + " 'DEMO', '" + id + "'", "Result,ErrMsg", TFilter(), answer, false);
        return answer.ByName("Result").AsInteger() == 0;
    }

    std::string PostedB1() { return Value("SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'B1'").AsString(); }
};

TEST_F(LedgerViewsTest, TheFormsFindThePostedEntriesByTheirFilters) {
    for (const TGoldenCase& c : ReadGoldenCases("server/ledger_views.txt"))
        EXPECT_NEAR(Read(c.Text("Source"), c.Text("Field"), c.Filter()).AsFloat(), c.Number("Expected"), 0.001) << c.Name;
}

TEST_F(LedgerViewsTest, AnAdvanceTakenOnAnInvoiceLeavesItsRestOpen) {
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
         "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
         "VALUES ('B2', 'DEMO', 1, 'SD-520', 'V01', '9002', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
         "TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, AccountDimension_Id) VALUES "
         "('B2', 'B2-1', 'DEMO', 1, 1, '1001', 100, 1, 105.00, 20, 'DOM', 'VAT20', NULL), "
         "('B2', 'B2-2', 'DEMO', 2, 2, '4091', 1, 1, -100.00, 20, 'DOM', 'VAT20', 'ADV-V01-1')");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase("B2", keys), 0) << Server().LastRefusalText();
    const TFilter advances = TFilter().Add("G_LAccountDimension.Reference_Id", "=", "V01");
    EXPECT_NEAR(Read("G_LAccountDimension", "sAmount", advances).AsFloat(), 100.00, 0.001);
    EXPECT_NEAR(Value("SELECT Remaining FROM G_ContragentEntry WHERE Contragent_Id = 'V01'").AsFloat(), -6.00, 0.001)
        << "(105.00 - 100.00) x 1.20 is left to pay";
}

TEST_F(BooksCheckTest, APostedCompanyIsWholeAndEveryTamperingIsNamed) {
    EXPECT_EQ(Differences(), std::vector<std::string>{});
    for (const TGoldenCase& c : ReadGoldenCases("server/books_tampered.txt")) {
        SCOPED_TRACE(c.Name);
        Exec(c.Text("Tamper"));
        const std::vector<std::string> found = Differences();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NE(found[0].find(c.Text("Named")), std::string::npos) << found[0];
        std::string report;
        EXPECT_EQ(RunAdmin("check '" + DatabasePath() + "'", &report), 1);
        EXPECT_NE(report.find(c.Text("Named")), std::string::npos) << report;
        Exec(c.Text("Undo"));
    }
    EXPECT_EQ(Differences(), std::vector<std::string>{});
    EXPECT_EQ(RunAdmin("check '" + DatabasePath() + "'"), 0);
}

TEST_F(TransactionNumbersTest, EachPostingAndAnnulmentTakesANumberNoEarlierTransactionUsed) {
    Exec("UPDATE C_CompanySetup SET Transaction_Series_Id = NULL WHERE Id = 'DEMO'");
    const struct {
        const char* Name;
        std::function<bool()> Run;
    } steps[] = {
        {"a payment of the invoice",
         [&] {
             Exec("INSERT INTO D_VendorPayment (Id, Comp_Id, DocumentNo, DocumentDate, AppliesToDoc_Id, Account_Id, "
                  "Amount, CurrencyFactor) SELECT 'P1', Id, '', 46347, '" + PostedB1() + "', DirectPayAccount, 10, 1 "
                  "FROM C_PurchasesSetup WHERE Id = 'DEMO'");
             return Payment("usp_PostVendorPayment", "P1");
         }},
        {"an invoice after the payment", [&] { return PostInvoice("B2"); }},
        {"the payment annulled", [&] { return Payment("usp_AnnulVendorPayment", "P1"); }},
        {"a protocol after the payment's annulment", [&] { return PostProtocol("PR1"); }},
        {"the invoice annulled",
         [&] {
             Variant unapplied;
             return Server().AnnulDocument(PostedB1(), 0, "", TDateTime::FromDate(2026, 11, 30), 0, unapplied) == 0;
         }},
        {"an invoice after the annulment", [&] { return PostInvoice("B3"); }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Name);
        const int64_t largest = Value("SELECT MAX(TransactionNo) FROM G_LEntry").AsInteger();
        ASSERT_TRUE(step.Run()) << Server().LastRefusalText();
        EXPECT_EQ(Value("SELECT MAX(TransactionNo) FROM G_LEntry").AsInteger(), largest + 1);
        EXPECT_EQ(Value("SELECT COUNT(*) FROM (SELECT TransactionNo FROM G_LEntry GROUP BY TransactionNo HAVING "
                        "COUNT(DISTINCT Document_Id || '/' || CAST(Storno AS TEXT)) > 1) AS shared")
                      .AsInteger(),
                  0);
    }
}

TEST_F(BooksCheckTest, ReleasingUsedBatchesMovesTheUseOntoOtherBatchesOrNamesTheShortage) {
    Exec("UPDATE G_ItemEntry SET RemainingQuantity = 4 WHERE Line_Id = 'B1-1'");
    const std::string exec = "exec dbo.usp_RestorItemEntryUsedQuantity 'DEMO', '" +
                             Value("SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'B1'").AsString() + "', 0,0 ,0 ";
    TRequestResult rows;
    ASSERT_EQ(Server().RequestValue(-1, exec, "Code,Name,UsedQty,AvailableQty", TFilter(), rows, true), 1);
    EXPECT_EQ(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Line_Id = 'B1-1'").AsFloat(), 4.0) << "nothing released";

    Exec("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, BusinessGroup_Id, "
         "Quantity, RemainingQuantity, CostAmount, Opened, TransactionNo) VALUES "
         "('OTHER', 'DEMO', '1008', 'X', 6, 46000, 'BG-SOF', 8, 8, 7.6, 1, 0)");
    EXPECT_EQ(Server().RequestValue(-1, exec, "Code,Name,UsedQty,AvailableQty", TFilter(), rows, true), 0);
    EXPECT_EQ(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Line_Id = 'B1-1'").AsFloat(), 10.0);
    EXPECT_EQ(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Id = 'OTHER'").AsFloat(), 2.0);
}

// The item's last direct cost (of its last line) and its average unit cost follow the invoice
// only while their flags of the purchases setup hold "True"; a ticked box stores "False".
TEST_F(LedgerViewsTest, AnItemsCostsFollowTheInvoiceAsThePurchasesSetupSays) {
    const struct {
        const char* name;
        const char *directCost, *averageCost;
        double lastDirectCost, unitCost;
    } cases[] = {
        {"both updated", "True", "True", 1.30, 1.20},
        {"no direct cost", "False", "True", 77.0, 1.20},
        {"no average cost", "True", "False", 1.30, 99.0},
        {"neither", "False", "False", 77.0, 99.0},
    };
    const double untouched = Value("SELECT LastDirectCost FROM N_Item WHERE Code = '1002'").AsFloat();
    int number = 4;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string id = "B" + std::to_string(number++);
        Exec("UPDATE C_PurchasesSetup SET Update_ItemDirectCost = '" + std::string(c.directCost) +
             "', UpdateAVGUnitCost = '" + c.averageCost + "'");
        Exec("UPDATE N_Item SET LastDirectCost = 77, UnitCost = 99 WHERE Code = '1001'");
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('" + id + "', 'DEMO', 1, 'SD-520', 'V03', '900" + id + "', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        // 1.10 and 1.30 average 1.20 however many such invoices came before.
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
             "TotalValue, UnitCost_LCY, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
             "('" + id + "', '" + id + "-1', 'DEMO', 1, 1, '1001', 1, 1, 1.10, 1.10, 20, 'DOM', 'VAT20'), "
             "('" + id + "', '" + id + "-2', 'DEMO', 2, 1, '1001', 1, 1, 1.30, 1.30, 20, 'DOM', 'VAT20'), "
             "('" + id + "', '" + id + "-3', 'DEMO', 3, 2, '1002', 1, 1, 9.99, 9.99, 20, 'DOM', 'VAT20')");
        TVariantArray keys;
        ASSERT_EQ(Server().PostPurchase(id, keys), 0) << Server().LastRefusalText();
        EXPECT_DOUBLE_EQ(Value("SELECT LastDirectCost FROM N_Item WHERE Code = '1001'").AsFloat(), c.lastDirectCost);
        EXPECT_DOUBLE_EQ(Value("SELECT UnitCost FROM N_Item WHERE Code = '1001'").AsFloat(), c.unitCost);
        EXPECT_DOUBLE_EQ(Value("SELECT LastDirectCost FROM N_Item WHERE Code = '1002'").AsFloat(), untouched)
            << "an account line of the same code is no purchase of the item";
    }
}

// Entries travel to the engine in bulk, where tabs, line breaks and backslashes mean something.
TEST_F(LedgerViewsTest, EntriesKeepTheLineTextAsTyped) {
    const std::string text = "Транспорт\tдо C:\\склад\n\"бърз\" \\N";
    Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
         "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
         "VALUES ('B3', 'DEMO', 1, 'SD-520', 'V03', '9003', 46346, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
    Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Quantity, "
         "QtyPerUnitOfMeasure, TotalValue, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES "
         "('B3', 'B3-1', 'DEMO', 1, 2, '602', '" + text + "', 1, 1, 0.07, 20, 'DOM', 'VAT20')");
    TVariantArray keys;
    ASSERT_EQ(Server().PostPurchase("B3", keys), 0) << Server().LastRefusalText();
    EXPECT_EQ(Value("SELECT Description FROM G_LEntry WHERE Line_Id = 'B3-1'").AsString(), text);
    EXPECT_DOUBLE_EQ(Value("SELECT Amount FROM G_LEntry WHERE Line_Id = 'B3-1'").AsFloat(), 0.07);
}

}  // namespace
}  // namespace tavrek::testing
