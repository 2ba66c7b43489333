#include <gtest/gtest.h>

#include "editors/uEdPurchCrMemo.h"
#include "support/DocumentFormTest.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

class CrMemoEditor : public DocumentFormTest<TfEdPurchCrMemo> {
protected:
    CrMemoEditor()
        : DocumentFormTest(TPurchDocument::pdCrMemo,
                          {"err_IncompatibleSubDocType", "queReCalculateDiscount", "str_FormTitle", "inf_SelectItemCharge", "err_PostPurchase",
                           "err_SavingHistoryBeforeDel"}) {
        server.SetMessage("str_PurchCrMemoOptions", "Без връзка\r\nВръщане от продажба");
    }
    void OpenCrMemo(TRow extra = {}) {
        TRow header{{"Id", "H1"},          {"Contragent_Id", "V01"}, {"PayMethod_Id", "BANK"},
                    {"DirectPay", 0},      {"DocumentType", 11},     {"DoNotIncInVATLedger", 0},
                    {"TotalVAT", 24.0},    {"TotalVAT_LCY", 24.0}};
        for (auto& [k, v] : extra) header[k] = v;
        Open(header, {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}, {"Quantity_Base", 2.0},
                       {"DirectUnitCost_ACY", 5.0}, {"VATPercent", 20.0}}});
    }
    void ScriptPostingChecks(int directPay = 0) {
        server.OnRequestValue("exec usp_CheckForAccountDimension 'C1', 'H1', 3, 0", Rows({"Code", "Msg"}, {{0, ""}}));
        server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, " + std::to_string(directPay),
                              Rows({"Code", "Msg"}, {{0, ""}}));
    }
    double Line(const char* field) { return Lines().FieldByName(field).AsFloat(); }
};

// The price per base unit stays when the units-per-measure factor changes.
TEST_F(CrMemoEditor, TheFactorRuleKeepsThePricePerBaseUnit) {
    for (const TGoldenCase& c : ReadGoldenCases("editors/crmemo_factor_rule.txt")) {
        SCOPED_TRACE(c.Name);
        OpenCrMemo();
        Lines().Edit();
        SetFields(Lines(), {{"Quantity", c["Quantity"]}, {"Quantity_Base", c["Base"]}, {"DirectUnitCost_ACY", c["Price"]}});
        Lines().FieldByName("QtyPerUnitOfMeasure").SetAsFloat(c.Number("Factor"));
        EXPECT_DOUBLE_EQ(Line("DirectUnitCost_ACY"), c.Number("ExpectedPrice"));
        EXPECT_DOUBLE_EQ(Line("Quantity_Base"), c.Number("ExpectedBase"));
        EXPECT_DOUBLE_EQ(Line("QtyPerUnitOfMeasure"), c.Number("ExpectedFactor"));
        EXPECT_DOUBLE_EQ(Line("TotalPrice"), c.Number("Quantity") * c.Number("ExpectedPrice")) << "the line is recomputed";
        EXPECT_FALSE(Form().Calculating);
        EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
    }
}

TEST_F(CrMemoEditor, QuantityAndUnitChangesNeverAskThePriceList) {
    OpenCrMemo();
    Lines().Edit();
    Lines().FieldByName("Quantity").SetAsFloat(3.0);
    Lines().FieldByName("Measure_Id").SetAsString("KG");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
    EXPECT_DOUBLE_EQ(Line("DirectUnitCost_ACY"), 5.0);
    EXPECT_DOUBLE_EQ(Line("TotalPrice"), 15.0);
    EXPECT_DOUBLE_EQ(Line("VATValue"), 3.0);
}

TEST_F(CrMemoEditor, AVendorChangeKeepsThePricesAndAsksNothing) {
    OpenCrMemo();
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"CASH"}}));
    Header().Edit();
    Header().FieldByName("Contragent_Id").SetAsString("V02");
    EXPECT_EQ(Header().FieldByName("PayMethod_Id").AsString(), "CASH");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty());
    EXPECT_DOUBLE_EQ(Line("DirectUnitCost_ACY"), 5.0);
    EXPECT_TRUE(dialogs.Shown().empty());
    EXPECT_TRUE(server.CallsTo("GetContragentParams").empty()) << "the lookup brought the vendor's defaults";
}

// A credit memo goes to the VAT ledger of the invoice it credits.
TEST_F(CrMemoEditor, TheSubtypeMustAgreeWithTheCreditedInvoicesVATLedger) {
    for (const TGoldenCase& c : ReadGoldenCases("editors/crmemo_subtype_vat_ledger.txt")) {
        SCOPED_TRACE(c.Name);
        const bool accepted = c.Int("Accepted") == 1;
        OpenCrMemo({{"ToInvoiceNo", c["ToInvoiceNo"]}, {"DoNotIncInVATLedger", c["MemoLedger"]}});
        if (c.Has("ToInvoiceNo"))
            server.OnRequestValue("D_PurchInvoiceHeader",
                                  Rows({"DoNotIncInVATLedger"}, c.Has("InvoiceLedger") ? std::vector<TVariantArray>{{c["InvoiceLedger"]}}
                                                                                       : std::vector<TVariantArray>{}));
        if (accepted) {
            server.OnRequestValue("N_SubDocument", Rows({"Post_Series_Id", "PaymentMethod"}, {{"PCRM", "BANK"}}));
            dialogs.ExpectMessage(mrNo, "queReCalculateDiscount");
        } else {
            dialogs.ExpectMessage(mrOk, "err_IncompatibleSubDocType");
        }
        Header().Edit();
        SetFields(Header(), {{"N_SubDocument_Code", "540"}});
        Header().FieldByName("DocSubType_Id").SetAsString("SD-540");
        EXPECT_EQ(Header().FieldByName("DocSubType_Id").IsNull(), !accepted);
        EXPECT_EQ(Header().FieldByName("N_SubDocument_Code").IsNull(), !accepted);
        if (accepted) {
            EXPECT_EQ(Header().FieldByName("Series_Id").AsString(), "PCRM");
        }
        if (c.Has("ToInvoiceNo")) {
            const TServerCall lookup = server.CallsTo("RequestValue").front();
            EXPECT_EQ(lookup.Key, "D_PurchInvoiceHeader");
            EXPECT_EQ(lookup.Args[3].AsString(),
                      "D_PurchInvoiceHeader.VendorInvoiceNo=F-100 AND D_PurchInvoiceHeader.Contragent_Id=V01 AND "
                      "D_PurchInvoiceHeader.Comp_id=C1 AND D_PurchInvoiceHeader.IsGlobalInvoice=0 AND "
                      "D_PurchInvoiceHeader.Annul=0");
        }
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(CrMemoEditor, ALineTakesTheHeadersPriceBasis) {
    const struct {
        const char* name;
        int header, lineBefore;
        double price, expected;
    } cases[] = {
        {"with VAT to without", 0, 1, 12.0, 10.0},
        {"without VAT to with", 1, 0, 10.0, 12.0},
        {"same basis: untouched", 1, 1, 12.0, 12.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        OpenCrMemo({{"PriceIncludingVAT", c.header}});
        Lines().Edit();
        SetFields(Lines(), {{"DirectUnitCost_ACY", c.price}, {"OriginalPrice", 7.0}, {"PriceIncludingVAT", 1 - c.lineBefore}});
        Lines().FieldByName("PriceIncludingVAT").SetAsInteger(c.lineBefore);
        EXPECT_EQ(Lines().FieldByName("PriceIncludingVAT").AsInteger(), c.header);
        EXPECT_DOUBLE_EQ(Line("DirectUnitCost_ACY"), c.expected);
        EXPECT_DOUBLE_EQ(Line("OriginalPrice"), 7.0);
        EXPECT_FALSE(Form().Calculating);
    }
}

TEST_F(CrMemoEditor, PostingAsksTheSaleLinkThenPostsAndPrintsTheCreditMemoForm) {
    OpenCrMemo();
    ScriptPostingChecks();
    dialogs.ExpectOption(1);
    server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000003"});
    dialogs.ExpectMessage(mrOk, "Кредитно известие № 0000000003 е осчетоводено.");
    Form().acPostAndPrintDocument.Execute();
    EXPECT_EQ(dialogs.Shown().at(0).Text, "str_FormTitle");
    EXPECT_EQ(dialogs.Shown().at(0).Text2, "Без връзка\r\nВръщане от продажба");
    EXPECT_EQ(Form().CrMemoOption, 1);
    EXPECT_EQ(Keys("PostPurchCrMemo"), (std::vector<std::string>{"H1"}));
    EXPECT_TRUE(server.CallsTo("PostPurchase").empty());
    ASSERT_EQ(host.Prints().size(), 1u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "10040");
    EXPECT_EQ(host.Prints()[0].Keys, (TVariantArray{"PC1", "0000000003"}));
    EXPECT_TRUE(LoggedOperations().empty());
}

// While the credited invoice is owed, posting offers to set the memo off against it; the
// answer is saved in AppliesToDoc_Id before the server posts.
TEST_F(CrMemoEditor, ASetOffIsOfferedOnlyWhileTheCreditedInvoiceIsOwed) {
    for (const TGoldenCase& c : ReadGoldenCases("editors/crmemo_set_off.txt")) {
        SCOPED_TRACE(c.Name);
        OpenCrMemo({{"ToInvoiceNo", c["ToInvoiceNo"]}, {"AppliesToDoc_Id", Variant()}});
        ScriptPostingChecks();
        if (c.Has("ToInvoiceNo"))
            server.OnRequestValue("D_PurchInvoiceHeader",
                                  Rows({"Id", "Remaining"}, c.Has("Remaining") ? std::vector<TVariantArray>{{"PI1", c["Remaining"]}}
                                                                               : std::vector<TVariantArray>{}));
        if (c.Has("AppliesTo")) AcceptSaves("H1");
        server.ClearCalls();
        dialogs.ExpectOption(c.Int("Option"));
        if (c.Has("SetOff")) dialogs.ExpectMessage(AnswerNamed(c.Text("SetOff")), "Приспадане от задължението по фактура F-100");
        if (c.Int("Posted") == 1) {
            server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000005"});
            dialogs.ExpectMessage(mrOk, "0000000005");
        }
        Form().acPostDocument.Execute();
        EXPECT_EQ(server.CallsTo("PostPurchCrMemo").size(), static_cast<size_t>(c.Int("Posted")));
        EXPECT_EQ(Form().CrMemoOption, c.Int("Option"));
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), c.Has("AppliesTo") ? 1u : 0u)
            << "saved only when the answer changed the memo";
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(CrMemoEditor, PostingStopsWhereItsChecksSaySo) {
    for (const TGoldenCase& c : ReadGoldenCases("editors/crmemo_posting_checks.txt")) {
        SCOPED_TRACE(c.Name);
        const bool pending = c.Int("GoodsCheckPending") == 1;
        LocalData().UseGoodsCheck = pending;
        OpenCrMemo({{"CheckStatus", pending ? 1 : 0}});
        if (!pending)
            server.OnRequestValue("exec usp_CheckForAccountDimension 'C1', 'H1', 3, 0",
                                  Rows({"Code", "Msg"}, {{c.Int("Dimension"), "Ред 1"}}));
        if (c.Int("Dimension") != 0) dialogs.ExpectMessage(mrOk);
        if (c.Has("Option")) dialogs.ExpectOption(c.Int("Option"));
        if (c.Int("Posts") > 0) {
            server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, 0", Rows({"Code", "Msg"}, {{0, ""}}));
            server.OnPost("PostPurchCrMemo", c.Int("Posted"));
            dialogs.ExpectMessage(mrOk, "не е осчетоводено.");
        }
        Form().acPostAndPrintDocument.Execute();
        EXPECT_EQ(server.CallsTo("PostPurchCrMemo").size(), static_cast<size_t>(c.Int("Posts")));
        EXPECT_TRUE(host.Prints().empty());
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(CrMemoEditor, AMemoNotPaidDirectlyShowsItsAmountForPayment) {
    LocalData().ShowChangeCalculation = true;
    const struct {
        int directPay;
        double totalVat;
        bool shown;
    } cases[] = {{0, 24.0, true}, {1, 24.0, false}, {0, 0.0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.directPay) + " " + std::to_string(c.totalVat));
        OpenCrMemo({{"DirectPay", c.directPay}, {"TotalVAT", c.totalVat}, {"TotalVAT_LCY", c.totalVat * 2}});
        ScriptPostingChecks(c.directPay);
        dialogs.ExpectOption(0);
        server.OnPost("PostPurchCrMemo", 0, {"PC1", "0000000004"});
        if (c.shown) dialogs.ExpectChangeCalculation();
        dialogs.ExpectMessage(mrOk, "0000000004");
        const size_t before = dialogs.Shown().size();
        Form().acPostDocument.Execute();
        EXPECT_EQ(dialogs.Shown().size() - before, c.shown ? 3u : 2u);
        if (c.shown) {
            EXPECT_DOUBLE_EQ(dialogs.Shown().at(dialogs.Shown().size() - 2).Due, 48.0);
        }
    }
}

TEST_F(CrMemoEditor, AnnulledDraftsKeepTheirHistoryUnderTheCreditMemoKind) {
    OpenCrMemo();
    server.OnRequestValue("exec  usp_SaveHistoryBeforeDelete 'C1', 'H1', 8, 'U1', 'BG1'", Rows({"Code", "ErrMsg"}, {{-1, "x"}}));
    dialogs.ExpectMessage(mrOk, "err_SavingHistoryBeforeDel");
    Form().MoveToAnnulDocs();
    EXPECT_EQ(Keys("RequestValue"), (std::vector<std::string>{"exec  usp_SaveHistoryBeforeDelete 'C1', 'H1', 8, 'U1', 'BG1'"}));
}

TEST_F(CrMemoEditor, ItemChargesNeedAnItemChargeLine) {
    OpenCrMemo();
    dialogs.ExpectMessage(mrOk, "inf_SelectItemCharge");
    Form().acItemChargeAssigment.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());
}

}  // namespace
}  // namespace tavrek::testing
