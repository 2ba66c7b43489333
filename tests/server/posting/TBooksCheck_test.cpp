#include "server/posting/TBooksCheck.h"

#include <gtest/gtest.h>

#include "server/SqlValue.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

// A posted invoice of a domestic vendor in the demo company; the books then are tampered with.
class BooksCheckTest : public SqliteFixture {
protected:
    BooksCheckTest() {
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

    std::vector<std::string> Differences() {
        auto& db = Server().Database();
        return server::TBooksCheck([&](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(db, sql, values);
               }).Differences();
    }
};

TEST_F(BooksCheckTest, APostedCompanyIsWholeAndEveryTamperingIsNamed) {
    EXPECT_EQ(Differences(), std::vector<std::string>{});
    const struct {
        const char* Name;
        const char* Tamper;
        const char* Undo;
        const char* Named;
    } cases[] = {
        {"a ledger line lost a cent", "UPDATE G_LEntry SET Amount = Amount + 0.01 WHERE Account_Id = '602'",
         "UPDATE G_LEntry SET Amount = Amount - 0.01 WHERE Account_Id = '602'", "операция 1 не е балансирана, разлика 0.01"},
        {"a vendor entry changed alone", "UPDATE G_ContragentEntry SET Remaining = Remaining + 5",
         "UPDATE G_ContragentEntry SET Remaining = Remaining - 5", "доставчик V03 има открити задължения"},
        {"an item entry changed alone", "UPDATE G_ItemEntry SET CostAmount = 9.60",
         "UPDATE G_ItemEntry SET CostAmount = 9.50", "складовите записи струват 9.60, а сметките за материални запаси 9.50"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        Exec(c.Tamper);
        const std::vector<std::string> found = Differences();
        ASSERT_EQ(found.size(), 1u);
        EXPECT_NE(found[0].find(c.Named), std::string::npos) << found[0];
        Exec(c.Undo);
    }
    EXPECT_EQ(Differences(), std::vector<std::string>{});
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
         "('OTHER', 'DEMO', 'I008', 'X', 6, 46000, 'BG-SOF', 8, 8, 7.6, 1, 0)");
    EXPECT_EQ(Server().RequestValue(-1, exec, "Code,Name,UsedQty,AvailableQty", TFilter(), rows, true), 0);
    EXPECT_EQ(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Line_Id = 'B1-1'").AsFloat(), 10.0);
    EXPECT_EQ(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Id = 'OTHER'").AsFloat(), 2.0);
}

}  // namespace
}  // namespace tavrek::testing
