// Dataset costs users wait for: posting one edited line must cost the same on a
// 100,000-line document as on a 10-line one, since aggregates are kept incrementally.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "base/data/TClientDataSet.h"

namespace {

using namespace tavrek;

std::unique_ptr<TClientDataSet> MakeLines(int count) {
    auto ds = std::make_unique<TClientDataSet>("cdsDetail");
    ds->AddField("Id", TFieldType::ftString);
    ds->AddField("Line_No", TFieldType::ftInteger);
    ds->AddField("Quantity", TFieldType::ftFloat);
    ds->AddField("TotalValue", TFieldType::ftFloat);
    ds->AddField("TotalVAT", TFieldType::ftFloat);
    ds->AddField("TotalValue_LCY", TFieldType::ftFloat);
    ds->CreateDataSet();
    for (int i = 0; i < count; ++i)
        ds->AppendLoaded({Variant("L" + std::to_string(i)), Variant(i + 1), Variant(1.0), Variant(10.0 + i % 7),
                          Variant(12.0), Variant(19.56)});
    ds->AddAggregate("Agg_TotalValue", "SUM(TotalValue)");
    ds->AddAggregate("Agg_TotalVat", "SUM(TotalVAT)");
    ds->AddAggregate("Agg_TotalValue_LCY", "SUM(TotalValue_LCY)");
    ds->AddAggregate("Agg_Line_No", "MAX(Line_No)");
    return ds;
}

void BM_PostEditedLine(benchmark::State& state) {
    auto ds = MakeLines(static_cast<int>(state.range(0)));
    ds->SetRecNo(static_cast<int>(state.range(0) / 2 + 1));
    TField& quantity = ds->FieldByName("Quantity");
    TField& value = ds->FieldByName("TotalValue");
    double q = 1.0;
    for (auto _ : state) {
        ds->Edit();
        quantity.SetAsFloat(q);
        value.SetAsFloat(q * 10.0);
        ds->Post();
        q += 1.0;
        benchmark::DoNotOptimize(ds->AggregateValue("Agg_TotalValue"));
    }
}
BENCHMARK(BM_PostEditedLine)->Arg(10)->Arg(100000);

void BM_FieldByName(benchmark::State& state) {
    auto ds = MakeLines(10);
    for (auto _ : state) benchmark::DoNotOptimize(ds->FieldByName("totalvalue_lcy").AsFloat());
}
BENCHMARK(BM_FieldByName);

void BM_LoadLines(benchmark::State& state) {
    for (auto _ : state) {
        auto ds = MakeLines(static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(ds->RecordCount());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadLines)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
