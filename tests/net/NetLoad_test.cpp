// Twenty desktops posting at once on one PostgreSQL company through tavrek-server processes,
// with the servers stopped, killed and started again under the load. Every document is
// posted once, whole, with numbers of its series distinct and without gaps, and the books
// balance. CI posts 3 invoices and 1 order buffer per client; TAVREK_NET_LOAD_FULL=1 posts
// 50 and 10.
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <iostream>
#include <thread>

#include "server/SqlValue.h"
#include "server/db/TDbSession.h"
#include "support/TChildProcess.h"
#include "support/TestCompanies.h"

namespace tavrek::testing {
namespace {

class NetLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestOnPostgres()) GTEST_SKIP() << "the load runs on PostgreSQL";
        company_ = NewDemoCompany(folder_);
        db_ = std::make_unique<server::TDbSession>(company_);
    }
    void TearDown() override {
        db_.reset();
        servers_.clear();
        if (!company_.empty() && !ownCluster_) DropDemoCompany(company_);
        ownCluster_.reset();
        std::filesystem::remove_all(folder_);
    }

    // A tavrek-server on the port (0: a free one); its address once it listens.
    std::string StartServer(int port = 0) {
        const auto log = folder_ / ("server" + std::to_string(servers_.size()) + ".log");
        servers_.push_back(std::make_unique<TChildProcess>(
            std::vector<std::string>{TAVREK_SERVER_PATH, "--listen", "127.0.0.1:" + std::to_string(port), "--max-calls",
                                     "40", "--scenario-checks", company_},
            log));
        const std::string address = servers_.back()->ListeningAddress();
        if (!address.empty()) return address;
        ADD_FAILURE() << "tavrek-server did not start: " << servers_.back()->Output();
        return {};
    }

    void StartClients(const std::vector<std::string>& addresses) {
        for (int c = 0; c < kClients; ++c)
            clients_.push_back(std::make_unique<TChildProcess>(
                std::vector<std::string>{TAVREK_NETLOAD_PATH, "--server", addresses[c % addresses.size()], "--user",
                                         "admin", "--password", "demo-admin", "--client", "C" + std::to_string(c),
                                         "--invoices", std::to_string(invoices_), "--buffers", std::to_string(buffers_)},
                folder_ / ("client" + std::to_string(c) + ".log")));
    }

    void ExpectClientsDone() {
        int retried = 0;
        for (auto& client : clients_) {
            EXPECT_EQ(client->Wait(), 0) << client->Output();
            const std::string output = client->Output();
            const size_t at = output.rfind("posted, ");
            if (at != std::string::npos) retried += std::atoi(output.c_str() + at + 8);
        }
        std::cout << "documents typed again after a broken call: " << retried << "\n";
    }

    // The company moved to a cluster of the test's own, which it may stop as a power cut would.
    TPrivatePostgres& OwnCluster() {
        db_.reset();
        DropDemoCompany(company_);
        ownCluster_ = std::make_unique<TPrivatePostgres>();
        company_ = ownCluster_->Address("tavrek_demo");
        db_ = std::make_unique<server::TDbSession>(company_);
        return *ownCluster_;
    }

    Variant Value(const std::string& sql) { return server::SelectRows(*db_, sql).Value(); }

    // Numbers of a posted series: as many as documents, one each, none missing.
    void ExpectSeriesWhole(const std::string& table, int64_t documents) {
        EXPECT_EQ(Value("SELECT COUNT(*) FROM " + table).AsInteger(), documents) << table;
        EXPECT_EQ(Value("SELECT COUNT(DISTINCT DocumentNo) FROM " + table).AsInteger(), documents) << table;
        const int64_t first = Value("SELECT MIN(CAST(DocumentNo AS INTEGER)) FROM " + table).AsInteger();
        const int64_t last = Value("SELECT MAX(CAST(DocumentNo AS INTEGER)) FROM " + table).AsInteger();
        EXPECT_EQ(last - first + 1, documents) << table << " numbers " << first << ".." << last;
    }

    void ExpectBooksWhole() {
        const int64_t invoices = kClients * invoices_, receipts = kClients * buffers_;
        ExpectSeriesWhole("D_PurchInvoiceHeader", invoices);
        ExpectSeriesWhole("D_PurchReceiptHeader", receipts);
        EXPECT_EQ(Value("SELECT COUNT(DISTINCT VendorInvoiceNo) FROM D_PurchInvoiceHeader").AsInteger(), invoices)
            << "an invoice posted twice";
        EXPECT_EQ(Value("SELECT COUNT(*) FROM D_PurchInvoiceHeader h WHERE NOT EXISTS (SELECT 1 FROM "
                        "D_PurchInvoiceLine l WHERE l.Master_Id = h.Id)")
                      .AsInteger(),
                  0)
            << "an invoice posted without its lines";
        TChildProcess check({TAVREK_ADMIN_PATH, "check", company_}, folder_ / "check.log");
        EXPECT_EQ(check.Wait(), 0) << check.Output();
    }

    static constexpr int kClients = 20;
    const bool full_ = std::getenv("TAVREK_NET_LOAD_FULL") != nullptr;
    const int invoices_ = full_ ? 50 : 3;
    const int buffers_ = full_ ? 10 : 1;
    std::filesystem::path folder_ = NewTestFolder();
    std::string company_;
    std::unique_ptr<TPrivatePostgres> ownCluster_;
    std::unique_ptr<server::TDbSession> db_;
    std::vector<std::unique_ptr<TChildProcess>> servers_;
    std::vector<std::unique_ptr<TChildProcess>> clients_;
};

TEST_F(NetLoadTest, TwentyClientsThroughOneServer) {
    StartClients({StartServer()});
    ExpectClientsDone();
    ExpectBooksWhole();
}

TEST_F(NetLoadTest, TwentyClientsThroughTwoServersOnOneDatabase) {
    StartClients({StartServer(), StartServer()});
    ExpectClientsDone();
    ExpectBooksWhole();
}

// Stopped with SIGTERM, the server finishes its calls and exits cleanly; killed, it leaves
// nothing half-posted. The clients are told, wait and go on with the server started again.
TEST_F(NetLoadTest, ServerStoppedAndKilledUnderLoad) {
    const std::string address = StartServer();
    const int port = std::stoi(address.substr(address.rfind(':') + 1));
    StartClients({address});
    std::this_thread::sleep_for(std::chrono::seconds(3));
    servers_.back()->Signal(SIGTERM);
    EXPECT_EQ(servers_.back()->Wait(), 0);
    EXPECT_NE(servers_.back()->Output().find("stopped"), std::string::npos) << servers_.back()->Output();
    StartServer(port);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    servers_.back()->Signal(SIGKILL);
    servers_.back()->Wait();
    StartServer(port);
    ExpectClientsDone();
    ExpectBooksWhole();
}

// The database stopped as a power cut would stop it and started again: the server tells its
// clients the connection is lost and reconnects to the database once it is back.
TEST_F(NetLoadTest, DatabaseStoppedAndStartedUnderLoad) {
    TPrivatePostgres& cluster = OwnCluster();
    StartClients({StartServer()});
    std::this_thread::sleep_for(std::chrono::seconds(3));
    db_.reset();
    cluster.Crash();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    cluster.Restart();
    db_ = std::make_unique<server::TDbSession>(company_);
    ExpectClientsDone();
    ExpectBooksWhole();
}

}  // namespace
}  // namespace tavrek::testing
