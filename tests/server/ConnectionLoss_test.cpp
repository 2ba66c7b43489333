// The PostgreSQL server stopped in the middle of a posting, as a power cut would stop it.
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

constexpr int kLines = 5000;

// What of the invoice is stored: open header and lines, posted headers and lines, and
// whether the posted ledger balances.
struct TStored {
    int64_t OpenHeaders, OpenLines, PostedHeaders, PostedLines;
    bool Balanced;
    bool operator==(const TStored&) const = default;
};

TStored Stored(server::TDbSession& db) {
    const auto count = [&](const std::string& sql) { return server::SelectRows(db, sql).Value().AsInteger(); };
    const std::string posted = "(SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'CUT')";
    return {count("SELECT COUNT(*) FROM D_PurchHeader WHERE Id = 'CUT'"),
            count("SELECT COUNT(*) FROM D_PurchaseLine WHERE Master_Id = 'CUT'"),
            count("SELECT COUNT(*) FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = 'CUT'"),
            count("SELECT COUNT(*) FROM D_PurchInvoiceLine WHERE Master_Id IN " + posted),
            count("SELECT COUNT(*) FROM G_LEntry WHERE Document_Id IN " + posted + " HAVING ABS(SUM(Amount)) > 0.001") == 0};
}

void AddInvoice(server::TDbSession& db) {
    server::ExecuteBound(db,
                         "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
                         "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
                         "BusinessGroup_Id) VALUES ('CUT', 'DEMO', 1, 'SD-520', 'V01', 'CUT-1', 46345, 'SUP-DOM', 'DOM', "
                         "'DOM', 'BG-SOF')",
                         {});
    server::ExecuteBound(db,
                         "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                         "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, "
                         "VATBusPostGroup_Id, VATProdPostGroup_Id) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                         "i + 1 FROM n WHERE i < " + std::to_string(kLines) + ") SELECT 'CUT', 'CUT-' || i, 'DEMO', i, 1, "
                         "CAST(1001 + i % 50 AS TEXT), 2, 1, 2, 1.05, 2.10, 20, 'DOM', 'VAT20' FROM n",
                         {});
}

// Stops the cluster once the connection of backend waits, inside its posting, for the row
// another session holds: the posting is surely half-way, however fast it would have run.
void CrashInTheMiddleOf(TPrivatePostgres& cluster, int64_t backend) {
    server::TDbSession watcher(cluster.Address("postgres"));
    const std::string busy = "SELECT COUNT(*) FROM pg_stat_activity WHERE pid = " + std::to_string(backend) +
                             " AND xact_start IS NOT NULL AND wait_event_type = 'Lock'";
    while (server::SelectRows(watcher, busy).Value().AsInteger() == 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    cluster.Crash();
}

TEST(ConnectionLoss, AServerStoppedInTheMiddleOfAPostingTellsWhyAndLeavesTheInvoiceWhole) {
    if (!TestOnPostgres()) GTEST_SKIP() << "a company file has no server to lose";
    TPrivatePostgres cluster;
    const std::string address = cluster.Address("tavrek_demo");
    server::EmbeddedServer server(address);
    server.SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
    AddInvoice(server.Database());
    const std::string message = server.GetMessageText(server::EConnectionLost::kMessageKey);
    ASSERT_FALSE(message.empty());
    const int64_t backend = server::SelectRows(server.Database(), "SELECT pg_backend_pid()").Value().AsInteger();
    server::TDbSession holder(address);
    server::ExecuteBound(holder, "BEGIN", {});
    server::SelectRows(holder, "SELECT Id FROM D_PurchHeader WHERE Id = 'CUT' FOR UPDATE");

    std::thread crash([&] { CrashInTheMiddleOf(cluster, backend); });
    TVariantArray keys;
    std::string told;
    try {
        server.PostPurchase("CUT", keys);
    } catch (const server::EConnectionLost& e) {
        told = e.what();
    }
    crash.join();
    EXPECT_EQ(told, message);
    // While the server is down every call says the same, and none hangs.
    std::string number;
    EXPECT_THROW(server.GetNextSerieNo("PINV", "BG-SOF", number), server::EConnectionLost);
    EXPECT_THROW(server.WriteErrorLog(message, "ConnectionLoss", server::kDemoUserId), server::EConnectionLost);
    EXPECT_THROW(server.BeginPosting(), server::EConnectionLost);

    cluster.Restart();
    server::TDbSession db(address);
    const TStored stored = Stored(db);
    EXPECT_TRUE(stored == (TStored{1, kLines, 0, 0, true}) || stored == (TStored{0, 0, 1, kLines, true}))
        << stored.OpenHeaders << " " << stored.OpenLines << " " << stored.PostedHeaders << " " << stored.PostedLines;
    // The same client carries on: it connects anew and posts what is still open.
    if (stored.OpenHeaders == 1) {
        ASSERT_EQ(server.PostPurchase("CUT", keys), 0) << server.LastRefusalText();
    }
    EXPECT_EQ(Stored(db), (TStored{0, 0, 1, kLines, true}));
}

}  // namespace
}  // namespace tavrek::testing
