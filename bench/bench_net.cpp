// What the network costs a desktop: a small call's round trip, and opening and posting a
// 10,000-line invoice, on the embedded server and through a tavrek-server service on
// loopback, side by side per engine (arguments: engine 0 SQLite, 1 PostgreSQL; way 0
// embedded, 1 network).
#include <map>
#include <sstream>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "base/data/TClientDataSet.h"
#include "net/TRemoteServer.h"
#include "net/TServiceHost.h"
#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr int kInvoiceLines = 10000;

// The demo company of an engine, its embedded server, and the same through the network.
class TNetBench : public TBenchServer {
public:
    explicit TNetBench(int64_t engine) : TBenchServer(engine, "bench_net") {
        net::TServiceOptions options;
        options.Company = Server().Database().Address();
        host_ = std::make_unique<net::TServiceHost>(options, net::TNetAddress{"127.0.0.1", 0}, log_);
        remote_ = std::make_unique<net::TRemoteServer>(host_->Bound().ToString());
        TSignedInUser user;
        if (remote_->Login({}, "admin", "demo-admin", user) != 0) throw std::runtime_error(remote_->LastRefusalText());
    }
    ~TNetBench() override {
        remote_.reset();
        host_.reset();
    }

    IAppServer& Way(int64_t way) { return way == 0 ? static_cast<IAppServer&>(Server()) : *remote_; }

    // A saved invoice of kInvoiceLines item lines at two VAT rates, ready to post.
    std::string AddInvoice() {
        const std::string id = "NET-" + std::to_string(++invoices_);
        ExecuteBound(Server().Database(),
                     "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                     "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
                     "VALUES (?, 'DEMO', 1, 'SD-520', 'V01', ?, 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')",
                     {id, id});
        ExecuteBound(Server().Database(),
                     "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                     "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, "
                     "VATBusPostGroup_Id, VATProdPostGroup_Id) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                     "FROM n WHERE i < " + std::to_string(kInvoiceLines) + ") SELECT CAST(? AS TEXT), CAST(? AS TEXT) || '-' || i, 'DEMO', i, 1, "
                     "CAST(1001 + i % 50 AS TEXT), i % 17 + 1, 1, i % 17 + 1, 1.05, 1.05 * (i % 17 + 1), "
                     "CASE WHEN i % 3 = 0 THEN 9 ELSE 20 END, 'DOM', CASE WHEN i % 3 = 0 THEN 'VAT9' ELSE 'VAT20' END FROM n",
                     {id, id});
        ExecuteBound(Server().Database(),
                     "UPDATE D_PurchHeader SET TotalValue = (SELECT SUM(TotalValue) FROM D_PurchaseLine WHERE Master_Id = ?) "
                     "WHERE Id = ?",
                     {id, id});
        return id;
    }

private:
    std::ostringstream log_;
    std::unique_ptr<net::TServiceHost> host_;
    std::unique_ptr<net::TRemoteServer> remote_;
    int invoices_ = 0;
};

TNetBench& Bench(benchmark::State& state) {
    static std::map<int64_t, std::unique_ptr<TNetBench>> benches;
    std::unique_ptr<TNetBench>& bench = benches[state.range(0)];
    if (!bench) bench = std::make_unique<TNetBench>(state.range(0));
    return *bench;
}

void Label(benchmark::State& state) {
    state.SetLabel(std::string(EngineName(state.range(0))) + (state.range(1) == 0 ? " embedded" : " network"));
}

void BM_SmallCall(benchmark::State& state) {
    IAppServer& server = Bench(state).Way(state.range(1));
    for (auto _ : state) benchmark::DoNotOptimize(server.GetCurrencyRate("USD", TDateTime::FromDate(2026, 11, 20), 1));
    Label(state);
}
BENCHMARK(BM_SmallCall)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// As the editor opens a saved invoice and its lines, then posts it.
void BM_OpenAndPostInvoiceOf10000Lines(benchmark::State& state) {
    IAppServer& server = Bench(state).Way(state.range(1));
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = Bench(state).AddInvoice();
        state.ResumeTiming();
        TClientDataSet header, lines;
        server.RequestData("D_PurchHeader", TFilter().Add("D_PurchHeader.Id", "=", id), header);
        server.RequestData("D_PurchaseLine", TFilter().Add("D_PurchaseLine.Master_Id", "=", id), lines);
        TVariantArray keys;
        if (lines.RecordCount() != kInvoiceLines || server.PostPurchase(id, keys) < 0)
            state.SkipWithError(("not posted: " + server.LastRefusalText()).c_str());
    }
    Label(state);
}
BENCHMARK(BM_OpenAndPostInvoiceOf10000Lines)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek::server
