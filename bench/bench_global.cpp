// What an accountant waits for at the end of the period: 1,000 posted invoices of 10 lines
// each, kept out of the VAT ledger, consolidated into one global invoice the way its editor
// does it: every line the selector offers chosen, taken over, recalculated, saved and posted.
#include <stdexcept>
#include <string>

#include <benchmark/benchmark.h>

#include "BenchEngines.h"
#include "base/data/TClientDataSet.h"
#include "base/server/ServerQueries.h"
#include "base/util/TVATTotals.h"
#include "base/util/Text.h"
#include "global/uPurchGlobalDocCalc.h"
#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr int kInvoices = 1000;
constexpr int kLinesPerInvoice = 10;

const char* const kSelectorFields =
    "Type,Id,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,ReturnedQTY,Description2,VATProdPostGroup_Id,QtyPerUnit,Quantity_Base,"
    "InventoryPostGroup_Id,GenProdPostGroup_Id";
const char* const kLineFields =
    "Type,SrcLine_Id,Description,Measure_Id,PriceIncludingVat,Quantity,DirectUnitCost,UnitCost,UnitCost_LCY,"
    "LineDiscount_Percent,Code,VATPercent,ReturnedQTY,Description2,VATProdPostGroup_Id,QtyPerUnit,Quantity_Base,"
    "InventoryPostGroup_Id,GenProdPostGroup_Id";

std::vector<std::string> Names(const char* list) {
    std::vector<std::string> names;
    std::string name;
    for (const char* c = list;; ++c) {
        if (*c == ',' || *c == '\0') {
            names.push_back(name);
            name.clear();
            if (*c == '\0') return names;
        } else {
            name += *c;
        }
    }
}

// The company with the vendor's posted invoices at two VAT rates, written straight into the
// posted tables: only their lines matter to the consolidation.
class TGlobalBenchCompany : public TBenchServer {
public:
    explicit TGlobalBenchCompany(int64_t engine) : TBenchServer(engine, "bench_global") {
        const std::string count = std::to_string(kInvoices), lines = std::to_string(kInvoices * kLinesPerInvoice);
        Server().Database().Exec(
            "INSERT INTO D_PurchInvoiceHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, DocumentDate, "
            "PostingDate, Contragent_Id, VendorInvoiceNo, CurrencyFactor, DoNotIncInVATLedger, Annul, IsGlobalInvoice) "
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + count + ") SELECT 'SRC-' || i, "
            "'DEMO', 6, 'SD-520', 'S' || i, 46345, 46345, 'V03', 'F-' || i, 1, 1, 0, 0 FROM n");
        Server().Database().Exec(
            "INSERT INTO D_PurchInvoiceLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, QtyPerUnitOfMeasure, "
            "Quantity_Base, DirectUnitCost, TotalValue, TotalValue_LCY, VATPercent, VATBusPostGroup_Id, "
            "VATProdPostGroup_Id) WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " + lines +
            " - 1) SELECT 'SRC-' || (i / 10 + 1), 'SRCL-' || i, 'DEMO', i % 10 + 1, 1, CAST(1001 + i % 30 AS TEXT), "
            "i % 7 + 1, 1, i % 7 + 1, 0.33, 0.33 * (i % 7 + 1), 0.33 * (i % 7 + 1), CASE WHEN i % 3 = 0 THEN 9 ELSE "
            "20 END, 'DOM', CASE WHEN i % 3 = 0 THEN 'VAT9' ELSE 'VAT20' END FROM n");
    }

    // The sources free again for the next round.
    void Reset() {
        for (const char* sql :
             {"DELETE FROM G_LEntry WHERE DocumentType = 8", "DELETE FROM G_VATEntry WHERE DocumentType = 8",
              "DELETE FROM G_ContragentEntry WHERE DocumentType = 8", "DELETE FROM D_GlobalSourceLine",
              "DELETE FROM D_PurchInvoiceLine WHERE Master_Id IN (SELECT Id FROM D_PurchInvoiceHeader WHERE DocumentType = 8)",
              "DELETE FROM D_PurchInvoiceHeader WHERE DocumentType = 8",
              "UPDATE D_PurchInvoiceHeader SET GlobalInvoiceNo = NULL, VendorGlobalInvoiceNo = NULL"})
            Server().Database().Exec(sql);
    }

    // Choose all, take over, recalculate, save, post; the posted document's Id.
    std::string Consolidate(int round) {
        EmbeddedServer& server = Server();
        const std::string id = "GLOBAL-" + std::to_string(round);
        TClientDataSet header, lines;
        server.RequestData("D_GlobalPurchHeader", TFilter().Add("D_GlobalPurchHeader.Id", "=", id), header);
        server.RequestData("D_GlobalPurchLine", TFilter().Add("D_GlobalPurchLine.Master_Id", "=", id), lines);
        header.Append();
        std::string transaction;
        server.GetNextSerieNo("TRN", "", transaction);
        for (const auto& [field, value] : std::initializer_list<std::pair<const char*, Variant>>{
                 {"Id", id}, {"Comp_Id", "DEMO"}, {"DocumentType", 3}, {"DocSubType_Id", "SD-570"},
                 {"Contragent_Id", "V03"}, {"DocumentDate", 46350.0}, {"VendorInvoiceNo", "GF-" + id},
                 {"BusinessGroup_Id", "BG-SOF"}, {"CurrencyFactor", 1.0}, {"TransactionNo", static_cast<int64_t>(std::stoll(transaction))}})
            header.FieldByName(field).SetValue(value);
        header.Post();

        TRequestResult chosen;
        server.RequestValue(0, "dv_PurchInvoiceLineSelect", kSelectorFields,
                            TFilter()
                                .Add("dv_PurchInvoiceLineSelect.Comp_Id", "=", "DEMO", " AND")
                                .Add("dv_PurchInvoiceLineSelect.DoNotIncInVATLedger", "=", 1, " AND")
                                .Add("dv_PurchInvoiceLineSelect.Annul", "=", 0, " AND")
                                .Add("dv_PurchInvoiceLineSelect.IsGlobalInvoice", " <>", 1, " AND")
                                .Add("dv_PurchInvoiceLineSelect.Contragent_Id", " =", "V03", " AND")
                                .Add("dv_PurchInvoiceLineSelect.GlobalInvoiceNo", " is", Variant(), ""),
                            chosen, true);
        const std::vector<std::string> targets = Names(kLineFields);
        for (size_t row = 0; row < chosen.Rows.size(); ++row) {
            lines.Append();
            lines.FieldByName("Id").SetAsString(id + "." + std::to_string(row));
            lines.FieldByName("Master_Id").SetAsString(id);
            lines.FieldByName("Comp_Id").SetAsString("DEMO");
            lines.FieldByName("Line_No").SetAsInteger(static_cast<int64_t>(row + 1));
            for (size_t i = 0; i < targets.size(); ++i)
                if (TField* field = lines.FindField(targets[i])) field->SetValue(chosen.Rows[row][i]);
            lines.Post();
        }
        bool calculating = false;
        TVATTotals totals;
        uPurchGlobalDocCalc::PurchGlobalReCalcDocumentExecute(header, lines, calculating, totals);

        std::string error;
        if (server.ApplyUpdates({{"D_GlobalPurchHeader", &header}, {"D_GlobalPurchLine", &lines}}, error) != 0)
            throw std::runtime_error("save: " + error);
        if (server.ExecuteSQLScript(FormatMessage(_c_query_RecalcDocument, {"'" + id + "'", "'DEMO'", "'3'"})) != 0)
            throw std::runtime_error("recalculation: " + server.LastRefusalText());
        TVariantArray keys;
        if (server.PostGlobalDoc(id, 0, keys) != 0) throw std::runtime_error("posting: " + server.LastRefusalText());
        return keys.at(0).AsString();
    }
};

void BM_ConsolidateThousandInvoicesIntoOneGlobalInvoice(benchmark::State& state) {
    TGlobalBenchCompany& company = BenchCompanyOf<TGlobalBenchCompany>(state);
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        company.Reset();
        state.ResumeTiming();
        try {
            company.Consolidate(++round);
        } catch (const std::exception& e) {
            state.SkipWithError(e.what());
            break;
        }
    }
    state.counters["source_lines"] = kInvoices * kLinesPerInvoice;
}
BENCHMARK(BM_ConsolidateThousandInvoicesIntoOneGlobalInvoice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace tavrek::server
