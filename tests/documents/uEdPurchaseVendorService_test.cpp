#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "base/partner/ITavrekAPI.h"
#include "base/partner/TUblInvoice.h"
#include "support/GoldenTable.h"
#include "support/UblSample.h"

namespace tavrek {
namespace {

namespace fs = std::filesystem;

using testing::TUblSample;

std::string Invoice(const std::string& number, std::vector<testing::TUblSampleLine> lines) {
    TUblSample sample;
    sample.Number = number;
    sample.Lines = std::move(lines);
    return sample.Xml();
}

TEST(UblInvoice, ReadsHeaderLinesAllowancesAndTotals) {
    TUblSample sample;
    sample.Lines = {{"V-1", "Брашно", 3, 12.5, 20, 0, "3800000000012"}, {"", "Захар", 2, 25, 9, 5, ""}};
    sample.DocumentAllowance = 1.5;
    const TUblInvoice invoice = TUblInvoice::ReadText(sample.Xml(), "F-100.xml");
    EXPECT_EQ(invoice.DocumentNo, "F-100");
    EXPECT_FALSE(invoice.IsCreditNote);
    EXPECT_EQ(invoice.DocumentDate, TDateTime::FromDate(2026, 11, 20));
    EXPECT_EQ(invoice.DueDate, TDateTime::FromDate(2026, 12, 20));
    EXPECT_EQ(invoice.Currency, "EUR");
    ASSERT_EQ(invoice.Lines.size(), 2u);
    EXPECT_EQ(invoice.Lines[0].VendorKey(), "V-1");
    EXPECT_EQ(invoice.Lines[0].Barcode, "3800000000012");
    EXPECT_EQ(invoice.Lines[1].VendorKey(), "Захар") << "a line with a name only is identified by it";
    EXPECT_DOUBLE_EQ(invoice.Lines[1].LineAmount, 45.0) << "the allowance stays an amount";
    EXPECT_EQ(invoice.Lines[1].Category, (TUblTaxCategory{"S", 9}));
    ASSERT_EQ(invoice.AllowanceCharges.size(), 1u);
    EXPECT_DOUBLE_EQ(invoice.AllowanceCharges[0].Amount, 1.5);
    EXPECT_EQ(invoice.TaxSubtotals.size(), 2u);
    EXPECT_DOUBLE_EQ(invoice.Totals.TaxExclusiveAmount, 37.5 + 45 - 1.5);
}

TEST(UblInvoice, MalformedAndInconsistentDocumentsAreRefusedWithTheirFileNamed) {
    const std::string good = Invoice("F-1", {{"V-1", "Брашно", 3, 2, 20, 0, ""}});
    for (const testing::TGoldenCase& c : testing::ReadGoldenCases("documents/ubl_refused.txt")) {
        std::string xml = c.Has("Xml") ? c.Text("Xml") : good;
        if (c.Has("From")) {
            const size_t at = xml.find(c.Text("From"));
            xml.replace(at, c.Int("ToEnd") == 1 ? std::string::npos : c.Text("From").size(), c.Text("To"));
        }
        try {
            TUblInvoice::ReadText(xml, "broken.xml");
            ADD_FAILURE() << c.Name << " was accepted";
        } catch (const EPartnerError& e) {
            EXPECT_NE(std::string(e.what()).find("broken.xml"), std::string::npos) << c.Name;
            EXPECT_NE(std::string(e.what()).find(c.Text("Problem")), std::string::npos) << c.Name << ": " << e.what();
        }
    }
}

class FolderService : public ::testing::Test {
protected:
    FolderService() : folder_(fs::temp_directory_path() / ("tavrek-vendor-" + std::to_string(::getpid()))) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    ~FolderService() override { fs::remove_all(folder_); }

    void Write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

    fs::path folder_;
};

TEST_F(FolderService, ListsReadableDocumentsAndReportsTheBrokenOnes) {
    Write("F-1.xml", Invoice("F-1", {{"V-1", "Брашно", 1, 2, 20, 0, ""}}));
    Write("F-2.xml", "<Invoice>");
    Write("notes.txt", "not a document");
    auto api = GetITavrekAPI("file://" + folder_.string(), "u", "p");
    std::vector<std::string> problems;
    const TRequestResult documents = api->GetDocuments(problems);
    ASSERT_EQ(documents.Rows.size(), 1u);
    EXPECT_EQ(documents.ByName("DocumentNo").AsString(), "F-1");
    EXPECT_EQ(documents.ByName("Currency_Id").AsString(), "EUR");
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("F-2.xml"), std::string::npos);
}

TEST_F(FolderService, ReadsTheRequestedLineColumnsUnderTheLineConditions) {
    Write("F-1.xml", Invoice("F-1", {{"V-1", "Брашно", 3, 2, 20, 0, ""}, {"V-2", "Захар", 1, 4, 20, 0, ""}}));
    auto api = GetITavrekAPI(folder_.string(), "", "");
    TFilter filter;
    filter.Add("D_PurchHeader.Contragent_Id", "=", "CN1", "AND").Add("Code", "=", "V-2", "AND");
    filter.Add("D_PurchHeader.BusinessGroup_Id", "=", "BG1");
    const TRequestResult lines = api->GetDocumentLines("F-1", "Code,Quantity,DirectUnitCost_ACY,ReceivedQty", filter);
    ASSERT_EQ(lines.Rows.size(), 1u);
    EXPECT_EQ(lines.ByName("Code").AsString(), "V-2");
    EXPECT_DOUBLE_EQ(lines.ByName("DirectUnitCost_ACY").AsFloat(), 4.0);
    EXPECT_DOUBLE_EQ(lines.ByName("ReceivedQty").AsFloat(), 0.0);
    EXPECT_THROW(api->GetDocumentLines("F-9", "Code", {}), EPartnerError);
    EXPECT_THROW(api->GetDocumentLines("F-1", "Code,Password", {}), EPartnerError);
}

TEST_F(FolderService, RefusesAMissingFolderAndWrongCredentials) {
    EXPECT_THROW(GetITavrekAPI((folder_ / "none").string(), "u", "p"), EPartnerError);
    Write("credentials", "buyer\nsecret\n");
    EXPECT_THROW(GetITavrekAPI(folder_.string(), "buyer", "guess"), EPartnerError);
    EXPECT_NO_THROW(GetITavrekAPI(folder_.string(), "buyer", "secret"));
}

}  // namespace
}  // namespace tavrek
