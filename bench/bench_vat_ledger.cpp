// What an accountant waits for at the month's end: the purchase ledger of a month with
// 50,000 posted documents (two VAT rates each, 50,000 more in the month before) read and
// laid out, and its POKUPKI.TXT and DEKLAR.TXT written, on each engine side by side.
#include <filesystem>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "base/data/TDateTime.h"
#include "base/session/LocalData.h"
#include "reports/uVATLedgerReport.h"
#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr int kDocuments = 100000;  // the second half in November 2026

std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) + ") ";
}

class TLedgerCompany : public TBenchServer {
public:
    explicit TLedgerCompany(int64_t engine) : TBenchServer(engine, "bench_vat_ledger") {
        TDbSession& db = Server().Database();
        const std::string october = std::to_string(static_cast<int64_t>(TDateTime::FromDate(2026, 10, 1).Serial()));
        const std::string day = "(" + october + " + (i % 2) * 31 + i % 28)";
        db.Exec("INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, DocumentDate, "
                "PostingDate, Contragent_Id, VendorInvoiceNo, Annul, IsGlobalInvoice) " + Numbers(kDocuments) +
                "SELECT 'L' || i, 'DEMO', 6, 'SD-520', 'L' || i, " + day + ", " + day + ", 'V0' || (1 + i % 9), "
                "CAST(1000000000 + i AS TEXT), 0, 0 FROM n");
        for (const auto& [rate, group] : {std::pair{20, "VAT20"}, std::pair{9, "VAT9"}})
            db.Exec("INSERT INTO G_VATEntry (Id, Comp_Id, Document_Id, DocumentType, DocumentDate, PostingDate, "
                    "Contragent_Id, VATBusPostGroup_Id, VATProdPostGroup_Id, VATPercent, VATCalculationType, VATLedger, "
                    "Base, Amount, Base_ACY, Amount_ACY, DoNotIncInVATLedger) " + Numbers(kDocuments) +
                    "SELECT 'E" + std::to_string(rate) + "-' || i, 'DEMO', 'L' || i, 6, " + day + ", " + day +
                    ", 'V0' || (1 + i % 9), 'DOM', '" + group + "', " + std::to_string(rate) +
                    ", 0, 1, (i % 500) + 0.25, ROUND((i % 500 + 0.25) * " + std::to_string(rate) +
                    " / 100.0, 2), (i % 500) + 0.25, ROUND((i % 500 + 0.25) * " + std::to_string(rate) +
                    " / 100.0, 2), 0 FROM n");
        db.Exec("ANALYZE");
        LocalData().CompanyId = kDemoCompanyId;
    }
};

void BM_VATLedgerCompute(benchmark::State& state) {
    TLedgerCompany& company = BenchCompanyOf<TLedgerCompany>(state);
    size_t records = 0;
    for (auto _ : state) records = uVATLedgerReport::ReadLedger(company.Server(), 202611).Records().size();
    state.counters["records"] = static_cast<double>(records);
}
BENCHMARK(BM_VATLedgerCompute)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_VATLedgerWrite(benchmark::State& state) {
    TLedgerCompany& company = BenchCompanyOf<TLedgerCompany>(state);
    const TVATLedgerReport report = uVATLedgerReport::ReadLedger(company.Server(), 202611);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tavrek-bench-vat-ledger";
    std::filesystem::create_directories(folder);
    for (auto _ : state) uVATLedgerReport::WriteFiles(report, folder.string());
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(folder / "POKUPKI.TXT"));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_VATLedgerWrite)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek::server
