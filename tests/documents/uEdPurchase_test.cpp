#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/GoldenTable.h"
#include "support/UblSample.h"
#include "uEdPurchaseFormTest.h"

namespace tavrek::testing {
namespace {

class InvoiceEditor : public EditorTest {
protected:
    void ScriptCheck(const std::string& text, int code, const std::string& message = "") {
        server.OnRequestValue(text, Rows({"Code", "Msg"}, {{code, message}}));
    }
    void ScriptPostingChecks(const std::string& payMethod = "BANK", int directPay = 0) {
        ScriptCheck("exec usp_CheckForAccountDimension 'C1', 'H1', 0, 0", 0);
        ScriptCheck("exec usp_CheckCanPostDocument 'C1', '" + payMethod + "', '', 1, " + std::to_string(directPay), 0);
    }
    void OpenInvoice(TRow extra = {}) {
        TRow header{{"Id", "H1"}, {"Contragent_Id", "V01"}, {"PayMethod_Id", "BANK"}, {"DirectPay", 0}};
        for (auto& [k, v] : extra) header[k] = v;
        Open(header, {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 5.0}},
                      {{"Id", "L2"}, {"Line_No", 2}, {"Type", 3}, {"Code", "TRANSPORT"}, {"Quantity", 1.0},
                       {"TotalValue_LCY", 30.0}},
                      {{"Id", "L3"}, {"Line_No", 3}, {"Type", 2}, {"Code", "602"}, {"Description", "Наем"},
                       {"TotalValue_LCY", 100.0}, {"TotalVAT_LCY", 120.0}}});
    }
};

TEST_F(InvoiceEditor, PostingRunsTheChecksThenPostsAndPrintsThePostedInvoice) {
    OpenInvoice();
    ScriptPostingChecks();
    server.OnPost("PostPurchase", 0, {"P1", "0000000007"});
    dialogs.ExpectMessage(mrOk, "Фактура № 0000000007 е осчетоводена.");
    Form().acPostAndPrintDocument.Execute();
    const std::vector<std::string> requests = Keys("RequestValue");
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 2),
              (std::vector<std::string>{"exec usp_CheckForAccountDimension 'C1', 'H1', 0, 0",
                                        "exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, 0"}));
    EXPECT_EQ(Keys("PostPurchase"), (std::vector<std::string>{"H1"}));
    ASSERT_EQ(host.Prints().size(), 1u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "10020");
    EXPECT_EQ(host.Prints()[0].Keys, (TVariantArray{"P1", "0000000007"}));
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(InvoiceEditor, PostingStopsAtTheFirstCheckThatFails) {
    for (const TGoldenCase& c : ReadGoldenCases("documents/invoice_posting_checks.txt")) {
        SCOPED_TRACE(c.Name);
        const bool pending = c.Int("GoodsCheckPending") == 1;
        const size_t messages = static_cast<size_t>(c.Int("Messages"));
        LocalData().UseGoodsCheck = pending;
        OpenInvoice({{"CheckStatus", pending ? 1 : 0}});
        const size_t shown = dialogs.Shown().size();
        if (!pending) ScriptCheck("exec usp_CheckForAccountDimension 'C1', 'H1', 0, 0", c.Int("AccountDimension"), "Ред 3");
        if (!pending && c.Int("AccountDimension") == 0)
            ScriptCheck("exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, 0", c.Int("CanPost"), "Плащане");
        if (c.Int("PostCalls") > 0) server.OnPost("PostPurchase", c.Int("Posted"));
        for (size_t i = 0; i < messages; ++i) dialogs.ExpectMessage(mrOk);
        Form().acPostAndPrintDocument.Execute();
        EXPECT_EQ(dialogs.Shown().size() - shown, messages);
        EXPECT_EQ(server.CallsTo("PostPurchase").size(), static_cast<size_t>(c.Int("PostCalls")));
        EXPECT_TRUE(host.Prints().empty());
        EXPECT_EQ(Header().FieldByName("Id").AsString(), "H1") << "the document stays open";
        if (c.Int("Posted") < 0) {
            EXPECT_THAT(dialogs.Shown().back().Text, ::testing::StartsWith("Фактура")); EXPECT_THAT(dialogs.Shown().back().Text, ::testing::HasSubstr("не е осчетоводена."));
        }
    }
}

TEST_F(InvoiceEditor, CashPaidAtPostingShowsTheChange) {
    LocalData().ShowChangeCalculation = true;
    OpenInvoice({{"PayMethod_Id", "CASH"}, {"DirectPay", 1}, {"TotalVAT", 12.0}, {"TotalVAT_LCY", 12.0}});
    ScriptPostingChecks("CASH", 1);
    server.OnPost("PostPurchase", 0, {"P1", "1"});
    dialogs.ExpectChangeCalculation();
    dialogs.ExpectMessage(mrOk, "Фактура № 1 е осчетоводена.");
    Form().acPostDocument.Execute();
    EXPECT_TRUE(dialogs.AllAnswered());
    const TShownDialog& change = dialogs.Shown().at(dialogs.Shown().size() - 2);
    EXPECT_DOUBLE_EQ(change.Due, 12.0);
    EXPECT_DOUBLE_EQ(change.Received, 12.0);
}

TEST_F(InvoiceEditor, ProtocolGenerationOpensTheNewProtocolOrShowsTheServersReason) {
    const std::string exec = "exec dbo.usp_CreatePurchaseProtocolFromPurch 'C1', 'BG1', 'H1', 'U1'";
    OpenInvoice();
    server.OnRequestValue(exec, Rows({"Result", "ErrMsg"}, {{"-1", "Няма редове"}}));
    dialogs.ExpectMessage(mrOk, "err_CommonError Няма редове");
    Form().acGenerateProtocol.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());

    server.OnRequestValue(exec, Rows({"Result", "ErrMsg"}, {{"P9", ""}}));
    host.ScriptExternal(11001, 0);
    dialogs.ExpectMessage(mrOk, "msg_OperSuccess");
    server.OnRequestValue("D_GlobalPurchHeader", Rows({"DocumentNo", "DocumentType"}, {{"0000000009", 40}}));
    dialogs.ExpectMessage(mrOk, "Протокол № 0000000009 е създаден.");
    Form().acGenerateProtocol.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    EXPECT_EQ(host.ExternalRequests()[0].FormNumber, 11001);
    const TFilterCondition& condition = host.ExternalRequests()[0].Filter.Conditions().at(0);
    EXPECT_EQ(condition.Field, "D_PurchInvoiceHeader.Id");
    EXPECT_EQ(condition.Value.AsString(), "P9") << "the quoted key is taken without its quotes";
}

TEST_F(InvoiceEditor, ItemChargesAndFutureCostsNeedTheirKindOfLine) {
    OpenInvoice();
    GotoLine(1);
    dialogs.ExpectMessage(mrOk, "inf_SelectItemCharge");
    Form().acItemChargeAssigment.Execute();
    dialogs.ExpectMessage(mrOk, "inf_SelectAccountLine");
    Form().acFutureCostsAssign.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());

    host.ScriptExternal(10600, 0);
    GotoLine(2);
    Form().acItemChargeAssigment.Execute();
    host.ScriptExternal(12230, 0);
    GotoLine(3);
    Form().acFutureCostsAssign.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 2u);
    auto value = [&](size_t request, const std::string& name) {
        for (const TDefaultValue& v : host.ExternalRequests()[request].DefaultValues)
            if (v.FieldName == name) return v.Value;
        ADD_FAILURE() << "no default value " << name;
        return Variant();
    };
    EXPECT_EQ(value(0, "TableName").AsString(), "D_PurchaseLine");
    EXPECT_EQ(value(0, "AppliesToDoc_Id").AsString(), "L2");
    EXPECT_EQ(value(0, "ItemCharge_Id").AsString(), "TRANSPORT");
    EXPECT_DOUBLE_EQ(value(0, "UnitCost").AsFloat(), 30.0);
    EXPECT_EQ(host.ExternalRequests()[1].FormNumber, 12230);
    EXPECT_EQ(value(1, "MasterLine_Id").AsString(), "L3");
    EXPECT_EQ(value(1, "hAccount_Name").AsString(), "Наем");
    EXPECT_DOUBLE_EQ(value(1, "hTotalVAT").AsFloat(), 120.0);
    EXPECT_EQ(host.ExternalRequests()[1].Filter.Conditions().size(), 3u);
}

TEST_F(InvoiceEditor, SalePriceChangesOnlyWhenTheUserAgrees) {
    for (const TGoldenCase& c : ReadGoldenCases("documents/sale_price_changes.txt")) {
        SCOPED_TRACE(c.Name);
        const bool agreed = c.Text("Answer") == "Yes";
        Open({{"Id", "H1"}}, {{{"Id", "L1"}, {"Line_No", 1}, {"Code", "1001"}, {"UnitCost_LCY", 10.0}}});
        dialogs.ExpectMessage(AnswerNamed(c.Text("Answer")), "que_WantToChangeItemUnitPrice");
        if (agreed) server.OnStoredProcedure("usp_UPDATE_N_Item_UnitPrice", Rows({"Result"}, {{0}}));
        Lines().Edit();
        Lines().FieldByName(c.Text("Field")).SetAsFloat(c.Number("Typed"));
        const auto calls = server.CallsTo("ExecuteStoredProcedure");
        ASSERT_EQ(calls.size(), agreed ? 1u : 0u);
        if (agreed) {
            EXPECT_EQ(calls[0].Args, (TVariantArray{"C1", "1001", c["Price"], c["Kind"]}));
        }
    }
    server.OnStoredProcedure("usp_UPDATE_N_Item_UnitPrice", Rows({"Result"}, {{-1}}));
    dialogs.ExpectMessage(mrYes);
    Lines().FieldByName("UnitPrice").SetAsFloat(1.0);
    EXPECT_EQ(LoggedOperations(), (std::vector<std::string>{"TfEdPurchase.UnitPriceOnChange"}));
}

TEST_F(InvoiceEditor, ADocumentInTheGoodsCheckIsNotDeleted) {
    LocalData().UseGoodsCheck = true;
    OpenInvoice({{"CheckStatus", 2}});
    ScriptCheck("exec usp_CheckDocumentBeforeDelete 'C1', 'H1', 4, 0, ''", 2, "F-77");
    dialogs.ExpectMessage(mrOk, "err_DocumentForCheck_2 F-77");
    Form().acDeleteRecord.Execute();
    EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 0u);
    EXPECT_EQ(Keys("RequestData"), (std::vector<std::string>{"D_PurchHeader", "D_PurchaseLine"})) << "refreshed";
    EXPECT_EQ(Lines().RecordCount(), 3);
}

TEST_F(InvoiceEditor, DeletingKeepsTheHistoryAndSaysWhenItCouldNot) {
    OpenInvoice();
    dialogs.ExpectMessage(mrYes);
    server.OnRequestValue("exec  usp_SaveHistoryBeforeDelete 'C1', 'H1', 6, 'U1', 'BG1'", Rows({"Code", "ErrMsg"}, {{1, "x"}}));
    dialogs.ExpectMessage(mrOk, "err_SavingHistoryBeforeDel");
    server.Script("ApplyUpdates", "", {});
    Form().acDeleteRecord.Execute();
    EXPECT_EQ(Methods().front(), "RequestValue") << "history before the deletion reaches the server";
    EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u);
}

TEST_F(InvoiceEditor, AVendorChosenInItsSelectorIsAskedAboutOnce) {
    OpenInvoice();
    dialogs.ExpectSelect(true, Rows({"Id", "Code", "Name"}, {{"V02", "5002", "Захарни заводи АД"}}));
    dialogs.ExpectMessage(mrNo, "queChangeContragent");
    server.OnRequestValue("fn_GetDocPayMethod('C1','BG1','U1',1,'','V02')", Rows({"PayMethod_Id"}, {{"BANK"}}));
    Header().Edit();
    ASSERT_TRUE(Form().SelectLookup(*Form().Description.FindField("N_Contragent_Code"), "50"));
    EXPECT_EQ(Header().FieldByName("Contragent_Id").AsString(), "V02");
    EXPECT_EQ(Header().FieldByName("N_Contragent_Name").AsString(), "Захарни заводи АД");
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty()) << "No keeps the lines' prices";
    EXPECT_TRUE(server.CallsTo("GetContragentParams").empty()) << "the lookup brought the vendor's defaults";
    EXPECT_TRUE(dialogs.AllAnswered());
    GotoLine(1);
    EXPECT_DOUBLE_EQ(Lines().FieldByName("DirectUnitCost_ACY").AsFloat(), 5.0);
}

TEST_F(InvoiceEditor, SendingForTheGoodsCheckHandsOverTheSavedDocument) {
    OpenInvoice({{"BusinessGroup_Id", "BG-PLV"}});
    ScriptCheck("exec usp_SendDocumentForCheck 'C1', 'H1', 3, 0, 0, 1, 'BG-PLV'", 0);
    Form().acSendForCheck.Execute();
    EXPECT_EQ(Keys("RequestValue").front(), "exec usp_SendDocumentForCheck 'C1', 'H1', 3, 0, 0, 1, 'BG-PLV'");
    EXPECT_EQ(Keys("RequestData"), (std::vector<std::string>{"D_PurchHeader", "D_PurchaseLine"})) << "refreshed";
}

TEST_F(InvoiceEditor, SidePanelRowsOpenTheirForms) {
    OpenInvoice({{"DocumentDate", TDateTime::FromDate(2026, 11, 20)}});
    GotoLine(1);
    for (const TGoldenCase& c : ReadGoldenCases("documents/invoice_side_panels.txt")) {
        SCOPED_TRACE(c.Name);
        const int form = std::stoi(c.Name);
        host.ScriptExternal(form, 0);
        TPanelList& list = c.Text("Panel") == "vendor" ? Form().ControlListFastRelationship() : Form().ControlListItems();
        list.OnClick(c.Int("Row"));
        ASSERT_FALSE(host.ExternalRequests().empty());
        const TFormRequest& request = host.ExternalRequests().back();
        EXPECT_EQ(request.FormNumber, form);
        if (c.Has("Field")) {
            ASSERT_FALSE(request.Filter.Empty());
            EXPECT_EQ(request.Filter.Conditions()[0].Field, c.Text("Field"));
        } else {
            EXPECT_EQ(request.DefaultValues.at(0).Value.AsString(), "V01");
        }
    }
    server.OnRequestValue("N_Contragent", Rows({"Code", "CustomerPriceGroup"}, {{"5001", "WHOLESALE"}}));
    host.ScriptExternal(710, 0);
    Form().ControlListItems().OnClick(4);
    const TFilter& prices = host.ExternalRequests().back().Filter;
    EXPECT_EQ(prices.Conditions().size(), 40u) << "both sales codes, open or dated start and end";
    const std::vector<Variant> oneRecord = {"1001", 1, "WHOLESALE", Variant(), "20261231"};
    EXPECT_TRUE(prices.Matches([&](std::string_view field) {
        static const char* names[] = {"Item_Id", "SalesType", "SalesCode", "StartingDate", "EndingDate"};
        for (size_t i = 0; i < 5; ++i)
            if (field == names[i]) return oneRecord[i];
        return Variant();
    })) << "a price of the vendor's price group without a start date is offered";
    EXPECT_TRUE(LoggedOperations().empty());
}

// The vendor's document service over a temporary folder with one good and one broken invoice.
class VendorDocument : public InvoiceEditor {
protected:
    VendorDocument() : folder_(std::filesystem::temp_directory_path() / ("tavrek-ed-vendor-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        TUblSample sample;
        sample.Lines = {{"A-7001", "Брашно", 10, 1.05, 20, 0, ""}, {"Z-1", "Непознат", 1, 2, 20, 0, ""}};
        std::ofstream(folder_ / "F-100.xml") << sample.Xml();
        std::ofstream(folder_ / "F-BAD.xml") << "<Invoice><cbc:ID>F-BAD</cbc:ID>";
    }
    ~VendorDocument() override { std::filesystem::remove_all(folder_); }

    void ScriptConnection(bool byGroup, const TDateTime& validUntil) {
        if (!byGroup) server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress"}, {}));
        server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress", "UserName", "Password", "ValidUntil"},
                                                              {{folder_.string(), "u", "p", validUntil}}));
    }

    std::filesystem::path folder_;
};

TEST_F(VendorDocument, NeedsAVendorAndAValidConnection) {
    Open({{"Id", "H1"}}, {});
    dialogs.ExpectMessage(mrOk, "err_NoCntrFound_A1Service");
    Form().acGetDocFromVendor.Execute();
    OpenInvoice();
    server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress"}, {}));
    server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress"}, {}));
    dialogs.ExpectMessage(mrOk, "err_GetPartnerConnList");
    Form().acGetDocFromVendor.Execute();
    EXPECT_EQ(server.CallsTo("RequestValue").size(), 2u) << "asked by business group, then for the whole company";
    ScriptConnection(false, TDateTime::FromDate(2020, 1, 1));
    dialogs.ExpectMessage(mrOk, "err_PartnerConnectionExpired");
    Form().acGetDocFromVendor.Execute();
}

TEST_F(VendorDocument, AChosenInvoiceBecomesTheLinesAndAMissingItemIsListed) {
    Open({{"Id", "H1"}, {"Contragent_Id", "V01"}, {"N_Contragent_Code", "5001"}}, {});
    ScriptConnection(true, TDateTime::FromDate(2030, 1, 1));
    ScriptConnection(true, TDateTime::FromDate(2030, 1, 1));
    dialogs.ExpectMessage(mrOk, "F-BAD.xml");
    dialogs.ExpectText(true, "1");
    server.OnRequestValue("exec usp_GetItemFromAPI 'A-7001', 'C1', '', '', '', '', '', '0', '0', '5001'",
                          Rows({"Item_Id", "Code", "Name", "Measure_Id", "VATProdPostGroup_Id", "GenProdPostGroup_Id"},
                               {{"1001", "1001", "Брашно тип 500", "PCS", "", "GOODS"}}));
    server.OnRequestValue("exec usp_GetItemFromAPI 'Z-1', 'C1', '', '', '', '', '', '0', '0', '5001'", Rows({"Item_Id"}, {}));
    server.OnRequestValue("N_PaymentTerms", Rows({"DueDateCalculation"}, {}), true);
    server.OnPrice(1, {}, true);
    dialogs.ExpectSelect(false);
    dialogs.ExpectMessage(mrOk, "Z-1 Непознат");
    dialogs.ExpectMessage(mrOk, "За плащане: 15,00 EUR");
    Form().acGetDocFromVendor.Execute();
    // the local currency is kept empty
    ExpectFields(Header(), {{"VendorInvoiceNo", "F-100"}, {"Currency_Id", ""}, {"Comment", "Доставка"}});
    EXPECT_EQ(Header().FieldByName("DocumentDate").AsDateTime(), TDateTime::FromDate(2026, 11, 20));
    EXPECT_EQ(Header().FieldByName("DueDate").AsDateTime(), TDateTime::FromDate(2026, 12, 20));
    ASSERT_EQ(Lines().RecordCount(), 1);
    Lines().First();
    ExpectFields(Lines(), {{"Code", "1001"}, {"Quantity", 10.0}, {"DirectUnitCost_ACY", 1.05}, {"TotalPrice", 10.5},
                           {"Description2", "Брашно"}});
    EXPECT_EQ(Form().cdsVendorDoc.FieldByName("DocumentNo").AsString(), "F-100");
    EXPECT_TRUE(LoggedOperations().empty());
}

TEST_F(VendorDocument, ABrokenInvoiceIsReportedAndChangesNothing) {
    Open({{"Id", "H1"}, {"Contragent_Id", "V01"}, {"Comment", "моя"}}, {{{"Id", "L1"}, {"Line_No", 1}}});
    ScriptConnection(true, TDateTime::FromDate(2030, 1, 1));
    dialogs.ExpectMessage(mrOk, "F-BAD.xml");
    Form().cdsVendorDoc.Edit();
    Form().cdsVendorDoc.FieldByName("DocumentNo").SetAsString("F-BAD");
    EXPECT_EQ(Header().State(), TDataSetState::dsBrowse);
    EXPECT_EQ(Header().FieldByName("Comment").AsString(), "моя");
    EXPECT_EQ(Lines().RecordCount(), 1);
}

}  // namespace
}  // namespace tavrek::testing
