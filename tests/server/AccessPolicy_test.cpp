// Requests a client should not be able to make: other companies' rows, tables only the
// server writes, wildcards it did not mean.
#include "server/TAccessPolicy.h"

#include <gtest/gtest.h>

#include "base/data/TClientDataSet.h"
#include "server/TQueryBuilder.h"
#include "support/DataSetBuilder.h"
#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class AccessPolicyTest : public SqliteFixture {
protected:
    AccessPolicyTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo) VALUES ('X1', 'OTHER', 1, 'X-1')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Quantity) VALUES ('X1', 'XL1', 'DEMO', 1, 5)");
    }
    int Ask(const std::string& source, const TFilter& filter) {
        TRequestResult rows;
        return Server().RequestValue(0, source, "Id", filter, rows, true);
    }
    int64_t Refusals() { return Count("S_ErrorLog", "User_Id = 'ADMIN' AND Operation = 'EmbeddedServer.ApplyUpdates'"); }
    std::string errorText;
};

TEST_F(AccessPolicyTest, AnotherCompanysDocumentCannotBeReadOrChanged) {
    EXPECT_EQ(Ask("D_PurchHeader", TFilter().Add("D_PurchHeader.Id", "=", "X1")), 0);
    EXPECT_EQ(Ask("D_PurchHeader", TFilter().Add("Comp_Id", "=", "OTHER").Add("Id", "=", "X1", "OR")), 0);
    EXPECT_EQ(Ask("D_PurchaseLine", TFilter().Add("D_PurchHeader.Id", "=", "X1")), 0);
    TClientDataSet header, lines;
    Server().RequestData("D_PurchHeader", TFilter().Add("Id", "=", "X1"), header);
    Server().RequestData("D_PurchaseLine", TFilter().Add("Master_Id", "=", "X1"), lines);
    EXPECT_EQ(header.RecordCount(), 0);
    EXPECT_EQ(lines.RecordCount(), 0);

    // Inserting over its key, adding lines to it, or moving a document into it are refused.
    AppendRecord(header, {{"Id", "X2"}, {"Comp_Id", "OTHER"}, {"DocumentType", 1}});
    EXPECT_EQ(Server().ApplyUpdates({{"D_PurchHeader", &header}}, errorText), 1);
    AppendRecord(lines, {{"Id", "XL2"}, {"Master_Id", "X1"}, {"Line_No", 2}});
    EXPECT_EQ(Server().ApplyUpdates({{"D_PurchaseLine", &lines}}, errorText), 1);
    EXPECT_NE(errorText.find("друга фирма"), std::string::npos) << errorText;
    EXPECT_EQ(Count("D_PurchHeader", "Comp_Id = 'OTHER'"), 1);
    EXPECT_EQ(Count("D_PurchaseLine", "Master_Id = 'X1'"), 1);
    EXPECT_EQ(Refusals(), 2);
}

TEST_F(AccessPolicyTest, TablesOnlyTheServerWritesRefuseChangePackets) {
    Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocumentNo) VALUES ('P1', 'DEMO', 4, 'P-1')");
    for (const char* table : {"S_Messages", "S_ErrorLog", "S_NoSeries", "S_NoSeriesLine", "G_VATEntry",
                              "G_ContragentEntry", "D_PurchInvoiceHeader"}) {
        SCOPED_TRACE(table);
        const int64_t before = Count(table);
        TClientDataSet rows;
        Server().RequestData(table, TFilter(), rows);
        AppendRecord(rows, {{"Id", "999"}});
        EXPECT_THROW(Server().ApplyUpdates({{table, &rows}}, errorText), server::EQueryRefused);
        EXPECT_EQ(Count(table), before + (std::string(table) == "S_ErrorLog" ? 1 : 0));
    }
    EXPECT_EQ(Refusals(), 7);
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "DocumentNo = 'P-1'"), 1);
}

// A posted payment changes only through the server's posting and annulment: the client can
// neither edit nor delete it, nor mark a payment posted itself. An open one stays editable.
TEST_F(AccessPolicyTest, APostedPaymentIsRefusedByItsKeyAndAnOpenOneIsNot) {
    Exec("INSERT INTO D_VendorPayment (Id, Comp_Id, Amount, Posted) VALUES ('PAID', 'DEMO', 20, 1), "
         "('OPEN', 'DEMO', 20, 0)");
    int64_t refusals = 0;
    for (const TGoldenCase& c : ReadGoldenCases("server/payment_changes.txt")) {
        SCOPED_TRACE(c.Name);
        TClientDataSet rows;
        Server().RequestData("D_VendorPayment", TFilter().Add("Id", "=", c.Text("Id")), rows);
        if (!c.Has("Id")) AppendRecord(rows, {{"Id", "NEW"}, {"Comp_Id", "DEMO"}, {"Amount", 1.0}});
        if (c.Int("Delete") == 1) rows.Delete();
        for (const auto& [field, value] : c.Row("set").Pairs) SetFields(rows, {{field.c_str(), value}});
        EXPECT_EQ(Server().ApplyUpdates({{"D_VendorPayment", &rows}}, errorText), c.Int("Refused"));
        if (c.Int("Refused") == 0) continue;
        ++refusals;
        EXPECT_NE(errorText.find("може само да бъде анулирано"), std::string::npos) << errorText;
        EXPECT_EQ(Count("S_ErrorLog", "Message LIKE '%(err_PaymentPostedNotEditable)'"), refusals);
    }
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'PAID' AND Amount = 20 AND Posted = 1"), 1);
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'OPEN' AND Amount = 5 AND Posted = 0"), 1);
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'NEW' AND Posted = 0"), 1);
}

TEST_F(AccessPolicyTest, LikeMatchesWhatWasTypedWithWildcardsOnlyAtTheEnds) {
    Exec("UPDATE N_Item SET Name = '50% отстъпка' WHERE Code = '1001'");
    Exec("UPDATE N_Item SET Name = 'Кутия A_B' WHERE Code = '1002'");
    Exec("UPDATE N_Item SET Name = 'Кутия AXB' WHERE Code = '1003'");
    const std::pair<const char*, int> cases[] = {
        {"%50%%", 1}, {"%A_B%", 1}, {"Кутия A%", 2}, {"%A%B", 0}, {"%", 50}, {"50\\%%", 0},
    };
    for (const auto& [pattern, rows] : cases) {
        SCOPED_TRACE(pattern);
        EXPECT_EQ(Ask("N_Item", TFilter().Add("N_Item.Name", "LIKE", pattern)), rows);
    }
}

}  // namespace
}  // namespace tavrek::testing
