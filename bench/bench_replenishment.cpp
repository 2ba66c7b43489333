// What a buyer waits for after "Генериране на предложение": the suggestion of the whole
// company and the suggestion to vendor over 50,000 items with 1,000,000 item entries and
// 20,000 open sale order lines, on each engine side by side.
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::server {
namespace {

constexpr int kItems = 50000;
constexpr int kEntries = 1000000;
constexpr int kSaleOrders = 2000;
constexpr int kSaleOrderLines = 20000;

std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) + ") ";
}

class TReplenishmentCompany : public TBenchServer {
public:
    explicit TReplenishmentCompany(int64_t engine) : TBenchServer(engine, "bench_replenishment") {
        TDbSession& db = Server().Database();
        db.Exec("INSERT INTO N_Item (Id, Comp_Id, Code, Name, Type, PurchMeasure_Id, VATProdPostGroup_Id, "
                "GenProdPostGroup_Id, LastDirectCost, Vendor_Id, MinimumStock, OrderMultiple) " + Numbers(kItems) +
                "SELECT 'B' || i, 'DEMO', 'B' || i, 'Артикул ' || i, 1, 'PCS', 'VAT20', 'GOODS', 1 + i % 13, "
                "'V0' || (1 + i % 9), i % 7, i % 4 FROM n");
        db.Exec("INSERT INTO G_ItemEntry (Id, Comp_Id, Item_Id, Document_Id, DocumentType, PostingDate, Store_Id, "
                "Quantity) " + Numbers(kEntries) +
                "SELECT 'E' || i, 'DEMO', 'B' || (1 + i % " + std::to_string(kItems) + "), 'D' || i, "
                "CASE WHEN i % 4 = 0 THEN 50 ELSE 26 END, 46000 + i % 365, 'S01', "
                "CASE WHEN i % 4 = 0 THEN -(i % 5 + 1) ELSE i % 3 END FROM n");
        db.Exec("INSERT INTO D_SaleOrderHeader (Id, Comp_Id, DocumentNo, Store_Id, BusinessGroup_Id, DocStatus) " +
                Numbers(kSaleOrders) + "SELECT 'SO' || i, 'DEMO', 'SO' || i, 'S01', 'BG-SOF', 0 FROM n");
        db.Exec("INSERT INTO D_SaleOrderLine (Master_Id, Id, Comp_Id, Line_No, Item_Id, Quantity, ShippedQty, DueDate) " +
                Numbers(kSaleOrderLines) + "SELECT 'SO' || (1 + i % " + std::to_string(kSaleOrders) +
                "), 'SL' || i, 'DEMO', i, 'B' || (1 + (i * 7) % " + std::to_string(kItems) +
                "), 1 + i % 9, i % 2, 46400 + i % 30 FROM n");
        db.Exec("ANALYZE");
    }

    void Run(const std::string& procedure, const TVariantArray& args) {
        const TRequestResult result = Server().ExecuteStoredProcedure(procedure, args);
        if (result.Empty() || result.Value().AsInteger() != 0)
            throw std::runtime_error(procedure + ": " + Server().LastRefusalText());
    }

    int64_t Rows(const std::string& table) {
        return SelectRows(Server().Database(), "SELECT COUNT(*) FROM " + table).Value().AsInteger();
    }
};

TReplenishmentCompany& Company(benchmark::State& state) { return BenchCompanyOf<TReplenishmentCompany>(state); }

void BM_PurchOrderSuggestion(benchmark::State& state) {
    TReplenishmentCompany& company = Company(state);
    for (auto _ : state) company.Run("usp_GetPurchOrderSuggestion", {"DEMO"});
    state.counters["rows"] = static_cast<double>(company.Rows("D_PurchOrderSuggestion"));
}
BENCHMARK(BM_PurchOrderSuggestion)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

// All quantities of every vendor over a quarter of sales, 5 days to arrival and 30 ahead.
void BM_PurchOrderSuggestionToVendor(benchmark::State& state) {
    TReplenishmentCompany& company = Company(state);
    for (auto _ : state)
        company.Run("usp_GetPurchOrderSuggestionToVendor", {"DEMO", "", "", "", "5", "30", "20251001", "20251231", "0"});
    state.counters["rows"] = static_cast<double>(company.Rows("D_PurchOrderSuggToVendorLine"));
}
BENCHMARK(BM_PurchOrderSuggestionToVendor)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek::server
