#include <gtest/gtest.h>

#include "documents/TPurchInvoicePrintout.h"
#include "documents/uEdPurchase.h"
#include "lists/uBrPurchase.h"
#include "posted/uBrPostedPurchInvoice.h"
#include "support/DemoInvoice.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"

namespace tavrek {
namespace {

// The invoice list over the demo company: many stored invoices, and one typed in the editor
// and saved, ready to post from the list.
class PurchaseListEndToEnd : public testing::SqliteFixture {
protected:
    PurchaseListEndToEnd() {
        // 250 invoices, one a day back from 2026-06-30, numbered by their date, the oldest a
        // general purchase document; an order and an invoice of another company that the list
        // must not show.
        for (int day = 0; day < 250; ++day)
            Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentNo, DocumentDate, Contragent_Id, "
                 "TotalVAT) VALUES ('B" + std::to_string(day) + "', 'DEMO', " + (day == 249 ? "31" : "1") + ", 'N" +
                 std::to_string(1000 + day) + "', " + std::to_string(46203 - day) + ", 'V01', 12)");
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentDate) VALUES ('ORD', 'DEMO', 22, 46300)");
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocumentDate) VALUES ('OTHER', 'X', 1, 46300)");
    }

    // An invoice of vendor V03 with a 20 % and a 9 % line, saved through the editor.
    std::string SaveInvoice() {
        TfEdPurchase editor;
        editor.Create();
        editor.Show();
        return testing::SaveDemoInvoice(editor, "0000077001", "VAT9");
    }

    std::vector<std::string> Numbers(TClientDataSet& ds) {
        std::vector<std::string> numbers;
        for (int i = 0; i < ds.RawRecordCount(); ++i)
            numbers.push_back(ds.RawRecord(i)[static_cast<size_t>(ds.FieldByName("DocumentNo").Index())].AsString());
        return numbers;
    }

    testing::HeadlessFormHost host;
    TfBrPurchase list;
};

TEST_F(PurchaseListEndToEnd, ShowsTheCompanysInvoicesNewestFirstReadingAPacketAtATime) {
    list.Create();
    list.Show();
    EXPECT_EQ(list.cdsMaster.RecordCount(), 100);
    EXPECT_TRUE(list.cdsMaster.CanFetchMore());
    EXPECT_EQ(list.cdsMaster.FieldByName("DocumentNo").AsString(), "N1000");
    list.cdsMaster.Last();
    EXPECT_EQ(list.cdsMaster.RecordCount(), 250);
    EXPECT_EQ(list.cdsMaster.FieldByName("DocumentNo").AsString(), "N1249");
    host.ScriptExternal(10160, 0);
    list.acEditRecord.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    EXPECT_EQ(host.ExternalRequests()[0].FormNumber, 10160) << "a general purchase document opens in its own editor";
    const std::vector<std::string> numbers = Numbers(list.cdsMaster);
    EXPECT_TRUE(std::is_sorted(numbers.begin(), numbers.end()));
    EXPECT_EQ(list.cdsMaster.FieldByName("N_Contragent_Name").AsString(),
              Value("SELECT Name FROM N_Contragent WHERE Id = 'V01'").AsString());
}

TEST_F(PurchaseListEndToEnd, SearchAndDateRangeNarrowTheList) {
    list.Create();
    list.Show();
    const struct {
        const char* name;
        const char* search;
        Variant from, to;
        size_t rows;
        const char* first;
    } cases[] = {
        {"a number", "N1007", {}, {}, 1, "N1007"},
        {"part of numbers", "N100", {}, {}, 10, "N1000"},
        {"nothing typed", "", {}, {}, 250, "N1000"},
        {"a date range", "", Variant(TDateTime(46194.0)), Variant(TDateTime(46196.0)), 3, "N1007"},
        {"search within the range", "N1008", Variant(TDateTime(46194.0)), Variant(TDateTime(46196.0)), 1, "N1008"},
        {"nothing found", "няма такъв", {}, {}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        list.cdsFilter.Edit();
        list.cdsFilter.FieldByName("DateFrom").SetValue(c.from);
        list.cdsFilter.FieldByName("DateTo").SetValue(c.to);
        list.cdsFilter.FieldByName("SearchText").SetAsString(c.search);
        list.cdsMaster.FetchAll();
        EXPECT_EQ(static_cast<size_t>(list.cdsMaster.RecordCount()), c.rows);
        if (c.rows > 0) {
            EXPECT_EQ(Numbers(list.cdsMaster).front(), c.first);
        }
    }
    list.cdsFilter.FieldByName("SearchText").SetAsString(
        Value("SELECT substr(Name, 1, 5) FROM N_Contragent WHERE Id = 'V01'").AsString());
    list.cdsMaster.FetchAll();
    EXPECT_EQ(list.cdsMaster.RecordCount(), 250);
}

TEST_F(PurchaseListEndToEnd, PostAndPrintFromTheListPrintsThePostedInvoiceWithItsNumber) {
    const std::string id = SaveInvoice();
    list.Create();
    list.Show();
    ASSERT_TRUE(list.cdsMaster.Locate("Id", {Variant(id)}));
    dialogs.ExpectMessage(mrOk, "Фактура № 0000000001 е осчетоводена.");
    list.acPostAndPrintDocument.Execute();
    for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
        ADD_FAILURE() << entry.Operation << ": " << entry.Message;

    EXPECT_EQ(Count("D_PurchHeader", "Id = '" + id + "'"), 0);
    EXPECT_FALSE(list.cdsMaster.Locate("Id", {Variant(id)}));
    ASSERT_EQ(host.Prints().size(), 1u);
    const TPrintRequest& print = host.Prints()[0];
    EXPECT_EQ(print.PrintFormCode, TfBrPurchase::kPostedInvoicePrintForm);
    TPurchInvoicePrintout invoice;
    ASSERT_TRUE(TPurchInvoicePrintout::Load(print, invoice));
    EXPECT_TRUE(invoice.Posted);
    EXPECT_EQ(invoice.DocumentNo, "0000000001");
    EXPECT_EQ(invoice.Vendor.Name, Value("SELECT Name FROM N_Contragent WHERE Id = 'V03'").AsString());
    EXPECT_EQ(invoice.Company.VATRegistrationNo, "BG204123456");
    ASSERT_EQ(invoice.Lines.size(), 2u);
    EXPECT_EQ(invoice.Lines[0].Code, "1008");
    // 10 x 0.95 = 9.50 at 20 % and 2.5 x 9.80 = 24.50 at 9 %: VAT 1.90 and 2.205 -> 2.21.
    ASSERT_EQ(invoice.VATRates.size(), 2u);
    EXPECT_DOUBLE_EQ(invoice.VATRates[0].Percent, 9.0);
    EXPECT_DOUBLE_EQ(invoice.VATRates[0].Base, 24.5);
    EXPECT_DOUBLE_EQ(invoice.VATRates[0].VAT, 2.21);
    EXPECT_DOUBLE_EQ(invoice.VATRates[1].Base, 9.5);
    EXPECT_DOUBLE_EQ(invoice.VATRates[1].VAT, 1.9);
    EXPECT_DOUBLE_EQ(invoice.TotalValue, 34.0);

    TfBrPostedPurchInvoice posted;
    posted.Create();
    posted.Show();
    EXPECT_EQ(posted.cdsMaster.FieldByName("DocumentNo").AsString(), "0000000001");
}

TEST_F(PurchaseListEndToEnd, AZeroInvoiceIsPostedOnlyWhenTheUserSaysSo) {
    Exec("UPDATE D_PurchHeader SET TotalVAT = 0.004 WHERE Id = 'B0'");
    list.Create();
    list.Show();
    dialogs.ExpectMessage(mrNo, "нулева стойност");
    list.acPostDocument.Execute();
    EXPECT_EQ(Count("D_PurchHeader", "Id = 'B0'"), 1);
    EXPECT_TRUE(host.Prints().empty());
}

TEST_F(PurchaseListEndToEnd, AnUnknownPrintFormPrintsTheInvoiceOnItsKindsLayout) {
    const std::string id = SaveInvoice();
    TPrintRequest request;
    request.Keys = {Variant(id)};
    TPurchInvoicePrintout invoice;
    EXPECT_TRUE(TPurchInvoicePrintout::Load(request, invoice));
    EXPECT_FALSE(invoice.Posted);
    Exec("UPDATE S_PrintDocuments SET PF_Id = 'Purch_Other' WHERE SubDoc_Id = 'SD-520'");
    ASSERT_TRUE(TPurchInvoicePrintout::Load(request, invoice));
    EXPECT_EQ(invoice.Layout, TPurchInvoicePrintout::kLayout);
    request.Keys = {Variant("NO-SUCH-DOCUMENT")};
    EXPECT_FALSE(TPurchInvoicePrintout::Load(request, invoice));
}

}  // namespace
}  // namespace tavrek
