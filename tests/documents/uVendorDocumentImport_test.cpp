#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "base/partner/ITavrekAPI.h"
#include "base/util/Utils.h"
#include "documents/uVendorDocumentImport.h"
#include "support/DataSetBuilder.h"
#include "support/SessionTest.h"

namespace tavrek::testing {
namespace {

namespace fs = std::filesystem;

// Published examples that contradict themselves, with the reason the reader gives.
const std::map<std::string, std::string> kSelfContradicting = {
    // line 1 invoices 2 laptops at 1273.00 and states 1273.00 as the line amount
    {"ubl-tc434-example2.xml", "сумата на ред 1 (1273.00)"},
    // both lines invoice 2 subscriptions at 800.00 and state 800.00
    {"ubl-tc434-example3.xml", "сумата на ред 1 (800.00)"},
    // line 20 returns 6 x 18.33 with a positive quantity and a negative amount
    {"ubl-tc434-example10.xml", "сумата на ред 20 (-109.98)"},
    // line 1 leaves its allowance of 12 and charge of 10 out of its amount
    {"UBL-Invoice-2.1-Example.xml", "сумата на ред 1 (1273.00)"},
    // the rounding of 0.30 is inside the tax-inclusive total already
    {"UBL-CreditNote-2.1-Example.xml", "сумата с ДДС е 1729.00"},
};

std::vector<fs::path> UblDocuments() {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(TAVREK_UBL_DIR))
        if (ToLowerAscii(entry.path().extension().string()) == ".xml") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// An invoice header in local currency and no lines.
TPurchaseDocument EmptyInvoice() {
    TPurchaseDocument document = MakePurchaseDocument();
    document.Line->Cancel();
    document.Line->Delete();
    return document;
}

// The VAT category of a charge line: the document charge it came from.
std::string ChargeCategory(const TUblInvoice& invoice, TClientDataSet& line) {
    for (const TUblAllowanceCharge& item : invoice.AllowanceCharges)
        if (item.Reason == line.FieldByName("Description2").AsString() ||
            (item.Reason.empty() && item.IsCharge == (line.FieldByName("DirectUnitCost_ACY").AsFloat() > 0)))
            return item.Category.Caption();
    ADD_FAILURE() << "a charge line from nowhere: " << line.FieldByName("Description2").AsString();
    return {};
}

struct TSums {
    double Value = 0.0, VAT = 0.0;
};

class VendorDocumentImport : public SessionTest {
protected:
    VendorDocumentImport() {
        TScriptedAnswer item;
        item.Result = 1;
        item.Rows = {{"Item_Id", "Code", "Name", "Measure_Id", "VATProdPostGroup_Id", "GenProdPostGroup_Id"},
                     {{Variant("I1"), Variant("1001"), Variant("Артикул"), Variant("PCS"), Variant("VAT20"), Variant("GEN")}}};
        server.Script("RequestValue", "", item, true);
    }

    // Imports the document and sums the recalculated lines per VAT category.
    std::map<std::string, TSums> Import(const TUblInvoice& invoice, TVendorDocumentImport& import) {
        bool calculating = false;
        import.AppendLines(*document_.Header, *document_.Line, calculating);
        std::map<std::string, TSums> sums;
        TClientDataSet& line = *document_.Line;
        size_t index = 0;
        for (line.First(); !line.Eof(); line.Next()) {
            if (line.FieldByName("Type").AsInteger() != 1) {
                sums[ChargeCategory(invoice, line)].Value += line.FieldByName("TotalValue").AsFloat();
                sums[ChargeCategory(invoice, line)].VAT += line.FieldByName("VATValue").AsFloat();
                continue;
            }
            const TUblInvoiceLine& vendor = invoice.Lines[index];
            EXPECT_NEAR(line.FieldByName("TotalPrice").AsFloat(), vendor.LineAmount, 1e-9) << "line " << vendor.Id;
            TSums& sum = sums[vendor.Category.Caption()];
            sum.Value += line.FieldByName("TotalValue").AsFloat();
            sum.VAT += line.FieldByName("VATValue").AsFloat();
            ++index;
        }
        EXPECT_EQ(index, invoice.Lines.size());
        return sums;
    }

    TPurchaseDocument document_;
};

TEST_F(VendorDocumentImport, EveryPublishedDocumentComesInWithTheVendorsFigures) {
    const std::vector<fs::path> files = UblDocuments();
    ASSERT_EQ(files.size(), 40u) << TAVREK_UBL_DIR;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const auto contradiction = kSelfContradicting.find(file.filename().string());
        if (contradiction != kSelfContradicting.end()) {
            try {
                TUblInvoice::ReadFile(file.string());
                ADD_FAILURE() << "a self-contradicting example was accepted";
            } catch (const EPartnerError& e) {
                EXPECT_NE(std::string(e.what()).find(contradiction->second), std::string::npos) << e.what();
                EXPECT_NE(std::string(e.what()).find(file.filename().string()), std::string::npos) << e.what();
            }
            continue;
        }
        const TUblInvoice invoice = TUblInvoice::ReadFile(file.string());
        TVendorItemMapping items(invoice, "5001");
        items.FindItems();
        TVendorDocumentImport import(invoice, items);
        document_ = EmptyInvoice();
        const std::map<std::string, TSums> sums = Import(invoice, import);
        double value = 0.0, vat = 0.0;
        for (const TUblTaxSubtotal& subtotal : invoice.TaxSubtotals) {
            const auto sum = sums.find(subtotal.Category.Caption());
            const TSums found = sum == sums.end() ? TSums{} : sum->second;
            EXPECT_NEAR(found.Value, subtotal.TaxableAmount, 0.001) << subtotal.Category.Caption();
            EXPECT_NEAR(found.VAT, subtotal.TaxAmount, 0.001) << subtotal.Category.Caption();
            value += found.Value;
            vat += found.VAT;
        }
        EXPECT_NEAR(value, invoice.Totals.TaxExclusiveAmount, 0.001);
        EXPECT_NEAR(value + vat, invoice.Totals.TaxInclusiveAmount, 0.001);
    }
}

}  // namespace
}  // namespace tavrek::testing
