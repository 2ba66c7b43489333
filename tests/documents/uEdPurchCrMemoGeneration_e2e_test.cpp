#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "base/forms/TFormCatalogue.h"
#include "base/forms/TFormRequest.h"
#include "documents/uEdPurchase.h"
#include "editors/uEdPurchCrMemo.h"
#include "posted/uEdPostedPurchInvoice.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek {
namespace {

struct TInvoiceLine {
    int Type;
    const char* Code;
    const char* VATGroup;
    double Quantity, Price, Discount;
};

struct TGenerationCase {
    const char* Name;
    const char* Vendor;
    const char* SubType;
    std::vector<TInvoiceLine> Lines;
};

// What the editor shows of a line, and of the document once recalculated.
const char* const kLineFields[] = {"Type",          "Code",          "Description",    "Measure_Id",   "Quantity",
                                   "Quantity_Base", "DirectUnitCost_ACY", "LineDiscount", "LineDiscountAmount",
                                   "TotalPrice",    "VATPercent",    "VATLedger",      "VATCalculationType",
                                   "TotalValue",    "VATValue",      "TotalVAT",       "TotalValue_LCY",
                                   "VATValue_LCY",  "TotalVAT_LCY",  "UnitCost_ACY",   "UnitCost_LCY"};
const char* const kHeaderFields[] = {"Contragent_Id", "Currency_Id",    "CurrencyFactor", "TotalValue",
                                     "VATValue",      "TotalVAT",       "TotalValue_LCY", "TotalVAT_LCY"};

using TSnapshot = std::map<std::string, std::string>;

// Amounts to the fifth decimal: a saved amount comes back without the binary noise of a sum.
TSnapshot Snapshot(TClientDataSet& dataSet, const auto& fields) {
    TSnapshot values;
    for (const char* name : fields) {
        const TField& field = dataSet.FieldByName(name);
        values[name] = field.AsString();
        if (field.DataType() != TFieldType::ftFloat) continue;
        char amount[32];
        std::snprintf(amount, sizeof amount, "%.5f", field.AsFloat());
        values[name] = amount;
    }
    return values;
}

std::vector<TSnapshot> LineSnapshots(TClientDataSet& lines) {
    std::vector<TSnapshot> snapshots;
    for (lines.First(); !lines.Eof(); lines.Next()) snapshots.push_back(Snapshot(lines, kLineFields));
    return snapshots;
}

// A credit memo generated from a posted invoice shows, line by line, what the invoice showed
// while it was typed, and after F9 the invoice's totals, whatever the kind of line.
class CrMemoGenerationEndToEnd : public testing::SqliteFixture {
protected:
    // Types and saves the invoice; what the editor shows of its lines before F9, and of its
    // header after.
    std::string SaveInvoice(const TGenerationCase& c, std::vector<TSnapshot>& lines, TSnapshot& header) {
        TfEdPurchase editor;
        editor.Create();
        editor.Show();
        editor.acInsertRecord.Execute();
        TClientDataSet& h = editor.cdsMaster;
        h.FieldByName("DocSubType_Id").SetAsString(c.SubType);
        EXPECT_TRUE(editor.EnterFieldValue(h, h.FieldByName("N_Contragent_Code"), Variant(c.Vendor)));
        h.FieldByName("VendorInvoiceNo").SetAsString("GEN-" + std::to_string(++invoices_));
        for (const TInvoiceLine& line : c.Lines) {
            TClientDataSet& d = editor.cdsDetail;
            d.Append();
            d.FieldByName("Type").SetAsInteger(line.Type);
            d.FieldByName("Code").SetAsString(line.Code);
            if (line.Type == 2) d.FieldByName("Description").SetAsString("Транспорт");
            d.FieldByName("VATProdPostGroup_Id").SetAsString(line.VATGroup);
            d.FieldByName("Quantity").SetAsFloat(line.Quantity);
            d.FieldByName("DirectUnitCost_ACY").SetAsFloat(line.Price);
            d.FieldByName("LineDiscount").SetAsFloat(line.Discount);
            d.Post();
        }
        lines = LineSnapshots(editor.cdsDetail);
        editor.acReCalcDocument.Execute();
        EXPECT_TRUE(editor.SaveData());
        header = Snapshot(h, kHeaderFields);
        return h.FieldByName("Id").AsString();
    }

    std::string Post(const std::string& id) {
        TVariantArray keys;
        EXPECT_GE(Server().PostPurchase(id, keys), 0) << Server().LastRefusalText();
        return keys.empty() ? "" : keys[0].AsString();
    }

    testing::HeadlessFormHost host;

private:
    int invoices_ = 0;
};

TEST_F(CrMemoGenerationEndToEnd, TheMemoShowsWhatTheInvoiceShowedForEveryKindOfLine) {
    const TGenerationCase cases[] = {
        {"items at two rates", "5003", "SD-520",
         {{1, "1008", "VAT20", 24, 0.95, 0}, {1, "1035", "VAT9", 3, 11.00, 0}, {1, "1009", "VAT20", 6, 1.60, 0}}},
        {"a service between two items", "5003", "SD-520",
         {{1, "1008", "VAT20", 4, 0.95, 0}, {2, "602", "VAT20", 1, 35.00, 0}, {1, "1010", "VAT20", 1, 9.80, 0}}},
        {"discounts that round", "5003", "SD-520", {{1, "1010", "VAT20", 2.5, 9.80, 5}, {1, "1011", "VAT20", 3, 14.50, 12.5}}},
        {"dollars, whose cent the lines lose", "5012", "SD-521",
         {{1, "1047", "VAT20", 10, 1.40, 0}, {1, "1048", "VAT20", 24, 0.90, 0}}},
    };
    for (const TGenerationCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::vector<TSnapshot> invoiceLines;
        TSnapshot invoiceHeader;
        const std::string invoice = Post(SaveInvoice(c, invoiceLines, invoiceHeader));
        ASSERT_FALSE(invoice.empty());

        TfEdPostedPurchInvoice view;
        view.FormNumber = FindCatalogueClass(view.ClassName())->FormNumber;
        TFormRequest request;
        request.Filter.Add("D_PurchInvoiceHeader.Id", "=", invoice);
        view.Create(request);
        view.Show();
        TfEdPurchCrMemo memo;
        memo.Create();
        memo.Show();
        memo.CallingForm = &view;
        memo.CopyDocumentByTemplate(invoice, "CT-INV-CRM", view.FormNumber, 0, 1, 0);
        memo.CallingForm = nullptr;

        const std::vector<TSnapshot> memoLines = LineSnapshots(memo.cdsDetail);
        ASSERT_EQ(memoLines.size(), invoiceLines.size());
        for (size_t i = 0; i < memoLines.size(); ++i) EXPECT_EQ(memoLines[i], invoiceLines[i]) << "line " << i + 1;
        const std::string lastItem = c.Lines.back().Code;
        EXPECT_EQ(memo.pFloat.Text.substr(0, lastItem.size()), lastItem) << "the item panel shows the current line";
        memo.acReCalcDocument.Execute();
        EXPECT_EQ(Snapshot(memo.cdsMaster, kHeaderFields), invoiceHeader);
    }
}

}  // namespace
}  // namespace tavrek
