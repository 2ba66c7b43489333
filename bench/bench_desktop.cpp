// Opening, scrolling and editing a 10,000-line purchase invoice in the desktop client, on
// the demo company in a temporary file. Runs offscreen; prints Google Benchmark figures.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <memory>

#include "base/forms/RequestForm.h"
#include "base/forms/TfBase.h"
#include "desktop/TClientApp.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"
#include "server/db/TDbTransaction.h"

namespace {

using namespace tavrek;
using namespace tavrek::desktop;

constexpr int kLines = 10000;
const char* const kInvoiceId = "{BENCH-INVOICE}";

// One client process on a demo company holding an open invoice of kLines lines.
struct TBenchClient {
    TBenchClient() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_desktop";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        TClientOptions options;
        options.CompanyFile = folder.filePath("bench.tavrek");
        options.User = "admin";
        options.Password = "demo-admin";
        client = std::make_unique<TClientApp>(options);
        if (!client->Start()) throw std::runtime_error("the demo company did not open");
        client->Window().show();
        AddInvoice(client->Server().Database());
    }

    static void AddInvoice(server::TDbSession& db) {
        server::TDbTransaction transaction(db, server::TTransactionKind::tkWrite);
        db.Exec(std::string("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo, Contragent_Id, "
                            "VATBusPostGroup_Id, CurrencyFactor) VALUES ('") +
                kInvoiceId + "', 'DEMO', 1, 'BENCH-1', 'V01', 'DOM', 1)");
        for (int i = 1; i <= kLines; ++i) {
            const double quantity = 1 + i % 7, price = 1.25 * (1 + i % 13), value = quantity * price;
            db.Execute("INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Code, Description, Quantity, "
                       "DirectUnitCost_ACY, TotalPrice, TotalValue, TotalVAT, TotalValue_LCY) "
                       "VALUES (?, ?, 'DEMO', ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       {kInvoiceId, "{LINE-" + std::to_string(i) + "}", i, "ITEM" + std::to_string(i % 50),
                        "Артикул " + std::to_string(i), quantity, price, value, value, value * 1.2, value});
        }
        transaction.Commit();
    }

    TFormHostWidget* OpenInvoice() {
        TFormRequest request;
        request.ClassName = "TfEdPurchase";
        request.Filter.Add("D_PurchHeader.Id", "=", kInvoiceId);
        RequestForm(request);
        QMdiSubWindow* window = client->Window().Mdi().currentSubWindow();
        window->showMaximized();
        QApplication::processEvents();
        return TMainWindow::HostOf(window);
    }

    void CloseAll() {
        client->Window().Mdi().closeAllSubWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QTemporaryDir folder;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TClientApp> client;
};

// The client lives from the first benchmark to the end of main: Qt's own statics, some made
// only while the benchmarks run, are gone once exit handlers run, and the application must
// not be destroyed after them.
std::unique_ptr<TBenchClient>& ClientHolder() {
    static std::unique_ptr<TBenchClient> client;
    return client;
}

TBenchClient& Client() {
    std::unique_ptr<TBenchClient>& client = ClientHolder();
    if (!client) client = std::make_unique<TBenchClient>();
    return *client;
}

// From the request to the painted window: server read, form set-up, host build, first paint.
void BM_OpenInvoice(benchmark::State& state) {
    TBenchClient& bench = Client();
    for (auto _ : state) {
        TFormHostWidget* host = bench.OpenInvoice();
        state.PauseTiming();
        const bool opened = host != nullptr && host->Grid("dbgDetail")->Model().rowCount() == kLines;
        bench.CloseAll();
        // A skipped run must not resume its timing: the library aborts on it.
        if (!opened) {
            state.SkipWithError("the invoice did not open with its lines");
            break;
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenInvoice)->Unit(benchmark::kMillisecond)->Iterations(5);

// One page down through the grid, repainted: the cells read the records directly.
void BM_ScrollPage(benchmark::State& state) {
    TBenchClient& bench = Client();
    TFormHostWidget* host = bench.OpenInvoice();
    QTableView& view = host->Grid("dbgDetail")->View();
    QScrollBar& bar = *view.verticalScrollBar();
    for (auto _ : state) {
        bar.setValue(bar.value() + bar.pageStep() > bar.maximum() ? 0 : bar.value() + bar.pageStep());
        view.viewport()->repaint();
    }
    bench.CloseAll();
}
BENCHMARK(BM_ScrollPage)->Unit(benchmark::kMicrosecond);

// Typing a quantity into a line: the form's line rules run, the line is posted, the footers
// and the header follow, the row repaints.
void BM_EditQuantity(benchmark::State& state) {
    TBenchClient& bench = Client();
    TFormHostWidget* host = bench.OpenInvoice();
    TDataSetModel& model = host->Grid("dbgDetail")->Model();
    int quantityColumn = 0;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Количество")) quantityColumn = c;
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % kLines;
        model.setData(model.index(row, quantityColumn), QString::number(2 + row % 5));
        host->RefreshAll();
        host->Grid("dbgDetail")->View().viewport()->repaint();
    }
    // Closing asks nothing once the typed changes are dropped.
    model.DataSet().CancelUpdates();
    host->Form().cdsMaster.CancelUpdates();
    bench.CloseAll();
}
BENCHMARK(BM_EditQuantity)->Unit(benchmark::kMicrosecond);

// Typing an item code into a line: the item's lookup (description, unit, posting groups),
// its VAT rate, the vendor's price and discount, the line posted, footers and header.
void BM_TypeItemCode(benchmark::State& state) {
    TBenchClient& bench = Client();
    TFormHostWidget* host = bench.OpenInvoice();
    TDataSetModel& model = host->Grid("dbgDetail")->Model();
    int codeColumn = 0;
    for (int c = 0; c < model.columnCount(); ++c)
        if (model.headerData(c, Qt::Horizontal).toString() == QStringLiteral("Код")) codeColumn = c;
    int row = 0;
    for (auto _ : state) {
        row = (row + 7919) % kLines;
        if (!model.setData(model.index(row, codeColumn), QString::number(1001 + row % 4))) {
            state.SkipWithError("the item code was refused");
            break;
        }
        host->RefreshAll();
        host->Grid("dbgDetail")->View().viewport()->repaint();
    }
    model.DataSet().CancelUpdates();
    host->Form().cdsMaster.CancelUpdates();
    bench.CloseAll();
}
BENCHMARK(BM_TypeItemCode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    ClientHolder().reset();
    benchmark::Shutdown();
    return 0;
}
