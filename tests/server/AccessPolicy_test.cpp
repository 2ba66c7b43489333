// Requests a client should not be able to make: other companies' rows, tables only the
// server writes, wildcards it did not mean.
#include "server/TAccessPolicy.h"

#include <gtest/gtest.h>

#include <map>

#include "base/data/TClientDataSet.h"
#include "server/TQueryBuilder.h"
#include "support/DataSetBuilder.h"
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
    for (const char* table :
         {"S_Messages", "S_NoSeries", "S_NoSeriesLine", "G_VATEntry", "G_ContragentEntry", "D_PurchInvoiceHeader"}) {
        SCOPED_TRACE(table);
        const int64_t before = Count(table);
        TClientDataSet rows;
        Server().RequestData(table, TFilter(), rows);
        AppendRecord(rows, {{"Id", "999"}});
        EXPECT_THROW(Server().ApplyUpdates({{table, &rows}}, errorText), server::EQueryRefused);
        EXPECT_EQ(Count(table), before);
    }
    EXPECT_EQ(Refusals(), 6);
    TClientDataSet log;
    EXPECT_THROW(Server().RequestData("S_ErrorLog", TFilter(), log), server::EQueryRefused) << "no client reads the log";
    EXPECT_EQ(Count("D_PurchInvoiceHeader", "DocumentNo = 'P-1'"), 1);
}

// A posted payment changes only through the server's posting and annulment: the client can
// neither edit nor delete it, nor mark a payment posted itself. An open one stays editable.
// Changes the server refuses by a key of their own: posted payments, and accounts of the
// purchases setup that are no posting account of the company's chart.
TEST_F(AccessPolicyTest, ChangesRefusedByTheirKeyAndTheOnesThatPass) {
    Exec("INSERT INTO D_VendorPayment (Id, Comp_Id, Amount, Posted) VALUES ('PAID', 'DEMO', 20, 1), "
         "('OPEN', 'DEMO', 20, 0)");
    constexpr const char* kPosted = "err_PaymentPostedNotEditable";
    constexpr const char* kAccount = "err_AccountNotInChart";
    const struct {
        const char* name;
        const char* table;
        const char* id;  // the row changed; empty for a new payment
        std::vector<std::pair<const char*, Variant>> set;
        bool erase;
        const char* key;  // the refusal's, null when it passes
        const char* shown;
    } cases[] = {
        {"amount of a posted one", "D_VendorPayment", "PAID", {{"Amount", 5.0}}, false, kPosted, "може само да бъде анулирано"},
        {"deleting a posted one", "D_VendorPayment", "PAID", {}, true, kPosted, "може само да бъде анулирано"},
        {"unmarking a posted one", "D_VendorPayment", "PAID", {{"Posted", 0}}, false, kPosted, ""},
        {"marking an open one posted", "D_VendorPayment", "OPEN", {{"Posted", 1}}, false, kPosted, ""},
        {"a new one marked posted", "D_VendorPayment", "", {{"Posted", 1}}, false, kPosted, ""},
        {"amount of an open one", "D_VendorPayment", "OPEN", {{"Amount", 5.0}}, false, nullptr, ""},
        {"a new open one", "D_VendorPayment", "", {{"Posted", 0}}, false, nullptr, ""},
        {"an account not in the chart", "C_PurchasesSetup", "DEMO", {{"AdvancePaymentAccount", "9999"}}, false, kAccount,
         "Сметка 9999 няма в сметкоплана"},
        {"a heading of the chart", "C_PurchasesSetup", "DEMO", {{"DirectPayAccount", "401"}}, false, kAccount, "401"},
        {"another company's account", "C_PurchasesSetup", "DEMO", {{"FutureCostsAccount", "OTHER-1"}}, false, kAccount, ""},
        {"a posting account and an emptied one", "C_PurchasesSetup", "DEMO",
         {{"ProtocolTransitAccount", "503"}, {"ReceiptsNotInvoicedAccount", ""}}, false, nullptr, ""},
    };
    Exec("INSERT INTO G_LAccount (Id, Comp_Id, Code, Name) VALUES ('OTHER-1', 'OTHER', 'OTHER-1', 'Чужда')");
    std::map<std::string, int64_t> logged;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TClientDataSet rows;
        Server().RequestData(c.table, TFilter().Add("Id", "=", c.id), rows);
        if (std::string(c.id).empty()) AppendRecord(rows, {{"Id", "NEW"}, {"Comp_Id", "DEMO"}, {"Amount", 1.0}});
        if (c.erase) rows.Delete();
        if (!c.set.empty()) rows.Edit();
        for (const auto& [field, value] : c.set) rows.FieldByName(field).SetValue(value);
        if (!c.set.empty()) rows.Post();
        EXPECT_EQ(Server().ApplyUpdates({{c.table, &rows}}, errorText), c.key == nullptr ? 0 : 1);
        if (c.key == nullptr) continue;
        EXPECT_NE(errorText.find(c.shown), std::string::npos) << errorText;
        EXPECT_EQ(Count("S_ErrorLog", "Message LIKE '%(" + std::string(c.key) + ")'"), ++logged[c.key]) << "logged by its key";
    }
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'PAID' AND Amount = 20 AND Posted = 1"), 1);
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'OPEN' AND Amount = 5 AND Posted = 0"), 1);
    EXPECT_EQ(Count("D_VendorPayment", "Id = 'NEW' AND Posted = 0"), 1);
    EXPECT_EQ(Count("C_PurchasesSetup", "Id = 'DEMO' AND AdvancePaymentAccount = '4091' AND DirectPayAccount = '501' AND "
                                        "FutureCostsAccount = '4901' AND ProtocolTransitAccount = '503' AND "
                                        "ReceiptsNotInvoicedAccount = ''"),
              1);
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
