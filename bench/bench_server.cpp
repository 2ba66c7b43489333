// What users wait for on the embedded server: opening a very large document, saving many
// new lines, taking document numbers, the small value requests every field change makes,
// and a purchasing department posting at the same time.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "base/data/TClientDataSet.h"
#include "BenchEngines.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/db/TDbTransaction.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::server {
namespace {

constexpr int kLargeDocumentLines = 100000;
constexpr int kInsertedLines = 10000;
constexpr int kClients = 10;
constexpr int kInvoicesPerClient = 20;
constexpr int kInvoiceLines = 20;

// One demo company per engine for the whole program, with a saved document of 100,000 lines.
class TBenchCompany : public TBenchServer {
public:
    explicit TBenchCompany(int64_t engine) : TBenchServer(engine, "bench_server") { AddLargeDocument(); }

    // A saved invoice of kInvoiceLines item lines of a domestic vendor, ready to post.
    std::string AddInvoice() {
        const std::string id = "INV-" + std::to_string(++invoices_);
        ExecuteBound(Server().Database(),
                     "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                     "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
                     "VALUES (?, 'DEMO', 1, 'SD-520', 'V01', ?, 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')",
                     {id, id});
        for (int i = 1; i <= kInvoiceLines; ++i)
            ExecuteBound(Server().Database(),
                         "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                         "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, "
                         "VATBusPostGroup_Id, VATProdPostGroup_Id) VALUES (?, ?, 'DEMO', ?, 1, ?, ?, 1, ?, 1.05, ?, 20, "
                         "'DOM', 'VAT20')",
                         {id, id + "-" + std::to_string(i), i, std::to_string(1001 + i), i, i, 1.05 * i});
        return id;
    }

    const std::string& Address() { return Server().Database().Address(); }

private:
    void AddLargeDocument() {
        TDbSession& db = Server().Database();
        TDbTransaction transaction(db, TTransactionKind::tkWrite);
        db.Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id) VALUES ('BIG', 'DEMO', 1, 'V01')");
        for (int i = 1; i <= kLargeDocumentLines; ++i) {
            const double quantity = i % 17 + 1;
            db.Execute("INSERT INTO D_PurchaseLine (Id, Master_Id, Comp_Id, Line_No, Type, Code, Description, "
                       "Measure_Id, Quantity, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, "
                       "TotalVAT) VALUES (?, 'BIG', 'DEMO', ?, 1, ?, ?, 'PCS', ?, ?, 1.05, ?, 20, ?)",
                       {"BIG-" + std::to_string(i), i, std::to_string(1001 + i % 50), "Брашно тип 500, 1 кг", quantity,
                        quantity, 1.05 * quantity, 1.26 * quantity});
        }
        transaction.Commit();
    }

    int invoices_ = 0;
};

TBenchCompany& Company(benchmark::State& state) { return BenchCompanyOf<TBenchCompany>(state); }

void BM_RequestDataLargeDocument(benchmark::State& state) {
    EmbeddedServer& server = Company(state).Server();
    for (auto _ : state) {
        TClientDataSet lines;
        server.RequestData("D_PurchaseLine", TFilter().Add("D_PurchaseLine.Master_Id", "=", "BIG"), lines);
        if (lines.RecordCount() != kLargeDocumentLines) {
            state.SkipWithError("wrong number of lines");
            break;
        }
    }
    state.counters["lines"] = kLargeDocumentLines;
}
BENCHMARK(BM_RequestDataLargeDocument)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ApplyUpdatesInsertedLines(benchmark::State& state) {
    EmbeddedServer& server = Company(state).Server();
    int batch = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = "NEW-" + std::to_string(++batch);
        server.Database().Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType) VALUES ('" + id + "', 'DEMO', 1)");
        TClientDataSet lines;
        server.RequestData("D_PurchaseLine", TFilter().Add("D_PurchaseLine.Master_Id", "=", id), lines);
        for (int i = 1; i <= kInsertedLines; ++i) {
            lines.Append();
            lines.FieldByName("Id").SetAsString(id + "-" + std::to_string(i));
            lines.FieldByName("Master_Id").SetAsString(id);
            lines.FieldByName("Line_No").SetAsInteger(i);
            lines.FieldByName("Code").SetAsString("1001");
            lines.FieldByName("Quantity").SetAsFloat(i % 9 + 1);
            lines.FieldByName("DirectUnitCost_ACY").SetAsFloat(1.05);
            lines.Post();
        }
        std::string error;
        state.ResumeTiming();
        if (server.ApplyUpdates({{"D_PurchaseLine", &lines}}, error) != 0) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    state.counters["lines"] = kInsertedLines;
}
BENCHMARK(BM_ApplyUpdatesInsertedLines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GetNextSerieNo(benchmark::State& state) {
    EmbeddedServer& server = Company(state).Server();
    std::string number;
    for (auto _ : state) {
        if (server.GetNextSerieNo("PINV", "BG-SOF", number) != 0) {
            state.SkipWithError("series refused");
            break;
        }
    }
}
BENCHMARK(BM_GetNextSerieNo)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RequestValueVATSetup(benchmark::State& state) {
    EmbeddedServer& server = Company(state).Server();
    const TFilter filter = TFilter()
                               .Add("G_VATPostingSetup.VATBus_PostingGroup", "=", "DOM", "AND")
                               .Add("G_VATPostingSetup.VATProd_PostingGroup", "=", "VAT20", "AND")
                               .Add("G_VATPostingSetup.Comp_Id", "=", "DEMO");
    TRequestResult result;
    for (auto _ : state) {
        if (server.RequestValue(0, "G_VATPostingSetup", "VATPercent, VATCalculationType, PurchaseVATLedger", filter,
                                result) != 1) {
            state.SkipWithError("no VAT setup");
            break;
        }
    }
}
BENCHMARK(BM_RequestValueVATSetup)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A client process started by the benchmark: posts the invoices named after the company's
// address, and exits 0 when every one was posted.
constexpr std::string_view kClientSwitch = "--post-invoices";

int PostAsClient(const std::string& address, const std::vector<std::string>& ids) {
    EmbeddedServer server(address);
    server.SetSession({kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId});
    TVariantArray keys;
    for (const std::string& id : ids)
        if (server.PostPurchase(id, keys) != 0) return 1;
    return 0;
}

// A new process of this program, not a fork of it: the parent's threads (the SQLite log
// copier) may hold library locks that a forked child would wait for forever.
pid_t StartClient(const std::string& address, const std::vector<std::string>& ids) {
    std::vector<std::string> args{"bench_server", std::string(kClientSwitch), address};
    args.insert(args.end(), ids.begin(), ids.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    return ::posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) == 0 ? pid : -1;
}

// Each client process posts its own saved invoices, all at once: invoices posted per second.
void BM_ConcurrentClientsPosting(benchmark::State& state) {
    TBenchCompany& company = Company(state);
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::vector<std::string>> invoices(kClients);
        for (auto& mine : invoices)
            for (int i = 0; i < kInvoicesPerClient; ++i) mine.push_back(company.AddInvoice());
        state.ResumeTiming();
        std::vector<pid_t> clients;
        for (const auto& mine : invoices) clients.push_back(StartClient(company.Address(), mine));
        bool allPosted = true;
        for (const pid_t pid : clients) {
            int status = 0;
            if (pid < 0 || ::waitpid(pid, &status, 0) != pid) status = -1;
            allPosted = allPosted && WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        if (!allPosted) {
            state.SkipWithError("a client failed to post");
            break;
        }
    }
    state.counters["invoices"] = benchmark::Counter(double(kClients * kInvoicesPerClient) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ConcurrentClientsPosting)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace tavrek::server

int main(int argc, char** argv) {
    using namespace tavrek::server;
    if (argc > 2 && argv[1] == kClientSwitch) return PostAsClient(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
