#include <gtest/gtest.h>

#include "editors/uEdPurchDebitMemo.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

class DebitMemoEditor : public DocumentFormTest<TfEdPurchDebitMemo> {
protected:
    DebitMemoEditor()
        : DocumentFormTest(TPurchDocument::pdDebitMemo, {"queChangeContragent", "inf_SelectItemCharge", "err_PostPurchase"}) {}
    void OpenDebitMemo() {
        Open({{"Id", "H1"}, {"Contragent_Id", "V01"}, {"DocumentType", 12}, {"GenBusPostGroup_Id", "DOM"},
              {"VATBusPostGroup_Id", "DOM"}},
             {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 5.0},
               {"VATProdPostGroup_Id", "VAT20"}, {"QtyPerUnitOfMeasure", 6.0}},
              {{"Id", "L2"}, {"Line_No", 2}, {"Type", 4}, {"Code", "FA-1"}, {"Quantity", 1.0},
               {"DirectUnitCost_ACY", 900.0}}});
    }
};

TEST_F(DebitMemoEditor, AVendorChangeKeepsThePricesAndTakesTheVendorsGroupsAndRates) {
    OpenDebitMemo();
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"BANK"}}));
    server.OnRequestValue("G_VATPostingSetup", Rows({"VATPercent", "VATCalculationType", "PurchaseVATLedger"}, {{0.0, 1, 2}}));
    Header().Edit();
    // As the vendor's lookup writes it: its groups, then its key.
    for (const char* group : {"GenBusPostGroup_Id", "VATBusPostGroup_Id"}) Header().FieldByName(group).SetAsString("EU");
    Header().FieldByName("Contragent_Id").SetAsString("V02");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
    EXPECT_TRUE(server.CallsTo("GetContragentParams").empty()) << "the lookup brought the vendor's defaults";
    EXPECT_TRUE(dialogs.Shown().empty()) << "no question from the vendor rule";
    for (int lineNo : {1, 2}) {
        GotoLine(lineNo);
        EXPECT_EQ(Lines().FieldByName("GenBusPostGroup_Id").AsString(), "EU");
        EXPECT_EQ(Lines().FieldByName("VATBusPostGroup_Id").AsString(), "EU");
    }
    GotoLine(1);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 5.0);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("VATPercent").AsFloat(), 0.0);
    GotoLine(2);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 900.0);
}

TEST_F(DebitMemoEditor, AnItemCodeProposesNoPriceButResetsTheFactorAndFindsTheAssetsBook) {
    OpenDebitMemo();
    GotoLine(1);
    Lines().Edit();
    Lines().FieldByName("Code").SetAsString("1002");
    EXPECT_DOUBLE_EQ(Lines().FieldByName("QtyPerUnitOfMeasure").AsFloat(), 1.0);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 5.0);
    Lines().Post();
    GotoLine(2);
    server.OnRequestValue("N_FADeprBookLine", Rows({"DeprBook_Id"}, {{"BOOK-1"}}));
    Lines().Edit();
    Lines().FieldByName("Code").SetAsString("FA-2");
    EXPECT_EQ(Lines().FieldByName("DeprBook_Id").AsString(), "BOOK-1");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
}

TEST_F(DebitMemoEditor, ChoosingAnotherVendorInTheSelectorMustBeConfirmed) {
    for (int answer : {mrNo, mrYes}) {
        SCOPED_TRACE(answer);
        OpenDebitMemo();
        dialogs.ExpectSelect(true, Rows({"Id", "Code", "Name"}, {{"V02", "5002", "Вносител ООД"}}));
        dialogs.ExpectMessage(answer, "queChangeContragent");
        if (answer == mrYes) {
            server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"BANK"}}));
            server.OnRequestValue("G_VATPostingSetup",
                                  Rows({"VATPercent", "VATCalculationType", "PurchaseVATLedger"}, {{20.0, 1, 1}}));
        }
        Header().Edit();
        EXPECT_EQ(Form().SelectLookup(*Form().Description.FindField("N_Contragent_Code"), "50"), answer == mrYes);
        EXPECT_EQ(Header().FieldByName("Contragent_Id").AsString(), answer == mrYes ? "V02" : "V01");
    }
}

TEST_F(DebitMemoEditor, PostingPostsAsAPurchaseAndPrintsTheInvoiceForm) {
    OpenDebitMemo();
    server.OnPost("PostPurchase", 0, {"P5", "0000000012"});
    dialogs.ExpectMessage(mrOk, "Дебитно известие № 0000000012 е осчетоводено.");
    Form().acPostAndPrintDocument.Execute();
    EXPECT_EQ(Keys("PostPurchase"), (std::vector<std::string>{"H1"}));
    ASSERT_EQ(host.Prints().size(), 1u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "10020");

    server.OnPost("PostPurchase", -1);
    dialogs.ExpectMessage(mrOk, "не е осчетоводено.");
    Form().acPostAndPrintDocument.Execute();
    EXPECT_EQ(host.Prints().size(), 1u);
}

}  // namespace
}  // namespace tavrek::testing
