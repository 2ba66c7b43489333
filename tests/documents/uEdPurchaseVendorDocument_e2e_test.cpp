#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "documents/uEdPurchase.h"
#include "editors/uEdPurchCrMemo.h"
#include "server/demo/TDemoCompany.h"
#include "support/HeadlessFormHost.h"
#include "support/SqliteFixture.h"
#include "support/UblSample.h"

namespace tavrek::testing {
namespace {

// The demo vendor V01 (code 5001) sends its invoices to a folder; the invoice editor on
// the demo company fetches one, maps its lines and saves it.
class VendorDocumentEndToEnd : public SqliteFixture {
protected:
    VendorDocumentEndToEnd() : folder_(TempPath("vendor-V01")) {
        std::filesystem::create_directories(folder_);
        Exec("UPDATE N_PartnerConnectionList SET URLAddress = '" + folder_ + "' WHERE Id = 'PC-V01'");
        TUblSample sample;
        sample.Number = "V01-2026-118";
        // by the vendor's number, by the GTIN alone, and a line the vendor names only
        sample.Lines = {{"A-7001", "Брашно тип 500", 40, 1.05, 20, 2.10, ""},
                        {"", "Брашно тип 700", 12, 0.983, 20, 0, server::DemoGtin(1)},
                        {"", "Брашно ръжено 1 кг", 5, 1.37, 20, 0, ""}};
        sample.DocumentAllowance = 1.00;
        std::ofstream(folder_ + "/V01-2026-118.xml") << sample.Xml();
        uEdPurchCrMemo::Initialization();
        form.Create();
        form.Show();
    }

    void NewInvoiceFetchingTheVendorDocument() {
        form.acInsertRecord.Execute();
        form.cdsMaster.FieldByName("Contragent_Id").SetAsString("V01");
        form.cdsMaster.FieldByName("N_Contragent_Code").SetAsString("5001");
        form.cdsMaster.FieldByName("DocSubType_Id").SetAsString("SD-520");
        dialogs.ExpectText(true, "1");
    }

    HeadlessFormHost host;
    TfEdPurchase form;
    std::string folder_;
};

TEST_F(VendorDocumentEndToEnd, AVendorInvoiceIsFetchedMappedOnceAndSavedWithTheVendorsFigures) {
    const std::string mapped = Value("SELECT Id FROM N_Item WHERE Code = '1003'").AsString();
    NewInvoiceFetchingTheVendorDocument();
    dialogs.ExpectSelect(true, {{"Id", "Code"}, {{Variant(mapped), Variant("1003")}}});
    dialogs.ExpectMessage(mrOk, "За плащане: 69,06 EUR");
    form.acGetDocFromVendor.Execute();
    ASSERT_EQ(form.cdsDetail.RecordCount(), 3);
    ASSERT_TRUE(form.SaveData());
    const std::string id = form.cdsMaster.FieldByName("Id").AsString();
    const std::string lines = "Master_Id = '" + id + "'";
    EXPECT_EQ(Value("SELECT VendorInvoiceNo FROM D_PurchHeader WHERE Id = '" + id + "'").AsString(), "V01-2026-118");
    // 40 x 1.05 - 2.10 = 39.90; 12 x 0.983 = 11.80 (11.796); 5 x 1.37 = 6.85; less 1.00 spread
    EXPECT_NEAR(Value("SELECT SUM(TotalPrice) FROM D_PurchaseLine WHERE " + lines).AsFloat(), 58.55, 0.001);
    EXPECT_NEAR(Value("SELECT SUM(TotalValue) FROM D_PurchaseLine WHERE " + lines).AsFloat(), 57.55, 0.001);
    EXPECT_NEAR(Value("SELECT SUM(VATValue) FROM D_PurchaseLine WHERE " + lines).AsFloat(), 11.51, 0.001);
    EXPECT_EQ(Value("SELECT Code FROM D_PurchaseLine WHERE Description2 = 'Брашно тип 700' AND " + lines).AsString(),
              "1002");
    EXPECT_EQ(Count("N_ItemCrossReference", "CrossRefNo = 'Брашно ръжено 1 кг' AND Item_Id = '" + mapped + "'"), 1);

    // The next invoice of the vendor finds the line it was told about without asking.
    NewInvoiceFetchingTheVendorDocument();
    dialogs.ExpectMessage(mrOk, "За плащане");
    form.acGetDocFromVendor.Execute();
    EXPECT_EQ(form.cdsDetail.RecordCount(), 3);
    EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
}

TEST_F(VendorDocumentEndToEnd, AVendorCreditNoteOpensInANewCreditMemoAndLeavesTheInvoiceAlone) {
    std::filesystem::remove(folder_ + "/V01-2026-118.xml");
    TUblSample note;
    note.Number = "V01-2026-K07";
    note.CreditNote = true;
    note.CreditedInvoice = "V01-2026-118";
    note.Lines = {{"A-7001", "Брашно тип 500", 4, 1.05, 20, 0, ""}};
    std::ofstream(folder_ + "/V01-2026-K07.xml") << note.Xml();
    NewInvoiceFetchingTheVendorDocument();
    dialogs.ExpectMessage(mrNo, "V01-2026-K07");
    form.acGetDocFromVendor.Execute();
    EXPECT_TRUE(host.OpenForms().empty());

    dialogs.ExpectText(true, "1");
    dialogs.ExpectMessage(mrYes, "кредитно известие");
    // 4 x 1.05 = 4.20 and 20 % VAT
    dialogs.ExpectMessage(mrOk, "За плащане: 5,04 EUR");
    form.acGetDocFromVendor.Execute();
    EXPECT_EQ(form.cdsDetail.RecordCount(), 0);
    ASSERT_EQ(host.OpenForms().size(), 1u);
    auto* memo = dynamic_cast<TfEdPurchCrMemo*>(host.OpenForms().front());
    ASSERT_NE(memo, nullptr);
    TClientDataSet& header = memo->cdsMaster;
    EXPECT_EQ(header.FieldByName("Contragent_Id").AsString(), "V01");
    EXPECT_EQ(header.FieldByName("VendorCreditMemoNo").AsString(), "V01-2026-K07");
    EXPECT_EQ(header.FieldByName("ToInvoiceNo").AsString(), "V01-2026-118");
    EXPECT_EQ(header.FieldByName("InvoiceDate").AsDateTime(), TDateTime::Parse("2026-11-02"));
    ASSERT_EQ(memo->cdsDetail.RecordCount(), 1);
    EXPECT_EQ(memo->cdsDetail.FieldByName("Quantity").AsFloat(), 4.0);
    ASSERT_TRUE(memo->SaveData());
    const std::string id = header.FieldByName("Id").AsString();
    EXPECT_EQ(Value("SELECT DocumentType FROM D_PurchHeader WHERE Id = '" + id + "'").AsInteger(), 11);
    EXPECT_NEAR(Value("SELECT TotalVAT FROM D_PurchHeader WHERE Id = '" + id + "'").AsFloat(), 5.04, 0.001);
    EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
}

TEST_F(VendorDocumentEndToEnd, ADocumentThatDoesNotAddUpIsRefusedAndChangesNothing) {
    TUblSample sample;
    sample.Number = "V01-2026-118";
    sample.Lines = {{"A-7001", "Брашно тип 500", 2, 1.05, 20, 0, ""}};
    std::string text = sample.Xml();
    const std::string payable = ">2.52</cbc:PayableAmount>";
    text.replace(text.find(payable), payable.size(), ">2.62</cbc:PayableAmount>");
    std::ofstream(folder_ + "/V01-2026-118.xml") << text;
    form.acInsertRecord.Execute();
    form.cdsMaster.FieldByName("Contragent_Id").SetAsString("V01");
    dialogs.ExpectMessage(mrOk, "V01-2026-118.xml");
    form.acGetDocFromVendor.Execute();
    EXPECT_EQ(form.cdsDetail.RecordCount(), 0);
    EXPECT_EQ(form.cdsMaster.FieldByName("VendorInvoiceNo").AsString(), "");
}

}  // namespace
}  // namespace tavrek::testing
