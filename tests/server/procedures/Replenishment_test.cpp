// Suggestion runs on the company's engine, from the cases of suggestion_runs.txt: stock,
// orders, sales and sale orders are arranged directly, the procedure runs as the client calls
// it, and the rows it leaves are compared with the values worked by hand.
#include <cmath>

#include <gtest/gtest.h>

#include "base/data/TDateTime.h"
#include "base/data/TFilter.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class ReplenishmentRunTest : public SqliteFixture, public ::testing::WithParamInterface<TGoldenCase> {
protected:
    void SetUp() override {
        for (const char* table : {"G_ItemEntry", "D_SaleOrderLine", "D_SaleOrderHeader", "D_PurchaseLine",
                                  "D_PurchHeader", "D_PurchInvoiceLine", "D_PurchInvoiceHeader"})
            Exec(std::string("DELETE FROM ") + table);
        Exec("UPDATE N_Item SET MinimumStock = 0, OrderMultiple = 0");
        Exec("DELETE FROM N_ItemVendor");
    }

    static std::string Literal(const Variant& value) {
        if (value.IsNull()) return "NULL";
        if (value.Type() == TVarType::varString) return "'" + value.AsString() + "'";
        return value.AsString();
    }
    // Keys are text even where they look like numbers (items are keyed by their number).
    static std::string Key(const Variant& value) { return "'" + value.AsString() + "'"; }
    static std::string Date(const TGoldenRow& row, const char* key) {
        return std::to_string(TDateTime::Parse(row.Text(key)).Serial());
    }
    std::string Next() { return std::to_string(++serial_); }

    void Insert(const std::string& table, const std::string& columns, const std::string& values) {
        Exec("INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")");
    }

    void Arrange(const TGoldenRow& row) {
        const std::string item = Key(row["Item_Id"]);
        if (row.Kind == "item") {
            std::string sets;
            for (const auto& [key, value] : row.Pairs)
                if (key != "Id") sets += (sets.empty() ? "" : ", ") + key + " = " + Literal(value);
            Exec("UPDATE N_Item SET " + sets + " WHERE Id = " + Key(row["Id"]));
        } else if (row.Kind == "vendoritem") {
            Insert("N_ItemVendor", "Id, Comp_Id, Item_Id, Contragent_Id, MinOrderQty, LeadTimeDays",
                   "'IV" + Next() + "', 'DEMO', " + item + ", " + Literal(row["Contragent_Id"]) + ", " +
                       std::to_string(row.Number("MinOrderQty")) + ", " + std::to_string(row.Int("LeadTimeDays")));
        } else if (row.Kind == "entry" || row.Kind == "sale") {
            const bool sale = row.Kind == "sale";
            Insert("G_ItemEntry", "Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, Store_Id, Quantity",
                   "'IE" + Next() + "', 'DEMO', " + item + ", 'DOC', " + (sale ? "50" : "26") + ", " + Date(row, "Date") +
                       ", " + (row.Has("Store_Id") ? Literal(row["Store_Id"]) : "'S01'") + ", " +
                       std::to_string(sale ? -row.Number("Quantity") : row.Number("Quantity")));
        } else if (row.Kind == "bought") {
            const std::string id = "'PI" + Next() + "'";
            Insert("D_PurchInvoiceHeader", "Id, Comp_Id, DocumentType, DocumentNo, PostingDate, Contragent_Id",
                   id + ", 'DEMO', 6, " + id + ", " + Date(row, "Date") + ", " + Literal(row["Contragent_Id"]));
            Insert("D_PurchInvoiceLine", "Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity",
                   id + ", " + id + ", 'DEMO', 1, 1, " + item + ", 1");
        } else if (row.Kind == "order") {
            const std::string id = "'PO" + Next() + "'";
            Insert("D_PurchHeader", "Id, Comp_Id, DocumentType, Contragent_Id, BusinessGroup_Id, DocStatus",
                   id + ", 'DEMO', 22, " + Literal(row["Contragent_Id"]) + ", 'BG-SOF', 0");
            Insert("D_PurchaseLine", "Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, ReceivedQty",
                   id + ", " + id + ", 'DEMO', 1, 1, " + item + ", " + std::to_string(row.Number("Quantity")) + ", " +
                       std::to_string(row.Number("ReceivedQty")));
        } else if (row.Kind == "saleorder") {
            const std::string no = row.Text("No");
            Insert("D_SaleOrderHeader", "Id, Comp_Id, DocumentNo, Store_Id, BusinessGroup_Id, DocStatus",
                   "'" + no + "', 'DEMO', '" + no + "', " + (row.Has("Store_Id") ? Literal(row["Store_Id"]) : "'S01'") +
                       ", " + (row.Has("BusinessGroup_Id") ? Literal(row["BusinessGroup_Id"]) : "'BG-SOF'") + ", 0");
            Insert("D_SaleOrderLine", "Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity, ShippedQty, DueDate",
                   "'" + no + "', '" + no + "/1', 'DEMO', 1, " + item + ", " + std::to_string(row.Number("Quantity")) +
                       ", " + std::to_string(row.Number("ShippedQty")) + ", " + Date(row, "Due"));
        } else {
            FAIL() << "unknown step " << row.Kind;
        }
    }

    void Run(const TGoldenRow& row) {
        const std::string name = row.Words.at(0).AsString();
        TVariantArray args{"DEMO"};
        for (size_t i = 1; i < row.Words.size(); ++i) args.push_back(row.Words[i].AsString());
        const TRequestResult result = Server().ExecuteStoredProcedure(name, args);
        ASSERT_EQ(result.ByName("Result").AsInteger(), 0) << name << ": " << Server().LastRefusalText();
        if (name == "usp_GetPurchOrderSuggestion") rowsOf_ = "D_PurchOrderSuggestion";
        else if (name == "usp_GetPurchOrderSuggToStore") rowsOf_ = "D_PurchOrderSeggBySaleOrder";
        else rowsOf_ = "D_PurchOrderSuggToVendorLine";
        expected_ = 0;
    }

    void Create(const TGoldenRow& row) {
        TRequestResult answer;
        Server().RequestValue(-1, "exec dbo.usp_CreatePurchOrderFromSuggToStore 'DEMO', 'BG-SOF', 'ADMIN', '" +
                                      row.Text("DocSubType_Id") + "', '" + row.Text("Contragent_Id") + "',''",
                              "Result,Doc_No,Doc_Id,ErrMsg", TFilter(), answer);
        ASSERT_NE(answer.ByName("Result").AsString(), "-1") << answer.ByName("ErrMsg").AsString();
        createdOrder_ = answer.ByName("Doc_Id").AsString();
        EXPECT_FALSE(answer.ByName("Doc_No").AsString().empty());
    }

    // Compares the named columns of the next row of the last run (or of the created order).
    void Expect(const TGoldenRow& row, bool created) {
        std::string columns;
        for (const auto& [key, value] : row.Pairs) columns += (columns.empty() ? "" : ", ") + key;
        const std::string sql =
            created ? "SELECT " + columns + " FROM D_PurchaseLine WHERE Master_Id = '" + createdOrder_ + "' ORDER BY Line_No"
            : "SELECT " + columns + " FROM " + rowsOf_ + " WHERE Comp_Id = 'DEMO' ORDER BY Item_Id" +
                      (rowsOf_ == "D_PurchOrderSuggToVendorLine" ? "" : ", COALESCE(SaleOrderLine_Id, 'zzz')");
        const TRequestResult rows = server::SelectRows(Server().Database(), sql);
        const size_t at = created ? createdSeen_++ : expected_++;
        ASSERT_LT(at, rows.Rows.size()) << "too few rows";
        for (size_t i = 0; i < row.Pairs.size(); ++i) {
            const Variant& want = row.Pairs[i].second;
            const Variant& got = rows.Value(at, i);
            if (want.IsNull() || got.IsNull()) EXPECT_EQ(want.IsNull(), got.IsNull()) << row.Pairs[i].first;
            else if (want.Type() == TVarType::varString) EXPECT_EQ(got.AsString(), want.AsString()) << row.Pairs[i].first;
            else EXPECT_NEAR(got.AsFloat(), want.AsFloat(), 0.000001) << row.Pairs[i].first << " of row " << at + 1;
        }
    }

    void ExpectAllSeen() {
        if (rowsOf_.empty()) return;
        EXPECT_EQ(Count(rowsOf_, "Comp_Id = 'DEMO'"), static_cast<int64_t>(expected_)) << "rows of " << rowsOf_;
    }

    int serial_ = 0;
    std::string rowsOf_;
    std::string createdOrder_;
    size_t expected_ = 0;
    size_t createdSeen_ = 0;
};

TEST_P(ReplenishmentRunTest, LeavesTheRowsWorkedByHand) {
    for (const TGoldenRow& row : GetParam().Rows) {
        SCOPED_TRACE(row.Kind + " " + (row.Words.empty() ? "" : row.Words[0].AsString()));
        if (row.Kind == "run") {
            ExpectAllSeen();
            Run(row);
        } else if (row.Kind == "expect") {
            if (row.Words.empty()) Expect(row, false);
        } else if (row.Kind == "create") {
            Create(row);
        } else if (row.Kind == "created") {
            Expect(row, true);
        } else {
            Arrange(row);
        }
        if (HasFatalFailure()) return;
    }
    ExpectAllSeen();
}

INSTANTIATE_TEST_SUITE_P(Cases, ReplenishmentRunTest,
                         ::testing::ValuesIn(ReadGoldenCases("replenishment/suggestion_runs.txt")));

}  // namespace
}  // namespace tavrek::testing
