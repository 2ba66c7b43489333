// What a user waits for while editing purchase lines: the two line routines on one line and
// over 100,000 lines; a quantity typed on a large document against a small one (the binding,
// the five line aggregates and the header totals after each post); a whole-document
// recalculation against a plain loop over doubles doing the same arithmetic.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/util/TVATTotals.h"
#include "base/util/Utils.h"
#include "calc/uPurchCallculations.h"
#include "documents/uPurchDocumentModel.h"

namespace {

using namespace tavrek;
using namespace tavrek::uPurchCallculations;

struct TDocument {
    std::unique_ptr<TClientDataSet> Header = std::make_unique<TClientDataSet>("cdsMaster");
    std::unique_ptr<TClientDataSet> Line = std::make_unique<TClientDataSet>("cdsDetail");
    bool Calculating = false;
    bool Suspended = false;
};

void Open(TClientDataSet& dataSet, const TPurchFieldList& fields) {
    for (const TFieldDef& def : fields) dataSet.AddField(def.Name, def.Type);
    dataSet.CreateDataSet();
}

// An invoice in euro with count account lines (no vendor: no price requests) at two VAT rates.
std::unique_ptr<TDocument> MakeDocument(int count) {
    auto doc = std::make_unique<TDocument>();
    Open(*doc->Header, PurchHeaderFields(TPurchDocument::pdInvoice));
    Open(*doc->Line, PurchLineFields(TPurchDocument::pdInvoice));
    TClientDataSet& line = *doc->Line;
    std::vector<Variant> record(static_cast<size_t>(line.FieldCount()));
    const auto set = [&](const char* field, Variant value) {
        record[static_cast<size_t>(line.FieldByName(field).Index())] = std::move(value);
    };
    doc->Header->AppendLoaded(std::vector<Variant>(static_cast<size_t>(doc->Header->FieldCount())));
    doc->Header->Edit();
    doc->Header->FieldByName("Currency_Id").SetAsString("EUR");
    doc->Header->FieldByName("CurrencyFactor").SetAsFloat(1.95583);
    for (int i = 0; i < count; ++i) {
        set("Id", Variant("L" + std::to_string(i)));
        set("Line_No", Variant(i + 1));
        set("Type", Variant(2));
        set("Quantity", Variant(1.0 + i % 5));
        set("QtyPerUnitOfMeasure", Variant(1.0));
        set("DirectUnitCost_ACY", Variant(10.0 + (i % 13) * 0.37));
        set("LineDiscount", Variant(static_cast<double>(i % 3) * 5.0));
        set("IndirectCostPercent", Variant(i % 4 == 0 ? 2.5 : 0.0));
        set("VATPercent", Variant(i % 2 == 0 ? 20.0 : 9.0));
        set("PriceIncludingVAT", Variant(0));
        line.AppendLoaded(record);
    }
    CreatePurchLineAggregates(line);
    line.First();
    return doc;
}

void BM_LineRoutinesOneLine(benchmark::State& state) {
    auto doc = MakeDocument(1);
    doc->Line->Edit();
    for (auto _ : state) {
        PurchUpdateUnitCost(*doc->Header, *doc->Line, doc->Calculating);
        PurchCalcTotalAmounts(*doc->Header, *doc->Line, doc->Calculating);
    }
}
BENCHMARK(BM_LineRoutinesOneLine);

void RunLineRoutines(TDocument& doc) {
    TClientDataSet& line = *doc.Line;
    for (line.First(); !line.Eof(); line.Next()) {
        line.Edit();
        PurchUpdateUnitCost(*doc.Header, line, doc.Calculating);
        PurchCalcTotalAmounts(*doc.Header, line, doc.Calculating);
        line.Post();
    }
}

// Steady state: one untimed pass first, so that every record already keeps its original values
// in the change log (the first change of a record copies them; see BM_ReCalcFreshDocument).
void BM_LineRoutinesAllLines(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<int>(state.range(0)));
    RunLineRoutines(*doc);
    for (auto _ : state) RunLineRoutines(*doc);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LineRoutinesAllLines)->Arg(100000)->Unit(benchmark::kMillisecond);

// A quantity typed into the middle line through the standard binding, posted, header totals copied.
void BM_QuantityTyped(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<int>(state.range(0)));
    TClientDataSet& line = *doc->Line;
    TClientDataSet& header = *doc->Header;
    AttachPurchStandardBinding({header, line, doc->Calculating, doc->Suspended});
    line.AfterPost = [&header](TClientDataSet& l) { PurchCopyLineTotalsToHeader(header, l); };
    line.SetRecNo(static_cast<int>(state.range(0) / 2 + 1));
    TField& quantity = line.FieldByName("Quantity");
    double q = 1.0;
    for (auto _ : state) {
        line.Edit();
        quantity.SetAsFloat(q);
        line.Post();
        q = q == 1.0 ? 2.0 : 1.0;
    }
    benchmark::DoNotOptimize(header.FieldByName("TotalVAT").AsFloat());
}
BENCHMARK(BM_QuantityTyped)->Arg(10)->Arg(100000);

void BM_ReCalcDocument(benchmark::State& state) {
    auto doc = MakeDocument(static_cast<int>(state.range(0)));
    TVATTotals totals;
    PurchReCalcDocumentExecute(*doc->Header, *doc->Line, doc->Calculating, totals);
    for (auto _ : state) PurchReCalcDocumentExecute(*doc->Header, *doc->Line, doc->Calculating, totals);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReCalcDocument)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The first recalculation of a document just loaded from the server.
void BM_ReCalcFreshDocument(benchmark::State& state) {
    TVATTotals totals;
    for (auto _ : state) {
        state.PauseTiming();
        auto doc = MakeDocument(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        PurchReCalcDocumentExecute(*doc->Header, *doc->Line, doc->Calculating, totals);
        state.PauseTiming();
        doc.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReCalcFreshDocument)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same arithmetic on plain doubles: discount amount, unit cost, total price, VAT amounts,
// VAT groups and header totals.
struct TPlainLine {
    int LineNo = 0;
    double Quantity = 0, Price = 0, Discount = 0, DiscountAmount = 0, InvDiscount = 0, Indirect = 0, VATPercent = 0;
    double UnitCost = 0, UnitCostLCY = 0, TotalPrice = 0, TotalValue = 0, VATBase = 0, VATValue = 0, TotalVAT = 0;
    double ValueLCY = 0, VATLCY = 0, TotalVATLCY = 0;
};

void PlainRecalc(std::vector<TPlainLine>& lines, double factor, TVATTotals& totals) {
    const int A = 2, U = 2;
    totals.ClearVATGroups();
    int position = 0;
    for (TPlainLine& l : lines) {
        if (l.LineNo != ++position) l.LineNo = position;
        const double v = l.VATPercent / 100.0;
        l.DiscountAmount = RoundUp(l.Quantity, 5) == 0 || RoundUp(l.Price, U) == 0 || RoundUp(l.Discount, U) == 0
                               ? 0.0
                               : RoundUp(l.Quantity * l.Price * l.Discount / 100.0, U);
        l.InvDiscount = 0;
        const double share = l.Quantity == 0 ? 0.0 : RoundUp((l.DiscountAmount + l.InvDiscount) / l.Quantity, 5);
        l.UnitCost = RoundUp((l.Price - share) * (1 + l.Indirect / 100.0), A);
        l.UnitCostLCY = RoundUp(l.UnitCost * factor, A);
        l.TotalPrice = RoundUp(l.Quantity * l.Price - l.DiscountAmount, A);
        if (RoundUp(l.TotalPrice, A) != RoundUp(l.InvDiscount, A)) {
            const double old = l.TotalValue;
            l.TotalValue = RoundUp(l.TotalPrice - l.InvDiscount, A);
            if (RoundUp(old > l.TotalValue ? old - l.TotalValue : l.TotalValue - old, A) >= 0.01)
                l.VATBase = l.TotalValue;
            l.ValueLCY = RoundUp(l.TotalValue * factor, A);
            l.VATLCY = RoundUp(l.ValueLCY * v, A);
            l.TotalVATLCY = l.ValueLCY + l.VATLCY;
            l.VATValue = RoundUp(l.VATBase * v, A);
            l.TotalVAT = l.VATValue + l.TotalValue;
        }
        totals.AddVATGroups(Variant(l.VATPercent).AsString(), l.VATPercent, l.TotalValue, l.ValueLCY);
    }
}

void BM_PlainLoop(benchmark::State& state) {
    std::vector<TPlainLine> lines(static_cast<size_t>(state.range(0)));
    for (size_t i = 0; i < lines.size(); ++i) {
        TPlainLine& l = lines[i];
        l.LineNo = static_cast<int>(i + 1);
        l.Quantity = 1.0 + i % 5;
        l.Price = 10.0 + (i % 13) * 0.37;
        l.Discount = (i % 3) * 5.0;
        l.Indirect = i % 4 == 0 ? 2.5 : 0.0;
        l.VATPercent = i % 2 == 0 ? 20.0 : 9.0;
    }
    TVATTotals totals;
    for (auto _ : state) {
        PlainRecalc(lines, 1.95583, totals);
        benchmark::DoNotOptimize(totals.TotalGross());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_PlainLoop)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
