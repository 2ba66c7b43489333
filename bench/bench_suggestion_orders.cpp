// What a buyer waits for after "Генериране на Поръчка към доставчик": 1,000 ticked rows of 20
// vendors turned into 20 purchase orders through the real order editor, each row copied into its
// line on the server and every order checked against its rows.
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "base/session/LocalData.h"
#include "base/session/Tdm.h"
#include "frame/uPurchasePackage.h"
#include "replenishment/uBrPurchOrderSuggestion.h"
#include "server/SqlValue.h"
#include "server/demo/TDemoCompany.h"
#include "support/HeadlessFormHost.h"
#include "support/ScriptedDialogs.h"

namespace tavrek {
namespace {

constexpr int kRows = 1000;
constexpr int kVendors = 20;

std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) + ") ";
}

// The demo company with 1,000 items short of their minimum, each of one of 20 vendors.
class TOrdersCompany : public server::TBenchServer {
public:
    explicit TOrdersCompany(int64_t engine) : TBenchServer(engine, "bench_suggestion_orders") {
        server::TDbSession& db = Server().Database();
        db.Exec("DELETE FROM D_SaleOrderLine");
        db.Exec("UPDATE N_Item SET MinimumStock = 0");
        db.Exec("INSERT INTO N_Contragent (Id, Comp_Id, Code, Name, IsVendor, Currency_Id, PayMethod_Id, PayTerm_Id, "
                "VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, PriceIncludingVAT) " + Numbers(kVendors) +
                "SELECT 'BV' || i, 'DEMO', 'B' || i, 'Доставчик ' || i, 1, '', 'BANK', 'D30', 'DOM', 'DOM', 'SUP-DOM', 0 "
                "FROM n");
        db.Exec("INSERT INTO N_Item (Id, Comp_Id, Code, Name, Type, PurchMeasure_Id, VATProdPostGroup_Id, "
                "GenProdPostGroup_Id, LastDirectCost, Vendor_Id, MinimumStock, OrderMultiple) " + Numbers(kRows) +
                "SELECT 'B' || i, 'DEMO', 'B' || i, 'Артикул ' || i, 1, 'PCS', 'VAT20', 'GOODS', 1 + i % 13, "
                "'BV' || (1 + i % " + std::to_string(kVendors) + "), 5, 0 FROM n");
        db.Exec("ANALYZE");
    }

    // Takes the orders of the last run back, so that the next suggestion proposes the rows again.
    void Reset() {
        server::TDbSession& db = Server().Database();
        db.Exec("DELETE FROM D_PurchaseLine WHERE Master_Id IN (SELECT Id FROM D_PurchHeader WHERE DocumentType = 22)");
        db.Exec("DELETE FROM D_PurchHeader WHERE DocumentType = 22");
        db.Exec("DELETE FROM D_PurchOrderLineSuggestion");
        const TRequestResult result = Server().ExecuteStoredProcedure("usp_GetPurchOrderSuggestion", {"DEMO"});
        if (result.Empty() || result.Value().AsInteger() != 0) throw std::runtime_error(Server().LastRefusalText());
    }
    int64_t Count(const std::string& sql) { return server::SelectRows(Server().Database(), sql).Value().AsInteger(); }
};

void BM_TickedRowsBecomeOrders(benchmark::State& state) {
    TOrdersCompany& company = server::BenchCompanyOf<TOrdersCompany>(state);
    TSessionGuard guard;
    testing::ScriptedDialogs dialogs;
    guard.Session().SetServer(&company.Server());
    guard.Session().SetDialogs(&dialogs);
    LocalData().CompanyId = server::kDemoCompanyId;
    LocalData().BusinessGroupId = server::kDemoBusinessGroupId;
    LocalData().UserId = server::kDemoUserId;
    PurchasePackageStartup();
    testing::HeadlessFormHost host;
    for (auto _ : state) {
        state.PauseTiming();
        company.Reset();
        TfBrPurchOrderSuggestion form;
        form.Create();
        form.Show();
        if (form.cdsMaster.RecordCount() != kRows) throw std::runtime_error("the suggestion has not 1,000 rows");
        dialogs.ExpectMessage(mrYes);
        dialogs.ExpectMessage(mrOk, "0000");
        host.ScriptExternal(10770, 1, {"SD-510", "510", "Поръчка за покупка"});
        state.ResumeTiming();
        form.acGeneratePurchOrder.Execute();
        state.PauseTiming();
        if (company.Count("SELECT COUNT(*) FROM D_PurchHeader WHERE DocumentType = 22") != kVendors ||
            company.Count("SELECT COUNT(*) FROM D_PurchaseLine") != kRows)
            throw std::runtime_error("the run did not make 20 orders of 1,000 lines");
        state.ResumeTiming();
    }
    state.counters["orders"] = kVendors;
    state.counters["lines"] = kRows;
}
BENCHMARK(BM_TickedRowsBecomeOrders)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace tavrek
