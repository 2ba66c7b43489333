// What an accountant waits for: posting and annulling a 10,000-line invoice with all its
// ledger entries, receiving and invoicing a 10,000-line order through its buffer, and proving the books of a company of a million ledger entries.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"
#include "server/posting/TBooksCheck.h"

namespace tavrek::server {
namespace {

constexpr int kInvoiceLines = 10000;
constexpr int kLedgerEntries = 1000000;

class TBenchCompany {
public:
    explicit TBenchCompany(int64_t engine)
        : folder_(std::filesystem::temp_directory_path() / ("tavrek-bench-posting-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        server_ = std::make_unique<EmbeddedServer>(BenchDemoCompany(engine, folder_, "bench_posting"));
        server_->SetSession({kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId});
    }
    ~TBenchCompany() {
        server_.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    EmbeddedServer& Server() { return *server_; }

    // CPU seconds the PostgreSQL backend of the server's connection has used; 0 on SQLite,
    // whose work is the benchmark's own CPU time.
    double EngineCpuSeconds() {
        if (!IsPostgresAddress(server_->Database().Address())) return 0;
        if (backend_ == 0) backend_ = SelectRows(server_->Database(), "SELECT pg_backend_pid()").Value().AsInteger();
        std::ifstream stat("/proc/" + std::to_string(backend_) + "/stat");
        std::string line;
        std::getline(stat, line);
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        long long user = 0, system = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i) {
            if (i == 14) user = std::stoll(field);
            if (i == 15) system = std::stoll(field);
        }
        return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    }

    // A saved invoice (or credit memo, documentType 11) of kInvoiceLines item lines at two
    // VAT rates, ready to post.
    std::string AddInvoice(int documentType = 1) {
        const std::string id = "BENCH-" + std::to_string(++invoices_);
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
                     "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) "
                     "VALUES (?, 'DEMO', CAST(? AS INTEGER), 'SD-520', 'V01', ?, 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')",
                     {id, documentType, id});
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                     "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, "
                     "VATBusPostGroup_Id, VATProdPostGroup_Id) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                     "FROM n WHERE i < " + std::to_string(kInvoiceLines) + ") SELECT CAST(? AS TEXT), CAST(? AS TEXT) || '-' || i, 'DEMO', i, 1, "
                     "CAST(1001 + i % 50 AS TEXT), i % 17 + 1, 1, i % 17 + 1, 1.05, 1.05 * (i % 17 + 1), "
                     "CASE WHEN i % 3 = 0 THEN 9 ELSE 20 END, 'DOM', CASE WHEN i % 3 = 0 THEN 'VAT9' ELSE 'VAT20' END FROM n",
                     {id, id});
        return id;
    }

    // An order of kInvoiceLines item lines and a buffer that receives and invoices all of them.
    std::string AddOrderBuffer() {
        const std::string order = "ORDER-" + std::to_string(++invoices_), id = "BUFFER-" + std::to_string(invoices_);
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate) "
                     "VALUES (?, 'DEMO', 22, 'SD-510', 'V01', 46340)",
                     {order});
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity) WITH RECURSIVE "
                     "n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(kInvoiceLines) +
                         ") SELECT CAST(? AS TEXT), CAST(? AS TEXT) || '-' || i, 'DEMO', i, 1, CAST(1001 + i % 50 AS "
                         "TEXT), i % 17 + 1 FROM n",
                     {order, order});
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
                     "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
                     "BusinessGroup_Id, AppliesToDoc_Id) VALUES (?, 'DEMO', 23, 'SD-580', 'V01', ?, 46345, 'SUP-DOM', "
                     "'DOM', 'DOM', 'BG-SOF', ?)",
                     {id, id, order});
        ExecuteBound(server_->Database(),
                     "INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                     "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, "
                     "VATProdPostGroup_Id, OrderLine_Id) SELECT CAST(? AS TEXT), Id || '-B', 'DEMO', Line_No, 1, Code, "
                     "Quantity, 1, Quantity, 1.05, 1.05 * Quantity, CASE WHEN Line_No % 3 = 0 THEN 9 ELSE 20 END, 'DOM', "
                     "CASE WHEN Line_No % 3 = 0 THEN 'VAT9' ELSE 'VAT20' END, Id FROM D_PurchaseLine WHERE Master_Id = ?",
                     {id, order});
        return id;
    }

    std::string Post(const std::string& id) {
        TVariantArray keys;
        if (server_->PostPurchase(id, keys) < 0) throw std::runtime_error(server_->LastRefusalText());
        return keys.at(0).AsString();
    }

    // Balanced two-line transactions into stock and payables, with their item and vendor entries.
    void AddLedgerEntries() {
        ExecuteBound(server_->Database(),
                     "INSERT INTO G_LEntry (Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, "
                     "DocumentType, Amount, Contragent_Id, Storno) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT "
                     "i + 1 FROM n WHERE i < " + std::to_string(kLedgerEntries) + ") SELECT 'M' || i, 'DEMO', "
                     "1000000 + (i + 1) / 2, CASE WHEN i % 2 = 0 THEN '4011' ELSE '304' END, 46345, 'MD' || ((i + 1) / 2), "
                     "6, CASE WHEN i % 2 = 0 THEN -1.25 ELSE 1.25 END, 'V01', 0 FROM n",
                     {});
        ExecuteBound(server_->Database(),
                     "INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, Quantity, "
                     "RemainingQuantity, CostAmount, Opened, TransactionNo) SELECT 'I' || Id, 'DEMO', '1001', "
                     "Document_Id, 6, 46345, 1, 1, 1.25, 1, TransactionNo FROM G_LEntry WHERE Id LIKE 'M%' AND "
                     "Account_Id = '304'",
                     {});
        ExecuteBound(server_->Database(),
                     "INSERT INTO G_ContragentEntry (Id, Comp_Id, Contragent_Id, Document_Id, DocumentType, Amount, "
                     "Remaining, Opened) SELECT 'C' || Id, 'DEMO', 'V01', Document_Id, 6, -1.25, -1.25, 1 FROM G_LEntry "
                     "WHERE Id LIKE 'M%' AND Account_Id = '4011'",
                     {});
    }

private:
    std::filesystem::path folder_;
    std::unique_ptr<EmbeddedServer> server_;
    int invoices_ = 0;
    int64_t backend_ = 0;
};

TBenchCompany& Company(benchmark::State& state) {
    static std::unique_ptr<TBenchCompany> companies[2];
    const int64_t engine = state.range(0);
    state.SetLabel(EngineName(engine));
    if (!companies[engine]) companies[engine] = std::make_unique<TBenchCompany>(engine);
    return *companies[engine];
}

// What the engine's own process spent on the timed part, beside the benchmark's CPU time.
void CountEngineCpu(benchmark::State& state, double seconds) {
    state.counters["engine_cpu_ms"] = benchmark::Counter(seconds * 1000, benchmark::Counter::kAvgIterations);
}

void BM_PostInvoiceOf10000Lines(benchmark::State& state) {
    double engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = Company(state).AddInvoice();
        const double before = Company(state).EngineCpuSeconds();
        state.ResumeTiming();
        Company(state).Post(id);
        state.PauseTiming();
        engine += Company(state).EngineCpuSeconds() - before;
        state.ResumeTiming();
    }
    CountEngineCpu(state, engine);
}
BENCHMARK(BM_PostInvoiceOf10000Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// The goods of a posted invoice all go back: every line leaves stock from the invoice's receipts.
void BM_PostCrMemoOf10000Lines(benchmark::State& state) {
    double engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Company(state).Post(Company(state).AddInvoice());
        const std::string id = Company(state).AddInvoice(11);
        const double before = Company(state).EngineCpuSeconds();
        state.ResumeTiming();
        TVariantArray keys;
        if (Company(state).Server().PostPurchCrMemo(id, keys, 0) < 0) {
            state.SkipWithError(Company(state).Server().LastRefusalText().c_str());
            break;
        }
        state.PauseTiming();
        engine += Company(state).EngineCpuSeconds() - before;
        state.ResumeTiming();
    }
    CountEngineCpu(state, engine);
}
BENCHMARK(BM_PostCrMemoOf10000Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// An order's goods received and invoiced at once through a buffer: a receipt, an invoice with
// all its entries, and every order line's quantities.
void BM_ReceiveAndInvoiceBufferOf10000Lines(benchmark::State& state) {
    double engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = Company(state).AddOrderBuffer();
        const double before = Company(state).EngineCpuSeconds();
        state.ResumeTiming();
        TVariantArray keys;
        if (Company(state).Server().PostPurchOrder(id, keys, 4) < 0) {
            state.SkipWithError(Company(state).Server().LastRefusalText().c_str());
            break;
        }
        state.PauseTiming();
        engine += Company(state).EngineCpuSeconds() - before;
        state.ResumeTiming();
    }
    CountEngineCpu(state, engine);
}
BENCHMARK(BM_ReceiveAndInvoiceBufferOf10000Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_AnnulInvoiceOf10000Lines(benchmark::State& state) {
    double engine = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::string posted = Company(state).Post(Company(state).AddInvoice());
        const double before = Company(state).EngineCpuSeconds();
        state.ResumeTiming();
        Variant output;
        if (Company(state).Server().AnnulDocument(posted, 0, "", TDateTime::FromDate(2026, 11, 30), 0, output) < 0) {
            state.SkipWithError(Company(state).Server().LastRefusalText().c_str());
            break;
        }
        state.PauseTiming();
        engine += Company(state).EngineCpuSeconds() - before;
        state.ResumeTiming();
    }
    CountEngineCpu(state, engine);
}
BENCHMARK(BM_AnnulInvoiceOf10000Lines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CheckBooksOfAMillionEntries(benchmark::State& state) {
    Company(state).AddLedgerEntries();
    auto& db = Company(state).Server().Database();
    for (auto _ : state) {
        const std::vector<std::string> differences =
            TBooksCheck([&](const std::string& sql, const TVariantArray& values) { return SelectRows(db, sql, values); })
                .Differences();
        if (!differences.empty()) {
            state.SkipWithError(differences.front().c_str());
            break;
        }
    }
}
BENCHMARK(BM_CheckBooksOfAMillionEntries)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
}  // namespace tavrek::server
