#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/forms/EFormError.h"
#include "base/forms/TImportFilter.h"
#include "base/forms/FormTestSupport.h"

namespace tavrek::testing {
namespace {

std::string WriteFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

TEST(TImportFilter, ReadsRowsByHeadingAndLogsRowsThatDoNotConvert) {
    TSessionGuard session;
    TClientDataSet lines("cdsExtFileData");
    lines.AddField("Code", TFieldType::ftString);
    lines.AddField("Quantity", TFieldType::ftFloat);
    lines.AddField("DocumentDate", TFieldType::ftDateTime);
    const std::string path = WriteFile("tavrek_import.csv",
                                       "\xEF\xBB\xBF"
                                       "Code;Unknown;Quantity;DocumentDate\n"
                                       "A;x;12,5;03.02.2026\n"
                                       "\n"
                                       "B;y;много;2026-02-04\n"
                                       "C;z;1;\n");
    ImportInitLog("Пропуснати редове:");

    EXPECT_EQ(RequestImport(TImportFilter::Filters()[0], path, lines), 2);

    ASSERT_EQ(lines.RecordCount(), 2);
    lines.First();
    EXPECT_EQ(lines.FieldByName("Quantity").AsFloat(), 12.5);
    EXPECT_EQ(lines.FieldByName("DocumentDate").AsDateTime(), TDateTime::FromDate(2026, 2, 3));
    lines.Next();
    EXPECT_EQ(lines.FieldByName("Code").AsString(), "C");
    EXPECT_TRUE(lines.FieldByName("DocumentDate").IsNull());
    const std::vector<std::string> log = ImportCloseLog();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1], "Ред 4, поле Quantity: невалидна стойност 'много'");
    EXPECT_TRUE(ImportCloseLog().empty());

    const std::string foreign = WriteFile("tavrek_import_foreign.csv", "X;Y\n1;2\n");
    EXPECT_THROW(RequestImport(TImportFilter::Filters()[0], foreign, lines), EFormError);
    EXPECT_THROW(RequestImport(TImportFilter::Filters()[0], path + ".missing", lines), EFormError);
}

TEST_F(FormTest, ImportActionAppendsLinesAndSavesTheDocument) {
    TStoredDocuments{{{"H1", "C1", "0001", "V1", 10.0}}, {}}.ScriptOn(server);
    TfTestDocument form;
    form.Filter.Add("D_PurchHeader.Id", "=", "H1");
    form.Show();
    form.acImport.Visible = true;
    const std::string path = WriteFile("tavrek_import_lines.csv", "Code,Quantity\nA,2\nB,3\n");
    dialogs.ExpectText(false);  // the filter list: cancelled
    form.acImport.Execute();
    EXPECT_EQ(form.cdsDetail.RecordCount(), 0);

    dialogs.ExpectText(true, "2");  // comma separated
    dialogs.ExpectFile(true, path);
    server.Script("ApplyUpdates", "D_PurchaseLine", {});
    server.ClearCalls();
    form.acImport.Execute();

    EXPECT_EQ(server.Calls()[0].Args, (TVariantArray{"D_PurchaseLine", int64_t{2}}));
    EXPECT_TRUE(form.LastSaveSucceeded());
    EXPECT_EQ(host.WaitDepth(), 0);
    EXPECT_GE(host.WaitCount(), 1);
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing

namespace tavrek::testing {
namespace {

// The target of the cases below: a code and a quantity per row.
void DefineCodeAndQuantity(TClientDataSet& lines) {
    lines.AddField("Code", TFieldType::ftString);
    lines.AddField("Quantity", TFieldType::ftFloat);
}

// RFC 4180 files as vendors write them: comma or semicolon, with or without a byte order
// mark, quoted cells holding separators, quotes and line breaks.
TEST(TImportFilter, ReadsRfc4180FilesWhole) {
    const struct {
        const char* name;
        size_t filter;
        std::string text;
        std::vector<std::string> codes;
        std::vector<double> quantities;
    } cases[] = {
        {"comma, CRLF", 1, "Code,Quantity\r\nA,1\r\nB,2\r\n", {"A", "B"}, {1, 2}},
        {"semicolon with BOM", 0, "\xEF\xBB\xBF" "Code;Quantity\nA;1,5\n", {"A"}, {1.5}},
        {"quoted separator and quote", 1, "Code,Quantity\n\"Винт, \"\"M6\"\"\",3\n", {"Винт, \"M6\""}, {3}},
        {"tab, empty trailing cell", 2, "Code\tQuantity\tNote\nA\t2\t\n", {"A"}, {2}},
        {"line break inside a cell", 0, "Code;Quantity\n\"два\nреда\";4\nC;5", {"два\nреда", "C"}, {4, 5}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSessionGuard session;
        TClientDataSet lines("cdsImport");
        DefineCodeAndQuantity(lines);
        const std::string path = WriteFile("tavrek_rfc4180.csv", c.text);
        EXPECT_EQ(RequestImport(TImportFilter::Filters()[c.filter], path, lines, true), static_cast<int>(c.codes.size()));
        std::vector<std::string> codes;
        std::vector<double> quantities;
        for (lines.First(); !lines.Eof(); lines.Next()) {
            codes.push_back(lines.FieldByName("Code").AsString());
            quantities.push_back(lines.FieldByName("Quantity").AsFloat());
        }
        EXPECT_EQ(codes, c.codes);
        EXPECT_EQ(quantities, c.quantities);
    }
}

TEST(TImportFilter, ABrokenFileNamesItsRowAndTakesNothing) {
    const struct {
        const char* name;
        std::string text;
        const char* message;
    } cases[] = {
        {"quote left open", "Code;Quantity\nA;1\n\"B;2\nC;3\n", "Ред 3: неправилно оградено с кавички поле"},
        {"text after a closing quote", "Code;Quantity\nA;1\n\"B\"x;2\n", "Ред 3: неправилно оградено с кавички поле"},
        {"a quantity that is no number", "Code;Quantity\nA;1\n\nB;много\n", "Ред 4, поле Quantity: невалидна стойност 'много'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TSessionGuard session;
        TClientDataSet lines("cdsImport");
        DefineCodeAndQuantity(lines);
        lines.CreateDataSet();
        const std::string path = WriteFile("tavrek_broken.csv", c.text);
        EXPECT_THAT([&] { RequestImport(TImportFilter::Filters()[0], path, lines, true); },
                    ::testing::ThrowsMessage<EFormError>(::testing::StrEq(c.message)));
        EXPECT_EQ(lines.RecordCount(), 0);
    }
}

}  // namespace
}  // namespace tavrek::testing
