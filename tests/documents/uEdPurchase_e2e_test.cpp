#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "scenario/TScenarioRunner.h"
#include "support/SqliteFixture.h"

namespace tavrek {
namespace {

using scenario::TScenarioResult;

// Scenarios through the runner of "tavrek-admin run", on the test's company: typed into the
// invoice editor, saved, posted, and the stored rows compared.
class PurchaseInvoiceEndToEnd : public testing::SqliteFixture {
protected:
    std::vector<TScenarioResult> RunText(const std::string& text) {
        std::istringstream in(text);
        return runner.Run(scenario::ReadScenario(in));
    }

    scenario::TScenarioRunner runner{Server()};
};

// Every scenario file of an invoice, run as written.
class PurchaseInvoiceScenario : public PurchaseInvoiceEndToEnd, public ::testing::WithParamInterface<std::string> {};

TEST_P(PurchaseInvoiceScenario, RunsAsWritten) {
    const std::string path = std::string(TAVREK_TEST_DATA_DIR) + "/golden/" + GetParam() + ".txt";
    for (const TScenarioResult& result : runner.Run(scenario::ReadScenarioFile(path)))
        EXPECT_TRUE(result.Ok) << scenario::ResultLine(GetParam(), result);
}

std::vector<std::string> InvoiceScenarios() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(TAVREK_TEST_DATA_DIR) + "/golden"))
        if (entry.path().filename().string().starts_with("purchase_invoice_") && entry.path().extension() == ".txt")
            names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

INSTANTIATE_TEST_SUITE_P(Golden, PurchaseInvoiceScenario, ::testing::ValuesIn(InvoiceScenarios()),
                         [](const ::testing::TestParamInfo<std::string>& info) { return info.param; });

// Whatever differs from the stored rows fails with the stored value beside the expected
// one, and a step that cannot be carried out ends the run.
TEST_F(PurchaseInvoiceEndToEnd, TheRunnerReportsEveryDifferenceAndStopsAtAStepItCannotDo) {
    const std::vector<TScenarioResult> results = RunText(
        "header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=77 DocumentDate=2026-11-20\n"
        "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=10 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
        "saved D_PurchHeader TotalValue=9.50 VATValue=1.90\n"
        "saved D_PurchHeader VendorInvoiceNo=77 TotalValue=9.51 VATValue=1.90 DocSubType_Id=SD-521\n"
        "count D_PurchaseLine Rows=2\n"
        "post Refused=err_PostPurchNoVendorInvoiceNo\n"
        "posted D_PurchInvoiceLine Line_No=2 TotalValue=0\n"
        "sum G_LEntry Account_Id=4011 Amount=-11.40\n"
        "sum G_LEntry Account_Id=4011 Amount=-11.41\n"
        "line Code=1008 NoSuchField=1\n"
        "closed\n");
    const struct {
        bool Ok;
        std::string Difference;
    } expected[] = {{true, ""},
                    {false, "TotalValue=9.5 (очаквано 9.51), DocSubType_Id=SD-520 (очаквано SD-521)"},
                    {false, "Rows=1 (очаквано 2)"},
                    {false, "осчетоводена въпреки очаквания отказ err_PostPurchNoVendorInvoiceNo"},
                    {false, "0 реда вместо 1"},
                    {true, ""},
                    {false, "Amount=-11.4 (очаквано -11.41)"},
                    {false, "няма поле NoSuchField"}};
    ASSERT_EQ(results.size(), std::size(expected));
    for (size_t i = 0; i < results.size(); ++i) {
        EXPECT_EQ(results[i].Ok, expected[i].Ok) << i;
        EXPECT_EQ(results[i].Difference, expected[i].Difference) << i;
    }
}

}  // namespace
}  // namespace tavrek
