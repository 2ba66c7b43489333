// The documents a new demo company starts with: entered through the editors, posted into
// balanced books, and what the lists and ledger views then show.
#include "scenario/TDemoDocuments.h"

#include <gtest/gtest.h>

#include "server/SqlValue.h"
#include "server/posting/TBooksCheck.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class DemoDocumentsTest : public SqliteFixture {};

TEST_F(DemoDocumentsTest, EveryListAndLedgerViewHasSomethingAndTheBooksBalance) {
    scenario::AddDemoDocuments(Server());
    const struct {
        const char* What;
        const char* Sql;
        double Expected;
    } cases[] = {
        {"posted invoices, three of small deliveries and four of January's stock",
         "SELECT COUNT(*) FROM D_PurchInvoiceHeader WHERE Annul = 0", 11},
        {"invoice lines a global invoice of the small deliveries can take",
         "SELECT COUNT(*) FROM dv_PurchInvoiceLineSelect WHERE Contragent_Id = 'V13' AND DoNotIncInVATLedger = 1 AND "
         "Annul = 0 AND IsGlobalInvoice = 0 AND GlobalInvoiceNo IS NULL", 5},
        {"credit memo lines a global credit memo can take",
         "SELECT COUNT(*) FROM dv_PurchCrMemoLineSelect WHERE Contragent_Id = 'V13' AND NotIncludeVatLedger = 1 AND "
         "Annul = 0 AND IsGlobalCrMemo = 0 AND GlobalCrMemoNo IS NULL", 2},
        {"the open invoice", "SELECT COUNT(*) FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id "
                             "WHERE h.VendorInvoiceNo = '0000003310'", 2},
        {"the credit memo", "SELECT TotalVAT FROM D_PurchCrMemoHeader WHERE ToInvoiceNo = '0000077002'", 4.56},
        {"the dairy's open entries", "SELECT SUM(Remaining) FROM G_ContragentEntry WHERE Contragent_Id = 'V03'",
         -133.25 + 4.56},
        {"yoghurts in stock after four went back", "SELECT SUM(Quantity) FROM G_ItemEntry i JOIN N_Item n ON "
                                                   "n.Id = i.Item_Id WHERE n.Code = '1008'", 20},
        {"the offer still open", "SELECT TotalVAT FROM D_PurchHeader WHERE DocumentType = 20 AND COALESCE(DocStatus, 0) = 0", 78.48},
        {"the honey still to come", "SELECT SUM(QtyToReceive) FROM D_PurchaseLine l JOIN D_PurchHeader h ON "
                                    "h.Id = l.Master_Id WHERE h.DocumentType = 22 AND h.DocStatus = 0", 6},
        {"the honey received", "SELECT TotalValue FROM D_PurchReceiptHeader", 134.40},
        // Item 1016 + i sells 4 + (5i mod 7) a month and was bought with (7i mod 15) to spare.
        {"the monthly orders shipped", "SELECT COUNT(*) FROM D_SaleOrderHeader WHERE DocStatus = 1", 11},
        {"a year's sales, 111 a month", "SELECT -SUM(Quantity) FROM G_ItemEntry WHERE DocumentType = 50", 1221},
        {"the pickles left of January's 106", "SELECT SUM(Quantity) FROM G_ItemEntry WHERE Item_Id = '1017'", 7},
        {"the beer sold out", "SELECT SUM(Quantity) FROM G_ItemEntry WHERE Item_Id = '1016'", 0},
        {"dollar invoice in euro", "SELECT TotalValue_LCY FROM D_PurchInvoiceHeader WHERE VendorInvoiceNo = 'OI-7781'",
         33.68},
    };
    for (const auto& c : cases) EXPECT_NEAR(Value(c.Sql).AsFloat(), c.Expected, 0.001) << c.What;
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT DocumentNo) FROM D_PurchInvoiceHeader").AsInteger(), 11);
    // Every worksheet has something to propose on first start.
    const std::pair<const char*, TVariantArray> runs[] = {
        {"usp_GetPurchOrderSuggestion", {"DEMO"}},
        {"usp_GetPurchOrderSuggestionToVendor", {"DEMO", "", "", "", 0, 0, "20261101", "20261130", 1, ""}},
        {"usp_GetPurchOrderSuggToStore", {"DEMO", "BG-SOF", 0}},
    };
    for (const auto& [procedure, args] : runs)
        ASSERT_EQ(Server().ExecuteStoredProcedure(procedure, args).Value().AsInteger(), 0) << procedure;
    EXPECT_GT(Count("D_PurchOrderSuggestion"), 0);
    EXPECT_GT(Count("D_PurchOrderSuggToVendorLine", "QTYForOrder > 0 AND SoldQty > 0"), 0);
    EXPECT_GT(Count("D_PurchOrderSeggBySaleOrder"), 0);

    auto& db = Server().Database();
    const auto differences = server::TBooksCheck([&](const std::string& sql, const TVariantArray& values) {
                                 return server::SelectRows(db, sql, values);
                             }).Differences();
    EXPECT_EQ(differences, std::vector<std::string>{});
}

}  // namespace
}  // namespace tavrek::testing
