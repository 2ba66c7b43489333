// Opening the purchase invoice list over 100,000 invoices: the list reads its first packet
// newest first, and scrolling reads on one packet at a time.
#include <unistd.h>

#include <filesystem>
#include <memory>

#include <benchmark/benchmark.h>

#include "base/session/Tdm.h"
#include "lists/uBrPurchase.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek {
namespace {

constexpr int kInvoices = 100000;

// One demo company with 100,000 invoices over some three years, for the whole program.
class TBenchCompany {
public:
    TBenchCompany()
        : folder_(std::filesystem::temp_directory_path() / ("tavrek-bench-lists-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        const std::string path = (folder_ / "company.db").string();
        server::CreateDemoCompany(path);
        server_ = std::make_unique<server::EmbeddedServer>(path);
        server_->Database().Exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kInvoices) +
            ") INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, DocumentDate, "
            "Contragent_Id, TotalValue, VATValue, TotalVAT, TotalVAT_LCY) SELECT 'INV-' || i, 'DEMO', 1, 'SD-520', "
            "printf('%010d', i), 45000 + i / 90, 'V0' || (1 + i % 5), i % 1000, (i % 1000) * 0.2, (i % 1000) * 1.2, "
            "(i % 1000) * 1.2 FROM n");
        server_->SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
    }
    ~TBenchCompany() {
        server_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    server::EmbeddedServer& Server() { return *server_; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<server::EmbeddedServer> server_;
};

TBenchCompany& Company() {
    static TBenchCompany company;
    return company;
}

void SignIn(TSessionGuard& guard) {
    guard.Session().SetServer(&Company().Server());
    LocalData().CompanyId = server::kDemoCompanyId;
    LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
}

void BM_OpenInvoiceListOf100000(benchmark::State& state) {
    Company();
    TSessionGuard guard;
    SignIn(guard);
    for (auto _ : state) {
        TfBrPurchase list;
        list.Create();
        list.Show();
        benchmark::DoNotOptimize(list.cdsMaster.RecordCount());
    }
}
BENCHMARK(BM_OpenInvoiceListOf100000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollInvoiceListOnePacket(benchmark::State& state) {
    Company();
    TSessionGuard guard;
    SignIn(guard);
    TfBrPurchase list;
    list.Create();
    list.Show();
    for (auto _ : state) {
        if (list.cdsMaster.GetNextPacket() == 0) {
            state.SkipWithError("the list ran out of invoices");
            break;
        }
    }
}
BENCHMARK(BM_ScrollInvoiceListOnePacket)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

}  // namespace
}  // namespace tavrek
