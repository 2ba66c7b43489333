// Imports of vendor 5003's deliveries on the demo company, against its two open orders:
// O1 (older) ten yoghurts 1008 at 0.95, three of them held by an open buffer and two by
// another import; O2 four yoghurts and four kilograms of cheese 1010 at 9.80 less 10 %, its
// yoghurt line serving sale order line SL1 (two to ship, at the Plovdiv business group).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "server/SqlValue.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class OrderImportTest : public SqliteFixture {
protected:
    OrderImportTest() {
        Order("O1", "ORD-1", "V03", 46330, {{"O1-1", "1008", 10, 0.95, 0}});
        Order("O2", "ORD-2", "V03", 46340, {{"O2-1", "1008", 4, 0.95, 0}, {"O2-2", "1010", 4, 9.80, 10}});
        Order("O3", "ORD-3", "V05", 46320, {{"O3-1", "1008", 5, 0.95, 0}});
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate) "
             "VALUES ('B0', 'DEMO', 23, 'SD-580', 'V03', 46345)");
        Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, OrderLine_Id) "
             "VALUES ('B0', 'B0-1', 'DEMO', 1, 1, '1008', 3, 'O1-1')");
        Import("IX", {{"IX-1", "1008", 2, ""}});
        Detail("DX", "IX", "IX-1", "O1-1", 0, "O1-1", 2);
        Import("I1", {{"I1-1", "1008", 8, ""}, {"I1-2", "1010", 6, ""}});
        Exec("INSERT INTO D_SaleOrderHeader (Id, Comp_Id, DocumentNo, BusinessGroup_Id) VALUES ('SO1', 'DEMO', 'SO-1', 'BG-PLV')");
        Exec("INSERT INTO D_SaleOrderLine (Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity) VALUES "
             "('SO1', 'SL1', 'DEMO', 1, '1008', 2)");
        Exec("INSERT INTO D_PurchOrderLineSuggestion (OrderLine_Id, Comp_Id, Order_Id, Suggestion_Id, SaleOrderLine_Id) "
             "VALUES ('O2-1', 'DEMO', 'O2', 'S1', 'SL1')");
    }

    struct TLine {
        const char* Id;
        const char* Code;
        double Quantity, Price, Discount;
    };

    void Order(const std::string& id, const std::string& number, const std::string& vendor, int date,
               std::initializer_list<TLine> lines) {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, DocumentDate, "
             "OrderDate, CurrencyFactor, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
             "VALUES ('" + id + "', 'DEMO', 22, 'SD-510', '" + number + "', '" + vendor + "', " + std::to_string(date) +
             ", " + std::to_string(date) + ", 1, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        int no = 0;
        for (const TLine& l : lines)
            Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
                 "DirectUnitCost_ACY, LineDiscount, VATPercent, VATBusPostGroup_Id, VATProdPostGroup_Id, GenBusPostGroup_Id, "
                 "GenProdPostGroup_Id) VALUES ('" + id + "', 'DEMO', '" + l.Id + "', " + std::to_string(++no) + ", 1, '" +
                 l.Code + "', " + std::to_string(l.Quantity) + ", 1, " + std::to_string(l.Price) + ", " +
                 std::to_string(l.Discount) + ", 20, 'DOM', 'VAT20', 'DOM', 'GOODS')");
    }

    struct TImportLine {
        const char* Id;
        const char* Item;
        double Quantity;
        const char* OrderNo;
    };

    void Import(const std::string& id, std::initializer_list<TImportLine> lines) {
        Exec("INSERT INTO D_PurchOrdImportHeader (Id, Comp_Id, DocumentNo, Code, Name, Contragent_id) VALUES ('" + id +
             "', 'DEMO', 'IMP-" + id + "', '5003', 'Vendor', 'V03')");
        int no = 0;
        for (const TImportLine& l : lines)
            Exec("INSERT INTO D_PurchOrdImportLine (Master_Id, Id, Comp_Id, Line_No, ItemForConnetc, Quantity, RemainingQty, "
                 "OrderNo) VALUES ('" + id + "', '" + l.Id + "', 'DEMO', " + std::to_string(++no) + ", '" + l.Item + "', " +
                 std::to_string(l.Quantity) + ", " + std::to_string(l.Quantity) + ", '" + l.OrderNo + "')");
    }

    void Detail(const std::string& id, const std::string& import, const std::string& line, const std::string& orderLine,
                int kind, const std::string& target, double quantity) {
        Exec("INSERT INTO D_PurchOrdImportLineDetail (Id, Comp_Id, Master_Id, MasterLine_Id, PurchLineId, TargetKind, "
             "Target_Id, BusinessGroup_Id, Quantity) VALUES ('" + id + "', 'DEMO', '" + import + "', '" + line + "', '" +
             orderLine + "', " + std::to_string(kind) + ", '" + target + "', 'BG-SOF', " + std::to_string(quantity) + ")");
    }

    TRequestResult Exec(const std::string& procedure, const std::vector<std::string>& args, const char* fields) {
        std::string text = "exec " + procedure + " ";
        for (size_t i = 0; i < args.size(); ++i) text += (i == 0 ? "'" : ", '") + args[i] + "'";
        TRequestResult result;
        Server().RequestValue(-1, text, fields, TFilter(), result, true);
        return result;
    }
    using SqliteFixture::Exec;

    int64_t Attach(const std::string& import, const std::string& group = "") {
        return Server().ExecuteStoredProcedure("usp_AttachImpToOrder", {"DEMO", import, group, "BG-SOF", "U1"}).Value().AsInteger();
    }

    // Whether text is the message: every part of it around its "%s" is there, in order.
    static bool Tells(const std::string& text, const std::string& message) {
        size_t from = 0, at = 0;
        for (size_t part = 0; part <= message.size(); part = at + 2) {
            at = std::min(message.find("%s", part), message.size());
            from = text.find(message.substr(part, at - part), from);
            if (from == std::string::npos) return false;
        }
        return !message.empty();
    }

    TRequestResult Select(const std::string& sql) { return server::SelectRows(Server().Database(), sql); }

    static std::string Amount(double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", value);
        return text;
    }

    // Each distribution of the import as "line order-line quantity", in order.
    std::string Distribution(const std::string& import) {
        std::string text;
        for (const TVariantArray& r : Select("SELECT MasterLine_Id, PurchLineId, Quantity FROM D_PurchOrdImportLineDetail "
                                             "WHERE Master_Id = '" + import + "' ORDER BY MasterLine_Id, PurchLineId, Target_Id").Rows)
            text += (text.empty() ? "" : ", ") + r[0].AsString() + " " + r[1].AsString() + " " + Amount(r[2].AsFloat());
        return text;
    }

    std::string Remaining(const std::string& import) {
        std::string text;
        for (const TVariantArray& r :
             Select("SELECT Id, RemainingQty FROM D_PurchOrdImportLine WHERE Master_Id = '" + import + "' ORDER BY Line_No").Rows)
            text += (text.empty() ? "" : ", ") + r[0].AsString() + " " + Amount(r[1].AsFloat());
        return text;
    }

    // Everything the procedures could change, as one fingerprint.
    std::string Stored() {
        return Distribution("I1") + " | " + Distribution("IX") + " | " + Remaining("I1") + " | " +
               std::to_string(Count("D_PurchOrderBufHeader")) + " " + std::to_string(Count("D_PurchOrderBufLine")) + " " +
               Value("SELECT SUM(LastNo) FROM S_NoSeries").AsString();
    }
};


// O1-1 has five free (three in the buffer, two in the other import), O2-1 four, O2-2 four.
TEST_F(OrderImportTest, AttachingFillsTheOldestOrderFirstNeverBeyondWhatALineHasFree) {
    struct TCase {
        const char* Name;
        const char* OrderNo;  // of the yoghurt line
        const char* Group;    // the business group the import keeps to
        const char* Distribution;
        const char* Remaining;
    };
    for (const TCase& c : {
             TCase{"oldest first", "", "", "I1-1 O1-1 5, I1-1 O2-1 3, I1-2 O2-2 4", "I1-1 0, I1-2 2"},
             TCase{"the order the line names first", "ORD-2", "", "I1-1 O1-1 4, I1-1 O2-1 4, I1-2 O2-2 4", "I1-1 0, I1-2 2"},
             TCase{"orders of another business group are left", "", "BG-PLV", "", "I1-1 8, I1-2 6"},
         }) {
        SCOPED_TRACE(c.Name);
        Exec("DELETE FROM D_PurchOrdImportLineDetail WHERE Master_Id = 'I1'");
        Exec(std::string("UPDATE D_PurchOrdImportLine SET OrderNo = '") + c.OrderNo + "' WHERE Id = 'I1-1'");
        ASSERT_EQ(Attach("I1", c.Group), 0) << Server().LastRefusalText();
        EXPECT_EQ(Distribution("I1"), c.Distribution);
        EXPECT_EQ(Remaining("I1"), c.Remaining);
    }
    // Attaching again finds nothing more free and changes nothing.
    Exec("UPDATE D_PurchOrdImportLine SET OrderNo = '' WHERE Id = 'I1-1'");
    ASSERT_EQ(Attach("I1"), 0);
    const std::string attached = Stored();
    ASSERT_EQ(Attach("I1"), 0);
    EXPECT_EQ(Stored(), attached);
}

TEST_F(OrderImportTest, AnImportThatCannotBeAttachedWholeIsRefusedAndNothingChanges) {
    struct TCase {
        const char* Name;
        const char* Arrange;
        const char* Refusal;
    };
    for (const TCase& c : {
             TCase{"no vendor", "UPDATE D_PurchOrdImportHeader SET Contragent_id = NULL WHERE Id = 'I1'", "err_NoContragentSet"},
             TCase{"an item of no company", "UPDATE D_PurchOrdImportLine SET ItemForConnetc = NULL WHERE Id = 'I1-2'",
                   "err_OrdImportUnknownItem"},
             TCase{"a line without quantity", "UPDATE D_PurchOrdImportLine SET Quantity = 0 WHERE Id = 'I1-2'",
                   "err_OrdImportLineQuantity"},
             TCase{"another company's import", "UPDATE D_PurchOrdImportHeader SET Comp_Id = 'OTHER' WHERE Id = 'I1'",
                   "err_PurchOrdImportNotFound"},
         }) {
        SCOPED_TRACE(c.Name);
        Exec(c.Arrange);
        const std::string before = Stored();
        EXPECT_EQ(Attach("I1"), -1);
        EXPECT_TRUE(Tells(Server().LastRefusalText(), Server().GetMessageText(c.Refusal))) << Server().LastRefusalText();
        EXPECT_EQ(Stored(), before);
        Exec("UPDATE D_PurchOrdImportHeader SET Contragent_id = 'V03', Comp_Id = 'DEMO' WHERE Id = 'I1'");
        Exec("UPDATE D_PurchOrdImportLine SET ItemForConnetc = '1010', Quantity = 6 WHERE Id = 'I1-2'");
    }
}

TEST_F(OrderImportTest, ADistributionByHandIsRefusedWhenItCannotBeDoneWhole) {
    Exec("UPDATE D_PurchOrdImportLine SET Quantity = 8 WHERE Id = 'I1-1'");
    Detail("D1", "I1", "I1-1", "O1-1", 0, "O1-1", 4);
    Import("IY", {{"IY-1", "1008", 1, ""}});
    Exec("UPDATE D_PurchOrdImportLine SET Master_Id = 'IY' WHERE Id = 'IX-1'");
    for (const TGoldenCase& c : ReadGoldenCases("server/order_import_distribution_refusals.txt")) {
        SCOPED_TRACE(c.Name);
        const std::string before = Stored();
        const TRequestResult result =
            Exec("usp_SetOrdImportLineDetail",
                 {"DEMO", "I1", c.Text("Line"), c.Text("OrderLine"), c.Text("Kind"), c.Text("Target"), c.Text("Quantity"),
                  "BG-SOF", "U1"},
                 "Result,ErrMsg");
        EXPECT_EQ(result.ByName("Result").AsInteger(), -1);
        EXPECT_TRUE(Tells(result.ByName("ErrMsg").AsString(), Server().GetMessageText(c.Text("Refusal"))))
            << result.ByName("ErrMsg").AsString();
        EXPECT_EQ(Stored(), before);
    }
}

// Taken back in part and then whole; a distribution a buffer carries out stays the buffer's.
TEST_F(OrderImportTest, ADistributionIsTakenBackInPartOrWholeUntilABufferCarriesItOut) {
    ASSERT_EQ(Attach("I1"), 0);
    const std::string detail = Value("SELECT Id FROM D_PurchOrdImportLineDetail WHERE PurchLineId = 'O2-1'").AsString();
    const auto takeBack = [&](const char* quantity) {
        return Exec("usp_RemoveFromRelationOrdImpLine", {"DEMO", detail, quantity, "BG-SOF", "U1"}, "Result,ErrMsg")
            .ByName("Result")
            .AsInteger();
    };
    EXPECT_EQ(takeBack("4"), -1) << "more than it holds";
    EXPECT_EQ(takeBack("1"), 0);
    EXPECT_EQ(Remaining("I1"), "I1-1 1, I1-2 2");
    // The one taken back goes to the sale order line O2-1 serves.
    EXPECT_EQ(Exec("usp_SetOrdImportLineDetail", {"DEMO", "I1", "I1-1", "O2-1", "51", "SL1", "1", "BG-SOF", "U1"},
                   "Result,ErrMsg").ByName("Result").AsInteger(), 0);
    EXPECT_EQ(Value("SELECT BusinessGroup_Id FROM D_PurchOrdImportLineDetail WHERE Target_Id = 'SL1'").AsString(), "BG-PLV");
    EXPECT_EQ(Value("SELECT QtyToShip FROM dv_PurchOrdImportEntry WHERE Doc_Id = 'I1' AND PurchLineId = 'O2-1'").AsFloat(),
              1.0);
    EXPECT_EQ(takeBack("2"), 0);
    EXPECT_EQ(Count("D_PurchOrdImportLineDetail", "Id = '" + detail + "'"), 0);
    Exec("UPDATE D_PurchOrdImportLineDetail SET BufferLine_Id = 'B0-1' WHERE Master_Id = 'I1'");
    const std::string inBuffer = Value("SELECT Id FROM D_PurchOrdImportLineDetail WHERE PurchLineId = 'O1-1' AND "
                                       "Master_Id = 'I1'").AsString();
    EXPECT_EQ(Exec("usp_RemoveFromRelationOrdImpLine", {"DEMO", inBuffer, "1", "BG-SOF", "U1"}, "Result,ErrMsg")
                  .ByName("ErrMsg").AsString(),
              Server().GetMessageText("err_OrdImportDetailInBuffer"));
}

// One buffer per order and business group; posted as receipts they receive what the import
// brought: O1-1 5, O2-1 3 (one of them for the sale order at Plovdiv), O2-2 4.
TEST_F(OrderImportTest, TheDistributionBecomesOneBufferPerOrderAndGroupThatPostsAsAReceipt) {
    ASSERT_EQ(Attach("I1"), 0);
    const std::string detail = Value("SELECT Id FROM D_PurchOrdImportLineDetail WHERE PurchLineId = 'O2-1'").AsString();
    ASSERT_EQ(Exec("usp_RemoveFromRelationOrdImpLine", {"DEMO", detail, "1", "BG-SOF", "U1"}, "Result,ErrMsg")
                  .ByName("Result").AsInteger(), 0);
    ASSERT_EQ(Exec("usp_SetOrdImportLineDetail", {"DEMO", "I1", "I1-1", "O2-1", "51", "SL1", "1", "BG-SOF", "U1"},
                   "Result,ErrMsg").ByName("Result").AsInteger(), 0);
    const double stockBefore = Value("SELECT COALESCE(SUM(Quantity), 0) FROM G_ItemEntry WHERE Item_Id = '1008'").AsFloat();
    const std::string before = Stored();
    EXPECT_EQ(Exec("usp_CreatePurchOrderBuffImp", {"DEMO", "I1", "SD-510", "BG-SOF", "U1"}, "Result, Doc_ID, DocumentNo, ErrMsg")
                  .ByName("ErrMsg").AsString(),
              "err_SelectDocSubType") << "an order's subtype is no buffer's";
    EXPECT_EQ(Stored(), before);
    const TRequestResult made =
        Exec("usp_CreatePurchOrderBuffImp", {"DEMO", "I1", "SD-580", "BG-SOF", "U1"}, "Result, Doc_ID, DocumentNo, ErrMsg");
    ASSERT_EQ(made.Rows.size(), 3u) << made.ByName("ErrMsg").AsString();
    EXPECT_EQ(Select("SELECT AppliesToDoc_Id, BusinessGroup_Id, TotalValue FROM D_PurchOrderBufHeader WHERE Id <> 'B0' "
                     "ORDER BY DocumentNo").Rows.size(), 3u);
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT DocumentNo) FROM D_PurchOrderBufHeader WHERE Id <> 'B0'").AsInteger(), 3);
    // 4 kg of cheese at 9.80 less 10 %: 35.28, with 20 % VAT 42.34.
    EXPECT_NEAR(Value("SELECT TotalValue FROM D_PurchOrderBufLine WHERE OrderLine_Id = 'O2-2'").AsFloat(), 35.28, 1e-9);
    EXPECT_NEAR(Value("SELECT TotalVAT FROM D_PurchOrderBufLine WHERE OrderLine_Id = 'O2-2'").AsFloat(), 42.34, 1e-9);
    EXPECT_EQ(Count("D_PurchOrdImportLineDetail", "Master_Id = 'I1' AND BufferLine_Id IS NULL"), 0);
    EXPECT_EQ(Exec("usp_CreatePurchOrderBuffImp", {"DEMO", "I1", "SD-580", "BG-SOF", "U1"}, "Result, Doc_ID, DocumentNo, ErrMsg")
                  .ByName("Result").AsInteger(), -2) << "nothing is left to generate";
    for (const TVariantArray& row : made.Rows) {
        TVariantArray keys;
        ASSERT_EQ(Server().PostPurchOrder(row[1].AsString(), keys, 0), 0) << Server().LastRefusalText();
    }
    EXPECT_EQ(Select("SELECT Id, ReceivedQty FROM D_PurchaseLine WHERE Id IN ('O1-1', 'O2-1', 'O2-2') ORDER BY Id").Rows,
              (std::vector<TVariantArray>{{"O1-1", 5.0}, {"O2-1", 3.0}, {"O2-2", 4.0}}));
    EXPECT_NEAR(Value("SELECT COALESCE(SUM(Quantity), 0) FROM G_ItemEntry WHERE Item_Id = '1008'").AsFloat(), stockBefore + 8, 1e-9);
    EXPECT_NEAR(Value("SELECT COALESCE(SUM(Quantity), 0) FROM G_ItemEntry WHERE Item_Id = '1008' AND BusinessGroup_Id = 'BG-PLV'")
                    .AsFloat(), 1, 1e-9);
    // What the receipts received is no longer free; the buffer B0 and import IX still hold theirs.
    EXPECT_NEAR(Value("SELECT PurchFreeQty FROM dv_PurchOrdImpOrderLine WHERE PurchLineId = 'O1-1'").AsFloat(), 0, 1e-9);
}

}  // namespace
}  // namespace tavrek::testing
