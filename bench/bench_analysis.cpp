// The purchase analysis over 1,000,000 posted invoice lines (100,000 invoices of 10 lines over
// a year, 20 vendors, 40 items) and 20,000 orders of 5 lines with their receipts: each view as
// the server computes it for the year, on SQLite and on PostgreSQL side by side.
#include <benchmark/benchmark.h>

#include <string>

#include "BenchEngines.h"
#include "server/db/TDbTransaction.h"

namespace tavrek::server {
namespace {

constexpr int kInvoices = 100000;
constexpr int kLinesPerInvoice = 10;
constexpr int kOrders = 20000;
constexpr double kFirstDay = 46023;  // 01.01.2026

std::string Numbers(int count) {
    return "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) + ") ";
}

std::string Lines(int count) {
    std::string values;
    for (int k = 1; k <= count; ++k) values += (k == 1 ? "" : " UNION ALL ") + std::string("SELECT ") + std::to_string(k) + " AS k";
    return "(" + values + ") l";
}

class TAnalysisCompany : public TBenchServer {
public:
    explicit TAnalysisCompany(int64_t engine) : TBenchServer(engine, "analysis") {
        TDbSession& db = Server().Database();
        TDbTransaction transaction(db, TTransactionKind::tkWrite);
        db.Exec(Numbers(20) + "INSERT INTO N_Contragent (Id, Comp_Id, Code, Name) SELECT 'BV' || i, 'DEMO', 'B' || (7000 + i), "
                              "'Доставчик ' || i FROM n");
        db.Exec(Numbers(40) + "INSERT INTO N_Item (Id, Comp_Id, Code, Name, ItemProductGroup_Id) SELECT 'BI' || i, 'DEMO', "
                              "'B' || (8000 + i), 'Артикул ' || i, NULL FROM n");
        db.Exec(Numbers(kInvoices) +
                "INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocumentNo, DocumentDate, PostingDate, "
                "Contragent_Id, TotalValue, TotalValue_LCY, Annul, IsGlobalInvoice) SELECT 'BP' || i, 'DEMO', 6, 'B' || i, " +
                std::to_string(kFirstDay) + " + i % 365, " + std::to_string(kFirstDay) +
                " + i % 365, 'BV' || (1 + i % 20), 55, 55, 0, 0 FROM n");
        db.Exec("INSERT INTO D_PurchInvoiceLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, Quantity_Base, "
                "DirectUnitCost_ACY, TotalValue, TotalValue_LCY) SELECT h.Id, h.Id || '-' || l.k, 'DEMO', l.k, 1, "
                "'BI' || (1 + (CAST(SUBSTR(h.Id, 3) AS INTEGER) * 7 + l.k) % 40), l.k, l.k, 1, l.k, l.k FROM "
                "D_PurchInvoiceHeader h, " + Lines(kLinesPerInvoice) + " WHERE h.Id LIKE 'BP%'");
        db.Exec(Numbers(kOrders) +
                "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo, DocumentDate, RequestedReceiptDate, "
                "Contragent_Id) SELECT 'BO' || i, 'DEMO', 22, 'B' || i, " + std::to_string(kFirstDay) + " + i % 360, " +
                std::to_string(kFirstDay) + " + i % 360 + 5, 'BV' || (1 + i % 20) FROM n");
        db.Exec("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, ReceivedQty, "
                "TotalValue_LCY) SELECT h.Id, h.Id || '-' || l.k, 'DEMO', l.k, 1, 'BI' || l.k, 10, 10 - l.k % 3, 10 FROM "
                "D_PurchHeader h, " + Lines(5) + " WHERE h.Id LIKE 'BO%'");
        db.Exec("INSERT INTO D_PurchReceiptHeader (Id, Comp_Id, DocumentType, DocumentNo, DocumentDate, PostingDate, "
                "Contragent_Id, AppliesToDoc_Id, Annul) SELECT 'BR' || SUBSTR(Id, 3), 'DEMO', 26, DocumentNo, "
                "RequestedReceiptDate + CAST(SUBSTR(Id, 3) AS INTEGER) % 9 - 4, RequestedReceiptDate + "
                "CAST(SUBSTR(Id, 3) AS INTEGER) % 9 - 4, Contragent_Id, Id, 0 FROM D_PurchHeader WHERE Id LIKE 'BO%'");
        db.Exec("INSERT INTO D_PurchReceiptLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, OrderLine_Id) "
                "SELECT 'BR' || SUBSTR(Master_Id, 3), 'BR' || SUBSTR(Id, 3), 'DEMO', Line_No, 1, Code, ReceivedQty, Id "
                "FROM D_PurchaseLine WHERE Master_Id LIKE 'BO%'");
        transaction.Commit();
        db.Exec("ANALYZE");
    }
};

void BM_AnalysisView(benchmark::State& state, const char* view) {
    TAnalysisCompany& company = BenchCompanyOf<TAnalysisCompany>(state);
    const TVariantArray args{"DEMO", view, TDateTime(kFirstDay), TDateTime(kFirstDay + 364), "BI7"};
    size_t rows = 0;
    for (auto _ : state) rows = company.Server().ExecuteStoredProcedure("usp_PurchAnalysis", args).Rows.size();
    state.counters["rows"] = static_cast<double>(rows);
}

#define ANALYSIS_VIEW(name, view)                                                         \
    void BM_Analysis_##name(benchmark::State& state) { BM_AnalysisView(state, view); } \
    BENCHMARK(BM_Analysis_##name)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime()

ANALYSIS_VIEW(ByVendor, "vendor");
ANALYSIS_VIEW(ByItem, "item");
ANALYSIS_VIEW(ByGroup, "group");
ANALYSIS_VIEW(ByMonth, "month");
ANALYSIS_VIEW(PriceHistory, "price");
ANALYSIS_VIEW(OpenOrders, "open");
ANALYSIS_VIEW(OnTimeRate, "ontime");

}  // namespace
}  // namespace tavrek::server
