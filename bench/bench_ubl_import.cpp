// What a buyer waits for when a vendor's e-invoice comes in: reading a 1,000-line UBL
// invoice, finding our item of every line on the embedded server and writing the lines,
// recalculated, into an invoice.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "base/partner/TUblInvoice.h"
#include "base/session/Tdm.h"
#include "documents/uVendorDocumentImport.h"
#include "server/EmbeddedServer.h"
#include "server/demo/TDemoCompany.h"
#include "support/DataSetBuilder.h"
#include "support/UblSample.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

std::string LargeInvoice(int lines) {
    testing::TUblSample sample;
    for (int i = 0; i < lines; ++i)
        sample.Lines.push_back({"A-" + std::to_string(7001 + i % 3), "Брашно", 10.0 + i % 7, 1.05 + (i % 5) * 0.01,
                                i % 4 == 0 ? 9.0 : 20.0, i % 6 == 0 ? 0.37 : 0.0, ""});
    sample.DocumentAllowance = 12.5;
    return sample.Xml();
}

void BM_ReadAndImportUblInvoice(benchmark::State& state) {
    const fs::path folder = fs::temp_directory_path() / ("tavrek-bench-ubl-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    server::CreateDemoCompany((folder / "company.db").string());
    server::EmbeddedServer server((folder / "company.db").string());
    server.SetSession({server::kDemoCompanyId, server::kDemoBusinessGroupId, server::kDemoUserId});
    dm().SetServer(&server);
    LocalData().CompanyId = server::kDemoCompanyId;
    const std::string xml = LargeInvoice(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        testing::TPurchaseDocument document = testing::MakePurchaseDocument();
        document.Line->Cancel();
        document.Line->Delete();
        state.ResumeTiming();
        const TUblInvoice invoice = TUblInvoice::ReadText(xml, "bench.xml");
        TVendorItemMapping items(invoice, "5001");
        items.FindItems();
        TVendorDocumentImport import(invoice, items);
        bool calculating = false;
        import.AppendLines(*document.Header, *document.Line, calculating);
        if (document.Line->RecordCount() != state.range(0)) {
            state.SkipWithError("lines were lost");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    dm().SetServer(nullptr);
    fs::remove_all(folder);
}
BENCHMARK(BM_ReadAndImportUblInvoice)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace tavrek
