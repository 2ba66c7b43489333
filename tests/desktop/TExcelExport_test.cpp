// An export read back from the file: the sheet XML holds the heading, the captions, the rows
// the grid shows (not the filtered-out ones) as numbers and dates in the grid's formats, names
// as the grid reads them, and the footer's total; an unwritable file is refused with a reason.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <regex>
#include <stdexcept>

#include "QtTestApp.h"
#include "base/data/TClientDataSet.h"
#include "desktop/TColumnLayout.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TExcelExport.h"
#include "support/DataSetBuilder.h"

namespace tavrek::desktop {
namespace {

using tavrek::testing::AppendRecord;

std::string Unzipped(const std::string& file, const std::string& member) {
    std::string text;
    FILE* pipe = popen(("unzip -p '" + file + "' " + member).c_str(), "r");
    char buffer[4096];
    for (size_t n; pipe != nullptr && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    if (pipe != nullptr) pclose(pipe);
    return text;
}

// The cell's XML as the writer made it: its style index, type and value or inline text.
std::string Cell(const std::string& sheet, const std::string& reference) {
    const std::regex cell("<c r=\"" + reference + "\"[^>]*?(/>|>.*?</c>)");
    std::smatch found;
    return std::regex_search(sheet, found, cell) ? found.str() : "";
}

std::string NumberOf(const std::string& cell) {
    std::smatch found;
    return std::regex_search(cell, found, std::regex("<v>([^<]*)</v>")) ? found[1].str() : "";
}

std::string TextOf(const std::string& cell) {
    std::smatch found;
    return std::regex_search(cell, found, std::regex("<t[^>]*>([^<]*)</t>")) ? found[1].str() : "";
}

class ExcelExportTest : public ::testing::Test {
protected:
    ExcelExportTest() {
        testing::TestApp();
        rows.AddField("DocumentNo", TFieldType::ftString);
        rows.AddField("DocumentDate", TFieldType::ftDateTime);
        rows.AddField("TotalValue", TFieldType::ftFloat);
        rows.AddField("Quantity", TFieldType::ftFloat);
        rows.AddField("OrderKind", TFieldType::ftInteger);
        rows.CreateDataSet();
        rows.AddAggregate("aggTotal", "SUM(TotalValue)");
        const struct {
            const char* No;
            double Date, Value, Qty;
            int Status;
        } data[] = {{"0000000001", 46331, 1234.5, 2.125, 0}, {"0000000002", 46332, 10.005, 1, 2}, {"0000000003", 46333, -3.1, 7, 0}};
        for (const auto& d : data)
            AppendRecord(rows, {{"DocumentNo", d.No}, {"DocumentDate", TDateTime(d.Date)}, {"TotalValue", d.Value},
                                {"Quantity", d.Qty}, {"OrderKind", d.Status}});
        grid.AddColumns({{"DocumentNo", "Номер", 90}, {"DocumentDate", "Дата", 80}, {"TotalValue", "Стойност", 90, "0.00"},
                         {"Quantity", "Количество", 70, "0.###"}, {"OrderKind", "Състояние", 80, "names:0=Отворена;2=Приключена"}});
        grid.FindColumn("TotalValue")->FooterAggregate = "aggTotal";
        grid.FindColumn("DocumentNo")->FooterText = "Общо";
    }

    std::string Export(const std::vector<int>& columns = {0, 1, 2, 3, 4}) {
        TDataSetModel model(rows, GridColumns(grid, rows));
        const std::string path = QDir(folder.path()).filePath("list.xlsx").toStdString();
        written = ExportToExcel(path, {"Фактури за покупка", {{"Търсене", "0000"}, {"От дата", "01.11.2026"}}}, model, columns);
        return path;
    }

    TClientDataSet rows;
    TGrid grid{"dbgMaster", "cdsMaster"};
    QTemporaryDir folder;
    int written = 0;
};

TEST_F(ExcelExportTest, TheSheetHoldsHeadingCaptionsShownRowsInTheirFormatsAndTheFooter) {
    rows.SetFilter("OrderKind=0");
    rows.SetFiltered(true);
    const std::string path = Export();
    EXPECT_EQ(written, 2);
    const std::string sheet = Unzipped(path, "xl/worksheets/sheet1.xml");
    const std::string styles = Unzipped(path, "xl/styles.xml");
    ASSERT_FALSE(sheet.empty());
    const struct {
        const char* Reference;
        const char* Text;    // inline text, or
        const char* Number;  // the stored number
    } cells[] = {
        {"A1", "Фактури за покупка", ""}, {"A2", "Търсене: 0000", ""}, {"A3", "От дата: 01.11.2026", ""},
        {"A5", "Номер", ""},              {"E5", "Състояние", ""},      {"A6", "0000000001", ""},
        {"B6", "", "46331"},              {"C6", "", "1234.5"},         {"D6", "", "2.125"},
        {"E6", "Отворена", ""},           {"A7", "0000000003", ""},     {"C7", "", "-3.1"},
        // the footer sums every row of the dataset, as the grid's footer does
        {"A8", "Общо", ""},               {"C8", "", "1241.405"},
    };
    for (const auto& c : cells) {
        SCOPED_TRACE(c.Reference);
        const std::string cell = Cell(sheet, c.Reference);
        if (*c.Text != '\0') EXPECT_EQ(TextOf(cell), c.Text) << cell;
        else EXPECT_EQ(NumberOf(cell), c.Number) << cell;
    }
    EXPECT_EQ(Cell(sheet, "A9"), "");
    EXPECT_NE(styles.find("formatCode=\"#,##0.00\""), std::string::npos);
    EXPECT_NE(styles.find("formatCode=\"dd.mm.yyyy\""), std::string::npos);
    // the amount's cells and the date's carry different styles, the footer's is bold
    EXPECT_NE(Cell(sheet, "B6").substr(0, 20), Cell(sheet, "C6").substr(0, 20));
    EXPECT_NE(styles.find("<b/>"), std::string::npos);
}

TEST_F(ExcelExportTest, OnlyTheColumnsShownGoInTheirShownOrder) {
    const std::string sheet = Unzipped(Export({2, 0}), "xl/worksheets/sheet1.xml");
    EXPECT_EQ(TextOf(Cell(sheet, "A5")), "Стойност");
    EXPECT_EQ(TextOf(Cell(sheet, "B5")), "Номер");
    EXPECT_EQ(Cell(sheet, "C5"), "");
    EXPECT_EQ(NumberOf(Cell(sheet, "A7")), "10.005");
}

TEST_F(ExcelExportTest, AFileThatCannotBeWrittenIsRefusedWithItsReason) {
    TDataSetModel model(rows, GridColumns(grid, rows));
    EXPECT_THROW(ExportToExcel("/nonexistent-folder/list.xlsx", {"Списък", {}}, model, {0}), std::runtime_error);
}

}  // namespace
}  // namespace tavrek::desktop
