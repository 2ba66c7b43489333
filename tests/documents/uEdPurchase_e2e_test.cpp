#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/forms/TFormRegistry.h"
#include "base/util/Utils.h"
#include "documents/uEdPurchase.h"
#include "server/SqlValue.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek {
namespace {

using testing::HeadlessFormHost;

struct TPair {
    std::string Key, Value;
};

struct TGoldenStep {
    std::string Verb;
    std::string Table;
    std::vector<TPair> Pairs;
};

// A scenario file: one step per line ("header", "line", "saved", "recalculate", "assign",
// "post", "posted", "sum", "count", "closed", "consume", "annul"), lines starting with '#' are comments.
std::vector<TGoldenStep> ReadGolden(const std::string& name) {
    std::ifstream in(std::string(TAVREK_TEST_DATA_DIR) + "/golden/" + name);
    EXPECT_TRUE(in.good()) << name;
    std::vector<TGoldenStep> steps;
    std::string text;
    while (std::getline(in, text)) {
        if (text.empty() || text[0] == '#') continue;
        std::istringstream words(text);
        TGoldenStep step;
        words >> step.Verb;
        if (step.Verb == "saved" || step.Verb == "posted" || step.Verb == "sum" || step.Verb == "count") words >> step.Table;
        std::string word;
        while (words >> word) {
            const size_t eq = word.find('=');
            step.Pairs.push_back({word.substr(0, eq), word.substr(eq + 1)});
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

class PurchaseInvoiceEndToEnd : public testing::SqliteFixture {
protected:
    PurchaseInvoiceEndToEnd() {
        form.Create();
        form.Show();
        form.acInsertRecord.Execute();
    }

    // As typed: codes of master data go through their lookups.
    void SetFields(TClientDataSet& dataSet, const std::vector<TPair>& pairs) {
        for (const TPair& pair : pairs)
            ASSERT_TRUE(form.EnterFieldValue(dataSet, dataSet.FieldByName(pair.Key), Variant(pair.Value))) << pair.Key;
    }

    void AddLine(const std::vector<TPair>& pairs) {
        form.cdsDetail.Append();
        form.cdsDetail.FieldByName("Type").SetAsInteger(1);
        SetFields(form.cdsDetail, pairs);
        form.cdsDetail.Post();
    }

    std::string Scope(const std::string& table) const {
        if (table == "D_PurchHeader") return "Id = '" + openId + "'";
        if (table == "D_PurchaseLine") return "Master_Id = '" + openId + "'";
        if (table == "D_PurchInvoiceHeader") return "SrcDocument_Id = '" + openId + "'";
        const std::string posted = "(SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = '" + openId + "')";
        if (table == "D_PurchInvoiceLine") return "Master_Id = " + posted;
        return (table == "D_PostItemChargeAssigment" ? "SrcDocument_ID = " : "Document_Id = ") + posted;
    }

    // The first pair picks the row, every pair must match: numbers to the cent, text exactly.
    void ExpectRow(const TGoldenStep& step) {
        std::string columns;
        for (const TPair& pair : step.Pairs) columns += (columns.empty() ? "" : ", ") + pair.Key;
        const TRequestResult row = server::SelectRows(
            Server().Database(),
            "SELECT " + columns + " FROM " + step.Table + " WHERE " + Scope(step.Table) + " AND " + step.Pairs[0].Key + " = ?",
            {Variant(step.Pairs[0].Value)});
        ASSERT_EQ(row.Rows.size(), 1u) << step.Table << " " << step.Pairs[0].Key << "=" << step.Pairs[0].Value;
        for (size_t i = 0; i < step.Pairs.size(); ++i) {
            const Variant actual = row.Value(0, i);
            const std::string& expected = step.Pairs[i].Value;
            char* end = nullptr;
            const double number = std::strtod(expected.c_str(), &end);
            if (*end == '\0' && actual.Type() != TVarType::varString)
                EXPECT_NEAR(actual.AsFloat(), number, 0.001) << step.Table << "." << step.Pairs[i].Key;
            else
                EXPECT_EQ(actual.AsString(), expected) << step.Table << "." << step.Pairs[i].Key;
        }
    }

    std::string PostedId() {
        return Value("SELECT Id FROM D_PurchInvoiceHeader WHERE SrcDocument_Id = '" + openId + "'").AsString();
    }

    static const std::string* Find(const TGoldenStep& step, const std::string& key) {
        for (const TPair& pair : step.Pairs)
            if (pair.Key == key) return &pair.Value;
        return nullptr;
    }

    // The first pair picks the rows of the document; every further column must add up to its value.
    void ExpectSums(const TGoldenStep& step) {
        for (size_t i = 1; i < step.Pairs.size(); ++i) {
            const Variant sum = Value("SELECT COALESCE(SUM(" + step.Pairs[i].Key + "), 0) FROM " + step.Table + " WHERE " +
                                      Scope(step.Table) + " AND " + step.Pairs[0].Key + " = '" + step.Pairs[0].Value + "'");
            EXPECT_NEAR(sum.AsFloat(), std::stod(step.Pairs[i].Value), 0.001)
                << step.Table << " " << step.Pairs[0].Value << " " << step.Pairs[i].Key;
        }
    }

    // An item charge line (by its number) takes a share of its amount onto an item line.
    void Assign(const TGoldenStep& step) {
        auto lineId = [&](const std::string& number) {
            return Value("SELECT Id FROM D_PurchaseLine WHERE Master_Id = '" + openId + "' AND Line_No = " + number).AsString();
        };
        Exec("INSERT INTO D_ItemChargeAssigment (Id, Comp_Id, Document_Id, AppliesToDoc_Id, ItemLine_Id, Quantity) "
             "VALUES ('" + CreateUniqueID() + "', 'DEMO', '" + openId + "', '" + lineId(*Find(step, "Charge")) + "', '" +
             lineId(*Find(step, "Line")) + "', " + *Find(step, "Quantity") + ")");
    }

    // Later sales take a quantity of the item out of the batch the invoice received.
    void Consume(const TGoldenStep& step) {
        Exec("UPDATE G_ItemEntry SET RemainingQuantity = RemainingQuantity - " + *Find(step, "Quantity") +
             " WHERE Document_Id = '" + PostedId() + "' AND Item_Id = (SELECT Id FROM N_Item WHERE Code = '" +
             *Find(step, "Code") + "')");
    }

    void Annul(const TGoldenStep& step) {
        const std::string* description = Find(step, "Description");
        const std::string* payments = Find(step, "Payments");
        const std::string* refused = Find(step, "Refused");
        Variant output;
        const int result = Server().AnnulDocument(PostedId(), 0, description ? *description : "",
                                                  TDateTime::Parse(*Find(step, "Date")), payments ? std::stoi(*payments) : 0,
                                                  output);
        if (refused == nullptr) {
            EXPECT_EQ(result, 0) << Server().LastRefusalText();
            return;
        }
        EXPECT_LT(result, 0);
        EXPECT_EQ(Server().LastRefusalText(), Value("SELECT Text FROM S_Messages WHERE Id = '" + *refused + "'").AsString());
    }

    void Run(const std::string& golden) {
        for (const TGoldenStep& step : ReadGolden(golden)) {
            SCOPED_TRACE(step.Verb + " " + step.Table);
            if (step.Verb == "header") {
                SetFields(form.cdsMaster, step.Pairs);
                openId = form.cdsMaster.FieldByName("Id").AsString();
            } else if (step.Verb == "line") {
                AddLine(step.Pairs);
            } else if (step.Verb == "saved") {
                if (form.HasChanges()) {
                    ASSERT_TRUE(form.SaveData());
                }
                ExpectRow(step);
            } else if (step.Verb == "recalculate") {
                form.acReCalcDocument.Execute();
            } else if (step.Verb == "post") {
                dialogs.ExpectMessage(mrOk, "осчетоводена с номер");
                form.acPostDocument.Execute();
            } else if (step.Verb == "posted") {
                ExpectRow(step);
            } else if (step.Verb == "sum") {
                ExpectSums(step);
            } else if (step.Verb == "count") {
                EXPECT_EQ(Count(step.Table, Scope(step.Table)), std::stoi(*Find(step, "Rows")));
            } else if (step.Verb == "closed") {
                EXPECT_TRUE(form.cdsMaster.IsEmpty()) << "the editor is left on no document";
            } else if (step.Verb == "assign") {
                Assign(step);
            } else if (step.Verb == "consume") {
                Consume(step);
            } else if (step.Verb == "annul") {
                Annul(step);
            } else {
                FAIL() << "unknown step " << step.Verb;
            }
        }
        EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty())
            << guard.Session().ErrorLog().Entries().front().Operation << ": "
            << guard.Session().ErrorLog().Entries().front().Message;
    }

    HeadlessFormHost host;
    TfEdPurchase form;
    std::string openId;
};

// Every scenario file of an invoice, run as written.
class PurchaseInvoiceScenario : public PurchaseInvoiceEndToEnd, public ::testing::WithParamInterface<std::string> {};

TEST_P(PurchaseInvoiceScenario, RunsAsWritten) { Run(GetParam() + ".txt"); }

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

}  // namespace
}  // namespace tavrek

