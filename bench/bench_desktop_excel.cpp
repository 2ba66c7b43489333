// Writing a list of 100,000 rows to an .xlsx file, as "Експорт в Excel" does for any grid:
// text, date, amount and quantity columns with their formats and a footer total.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormDescription.h"
#include "desktop/TColumnLayout.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TExcelExport.h"

namespace {

using namespace tavrek;
using namespace tavrek::desktop;

constexpr int kRows = 100000;

struct TBenchList {
    TBenchList() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "bench_desktop_excel";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QApplication>(argc, argv);
        for (const auto& [field, type] : {std::pair{"DocumentNo", TFieldType::ftString}, {"VendorInvoiceNo", TFieldType::ftString},
                                          {"N_Contragent_Name", TFieldType::ftString}, {"DocumentDate", TFieldType::ftDateTime},
                                          {"TotalValue", TFieldType::ftFloat}, {"VATValue", TFieldType::ftFloat},
                                          {"TotalVAT", TFieldType::ftFloat}, {"Quantity", TFieldType::ftFloat}})
            rows.AddField(field, type);
        rows.CreateDataSet();
        rows.AddAggregate("aggTotalVAT", "SUM(TotalVAT)");
        for (int i = 0; i < kRows; ++i)
            rows.AppendLoaded({std::to_string(1000000000 + i), "F-" + std::to_string(i), "Доставчик " + std::to_string(i % 50),
                               TDateTime(46000.0 + i % 365), (i % 1000) * 1.25, (i % 1000) * 0.25, (i % 1000) * 1.5,
                               static_cast<double>(i % 17)});
        grid.AddColumns({{"DocumentNo", "Номер", 90}, {"VendorInvoiceNo", "Фактура на доставчика", 110},
                         {"N_Contragent_Name", "Доставчик", 200}, {"DocumentDate", "Дата", 80},
                         {"TotalValue", "Стойност", 90, "0.00"}, {"VATValue", "ДДС", 80, "0.00"},
                         {"TotalVAT", "Общо", 90, "0.00"}, {"Quantity", "Количество", 70, "0.###"}});
        grid.FindColumn("TotalVAT")->FooterAggregate = "aggTotalVAT";
        model = std::make_unique<TDataSetModel>(rows, GridColumns(grid, rows));
    }

    std::unique_ptr<QApplication> app;
    TClientDataSet rows;
    TGrid grid{"dbgMaster", "cdsMaster"};
    std::unique_ptr<TDataSetModel> model;
    QTemporaryDir folder;
};

void BM_ExportListOf100000RowsToExcel(benchmark::State& state) {
    static TBenchList list;
    const std::string path = QDir(list.folder.path()).filePath("list.xlsx").toStdString();
    for (auto _ : state) benchmark::DoNotOptimize(ExportToExcel(path, {"Фактури за покупка", {}}, *list.model, {0, 1, 2, 3, 4, 5, 6, 7}));
}
BENCHMARK(BM_ExportListOf100000RowsToExcel)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
