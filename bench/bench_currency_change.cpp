// A buyer changes the currency of a 10,000-line invoice: one rate from the embedded server,
// then every line converted and recomputed. Target: at most 0.3 s.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/session/Tdm.h"
#include "calc/uPurchCallculations.h"
#include "documents/uPurchDocumentModel.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"

namespace {

using namespace tavrek;

void Open(TClientDataSet& dataSet, const TPurchFieldList& fields) {
    for (const TFieldDef& def : fields) dataSet.AddField(def.Name, def.Type);
    dataSet.CreateDataSet();
}

void FillLines(TClientDataSet& line, int count) {
    std::vector<Variant> record(static_cast<size_t>(line.FieldCount()));
    const auto set = [&](const char* field, Variant value) {
        record[static_cast<size_t>(line.FieldByName(field).Index())] = std::move(value);
    };
    for (int i = 0; i < count; ++i) {
        set("Id", Variant("L" + std::to_string(i)));
        set("Line_No", Variant(i + 1));
        set("Type", Variant(1));
        set("Quantity", Variant(1.0 + i % 5));
        set("QtyPerUnitOfMeasure", Variant(1.0));
        set("DirectUnitCost_ACY", Variant(10.0 + (i % 13) * 0.37));
        set("VATPercent", Variant(i % 2 == 0 ? 20.0 : 9.0));
        set("PriceIncludingVAT", Variant(0));
        line.AppendLoaded(record);
    }
    CreatePurchLineAggregates(line);
}

void BM_CurrencyChangeOnEmbeddedServer(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tavrek-bench-currency-" + std::to_string(::getpid()) + ".db"))
            .string();
    std::filesystem::remove(path);
    server::CreateDemoCompany(path);
    TSessionGuard session;
    server::EmbeddedServer server(path);
    dm().SetServer(&server);

    TClientDataSet header("cdsMaster"), line("cdsDetail");
    Open(header, PurchHeaderFields(TPurchDocument::pdInvoice));
    Open(line, PurchLineFields(TPurchDocument::pdInvoice));
    header.AppendLoaded(std::vector<Variant>(static_cast<size_t>(header.FieldCount())));
    FillLines(line, static_cast<int>(state.range(0)));
    header.Edit();
    header.FieldByName("DocumentDate").SetAsDateTime(TDateTime::FromDate(2026, 3, 15));
    header.FieldByName("CurrencyFactor").SetAsFloat(1.0);
    bool calculating = false;
    bool toEuro = true;
    for (auto _ : state) {
        header.FieldByName("Currency_Id").SetAsString(toEuro ? "EUR" : "USD");
        uPurchCallculations::PurchCurrencyOnChange(header, line, calculating);
        toEuro = !toEuro;
    }
    state.counters["factor"] = header.FieldByName("CurrencyFactor").AsFloat();
    dm().SetServer(nullptr);
    std::filesystem::remove(path);
}
BENCHMARK(BM_CurrencyChangeOnEmbeddedServer)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(6);

}  // namespace
