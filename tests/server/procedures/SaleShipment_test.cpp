// Sale orders shipped by the server from the cases of sale_shipments.txt: receipts are
// arranged with their cost and its booking, the procedure runs as the sale order editor calls
// it, and the entries, the ledger and the order are compared with the values worked by hand.
#include <gtest/gtest.h>

#include <map>

#include "base/data/TClientDataSet.h"
#include "base/data/TDateTime.h"
#include "server/SqlValue.h"
#include "server/posting/TBooksCheck.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class SaleOrderFixture : public SqliteFixture {
protected:
    // The company's text of a refusal, as the server tells it.
    std::string MessageOf(const std::string& key) {
        return Value("SELECT Text FROM S_Messages WHERE Id = '" + key + "'").AsString();
    }
};

class SaleShipmentTest : public SaleOrderFixture, public ::testing::WithParamInterface<TGoldenCase> {
protected:
    static std::string Text(const TGoldenRow& row, const char* key, const char* otherwise) {
        return "'" + (row.Has(key) ? row.Text(key) : std::string(otherwise)) + "'";
    }
    static std::string Number(const TGoldenRow& row, const char* key) { return std::to_string(row.Number(key)); }

    void Receipt(const TGoldenRow& row) {
        const std::string id = "'R" + std::to_string(++receipts_) + "'";
        const std::string date = std::to_string(TDateTime::Parse(row.Text("Date")).Serial());
        Exec("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, Store_Id, "
             "BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, CostAmount_ACY, Opened, TransactionNo) VALUES (" +
             id + ", 'DEMO', " + Text(row, "Item_Id", "") + ", " + id + ", 26, " + date + ", " + Text(row, "Store_Id", "S01") +
             ", 'BG-SOF', " + Number(row, "Quantity") + ", " + Number(row, "Quantity") + ", " + Number(row, "Cost") + ", " +
             Number(row, "Cost") + ", 1, 0)");
        for (const auto& [account, sign] : {std::pair{"304", ""}, std::pair{"503", "-"}})
            Exec(std::string("INSERT INTO G_LEntry (Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, "
                             "DocumentType, Amount, Amount_ACY, Storno) VALUES (") + id + " || '" + account +
                 "', 'DEMO', 0, '" + account + "', " + date + ", " + id + ", 26, " + sign + Number(row, "Cost") + ", " +
                 sign + Number(row, "Cost") + ", 0)");
    }

    void SaleOrder(const TGoldenRow& row) {
        const std::string no = "'" + row.Text("No") + "'";
        Exec("INSERT INTO D_SaleOrderHeader (Id, Comp_Id, DocumentNo, Store_Id, BusinessGroup_Id, DocStatus) VALUES (" +
             no + ", 'DEMO', " + no + ", " + Text(row, "Store_Id", "S01") + ", " + Text(row, "BusinessGroup_Id", "BG-SOF") +
             ", " + std::to_string(row.Int("DocStatus")) + ")");
        Exec("INSERT INTO D_SaleOrderLine (Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity, ShippedQty, DueDate) "
             "VALUES (" + no + ", " + no + " || '/1', 'DEMO', 1, " + Text(row, "Item_Id", "") + ", " +
             Number(row, "Quantity") + ", 0, 46360)");
    }

    void Ship(const TGoldenRow& row) {
        const TRequestResult answer =
            Server().ExecuteStoredProcedure("usp_ShipSaleOrder", {"DEMO", row.Text("No"), row.Text("Date")});
        ASSERT_EQ(answer.ByName("Result").AsInteger(), row.Int("Result")) << Server().LastRefusalText();
        if (row.Has("ShippedQty")) {
            EXPECT_DOUBLE_EQ(answer.ByName("ShippedQty").AsFloat(), row.Number("ShippedQty"));
        }
        if (!row.Has("Refusal")) return;
        // A message with an argument is compared up to it.
        const std::string expected = MessageOf(row.Text("Refusal"));
        EXPECT_EQ(Server().LastRefusalText().substr(0, expected.find("%s")), expected.substr(0, expected.find("%s")));
    }

    // Compares the named columns of one row the sql finds.
    void ExpectRow(const std::string& sql, const TGoldenRow& row, const std::vector<const char*>& columns) {
        const TRequestResult found = server::SelectRows(Server().Database(), sql);
        ASSERT_FALSE(found.Empty()) << sql;
        for (size_t i = 0; i < columns.size(); ++i)
            EXPECT_NEAR(found.Value(0, i).AsFloat(), row.Number(columns[i]), 0.000001) << columns[i] << " of " << sql;
    }

    void Expect(const TGoldenRow& row) {
        if (row.Kind == "issue") {
            const std::string offset = std::to_string(issues_[row.Text("Receipt")]++);
            ExpectRow("SELECT Quantity, CostAmount FROM G_ItemEntry WHERE DocumentType = 50 AND AppliesToEntry_Id = 'R" +
                          row.Text("Receipt") + "' ORDER BY PostingDate, C_Datetime LIMIT 1 OFFSET " + offset,
                      row, {"Quantity", "CostAmount"});
        } else if (row.Kind == "remaining") {
            ExpectRow("SELECT RemainingQuantity, Opened FROM G_ItemEntry WHERE Id = 'R" + row.Text("Receipt") + "'", row,
                      {"RemainingQuantity", "Opened"});
        } else if (row.Kind == "ledger") {
            ExpectRow("SELECT SUM(Amount) FROM G_LEntry WHERE DocumentType = 50 AND Account_Id = '" + row.Text("Account_Id") +
                          "'", row, {"Amount"});
        } else {
            ExpectRow("SELECT l.ShippedQty, h.DocStatus FROM D_SaleOrderLine l JOIN D_SaleOrderHeader h ON h.Id = "
                      "l.Master_Id WHERE h.Id = '" + row.Text("No") + "'", row, {"ShippedQty", "DocStatus"});
        }
    }

    std::vector<std::string> BooksDifferences() {
        auto& db = Server().Database();
        return server::TBooksCheck([&](const std::string& sql, const TVariantArray& values) {
                   return server::SelectRows(db, sql, values);
               }).Differences();
    }

    int receipts_ = 0;
    std::map<std::string, int> issues_;
};

TEST_P(SaleShipmentTest, ShipsTheValuesWorkedByHand) {
    for (const TGoldenRow& row : GetParam().Rows) {
        SCOPED_TRACE(row.Kind);
        if (row.Kind == "setup") Exec("UPDATE G_InventoryPostingSetup SET CostOfSalesAccount = NULL");
        else if (row.Kind == "receipt") Receipt(row);
        else if (row.Kind == "saleorder") SaleOrder(row);
        else if (row.Kind == "ship") Ship(row);
        else Expect(row);
        if (HasFatalFailure()) return;
    }
    const int64_t issues = Count("G_ItemEntry", "DocumentType = 50");
    int64_t expected = 0;
    for (const auto& [receipt, seen] : issues_) expected += seen;
    EXPECT_EQ(issues, expected) << "issues beyond those listed";
    EXPECT_EQ(BooksDifferences(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, SaleShipmentTest, ::testing::ValuesIn(ReadGoldenCases("server/sale_shipments.txt")));

// The server keeps a sale order shippable whatever a client sends: a line of no quantity,
// without a due date or below what has shipped, and an order without its store, are refused.
class SaleOrderRulesTest : public SaleOrderFixture {};

TEST_F(SaleOrderRulesTest, SaleOrdersTheStoreCouldNotShipAreRefusedByTheServer) {
    Exec("INSERT INTO D_SaleOrderHeader (Id, Comp_Id, DocumentNo, Store_Id, BusinessGroup_Id, DocStatus) VALUES "
         "('SO-1', 'DEMO', 'SO-1', 'S01', 'BG-SOF', 0)");
    Exec("INSERT INTO D_SaleOrderLine (Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity, ShippedQty, DueDate) VALUES "
         "('SO-1', 'SO-1/1', 'DEMO', 1, '1016', 5, 2, 46360)");
    const struct {
        const char* Table;
        const char* Field;
        Variant Value;
        const char* Key;
    } cases[] = {
        {"D_SaleOrderLine", "Quantity", 0.0, "err_SaleOrderLineQuantity"},
        {"D_SaleOrderLine", "Quantity", 1.0, "err_SaleOrderLineBelowShipped"},
        {"D_SaleOrderLine", "DueDate", Variant(), "err_SaleOrderLineDueDate"},
        {"D_SaleOrderLine", "Item_Id", "", "err_SaleOrderLineNoItem"},
        {"D_SaleOrderHeader", "Store_Id", Variant(), "err_SaleOrderNoStore"},
        {"D_SaleOrderHeader", "DocumentNo", " ", "err_SaleOrderNoNumber"},
    };
    for (const auto& c : cases) {
        TClientDataSet rows;
        const std::string key = std::string(c.Table) == "D_SaleOrderLine" ? ".Master_Id" : ".Id";
        Server().RequestData(c.Table, TFilter().Add(std::string(c.Table) + key, "=", "SO-1"), rows);
        rows.Edit();
        rows.FieldByName(c.Field).SetValue(c.Value);
        rows.Post();
        std::string errorText;
        EXPECT_EQ(Server().ApplyUpdates({{c.Table, &rows}}, errorText), 1) << c.Key;
        EXPECT_NE(errorText.find(MessageOf(c.Key)), std::string::npos) << errorText;
    }
    EXPECT_EQ(Count("D_SaleOrderLine", "Quantity = 5 AND DueDate = 46360 AND Item_Id = '1016'"), 1);
    EXPECT_EQ(Count("D_SaleOrderHeader", "Store_Id = 'S01' AND DocumentNo = 'SO-1'"), 1);
}

}  // namespace
}  // namespace tavrek::testing
