// What a buyer waits for after "Създай поръчка": a 10,000-line offer turned into an order
// (and into a purchase invoice) by the server, on each engine.
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "base/data/TFilter.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::server {
namespace {

constexpr int kOfferLines = 10000;

class TOfferCompany : public TBenchServer {
public:
    explicit TOfferCompany(int64_t engine) : TBenchServer(engine, "bench_offer") {
        Server().SetSession({kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId});
    }

    // A saved offer of kOfferLines priced item lines at two VAT rates.
    std::string AddOffer() {
        const std::string id = "OFFER-" + std::to_string(++offers_);
        ExecuteBound(Server().Database(),
                     "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentDate, "
                     "VATBusPostGroup_Id, BusinessGroup_Id) VALUES (?, 'DEMO', 20, 'SD-500', 'V01', 46345, 'DOM', 'BG-SOF')",
                     {id});
        ExecuteBound(Server().Database(),
                     "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Quantity, "
                     "QtyPerUnitOfMeasure, Quantity_Base, DirectUnitCost_ACY, LineDiscount, TotalValue, VATPercent, "
                     "VATBusPostGroup_Id, VATProdPostGroup_Id) WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                     "FROM n WHERE i < " + std::to_string(kOfferLines) + ") SELECT CAST(? AS TEXT), CAST(? AS TEXT) || '-' || i, "
                     "'DEMO', i, 1, CAST(1001 + i % 50 AS TEXT), 'Артикул ' || i, i % 17 + 1, 1, i % 17 + 1, 1.05, i % 5, "
                     "1.05 * (i % 17 + 1), CASE WHEN i % 3 = 0 THEN 9 ELSE 20 END, 'DOM', "
                     "CASE WHEN i % 3 = 0 THEN 'VAT9' ELSE 'VAT20' END FROM n",
                     {id, id});
        return id;
    }

    void Convert(const std::string& id, int kind) {
        TRequestResult answer;
        Server().RequestValue(-1, "exec usp_ConvertPurchOffer 'DEMO', '" + id + "','" + std::to_string(kind) +
                                      "','BG-SOF','ADMIN'",
                              "Code,ErrMsg", TFilter(), answer);
        if (answer.ByName("Code").AsString() == "-1") throw std::runtime_error(answer.ByName("ErrMsg").AsString());
    }

private:
    int offers_ = 0;
};

TOfferCompany& Company(benchmark::State& state) { return BenchCompanyOf<TOfferCompany>(state); }

// Argument 1: the conversion kind, 1 an order, 2 a purchase invoice.
void BM_ConvertOfferOf10000Lines(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string id = Company(state).AddOffer();
        state.ResumeTiming();
        Company(state).Convert(id, static_cast<int>(state.range(1)));
    }
}
BENCHMARK(BM_ConvertOfferOf10000Lines)
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace
}  // namespace tavrek::server
