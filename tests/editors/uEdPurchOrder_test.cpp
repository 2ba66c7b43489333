#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/forms/TImportFilter.h"
#include "base/util/Base64.h"
#include "documents/uPurchDocumentModel.h"
#include "editors/uEdPurchOrder.h"
#include "support/DocumentFormTest.h"

namespace tavrek::testing {
namespace {

namespace fs = std::filesystem;

template <class TForm = TfEdPurchOrder>
class OrderTest : public DocumentFormTest<TForm> {
protected:
    OrderTest()
        : DocumentFormTest<TForm>(TPurchDocument::pdOrder, {"que_ConfirmRecvOrder", "que_ConfirmReturnOrder", "que_ConfirmRejectOrder",
                           "que_ConfirmInvoiceOrder", "que_ConfirmRecvAndInvOrder", "err_NotFountCopyTemplate",
                           "err_NoUniqueRecord", "inf_CallSystemAdministrator", "msg_OperSuccess",
                           "que_AcceptConfirmation", "err_EditPropsRightNotAllowed", "err_CntrNoPartnerConnSettings",
                           "msg_VendorCreatedDocs", "err_CommonError", "msg_ConfirmOrderFinish",
                           "err_NotDefinedPurchImportCDS", "err_VendorOrderNoNotSaved", "err_SavingHistoryBeforeDel",
                           "que_DeleteRecord", "msg_OrderResponseApplied"}) {
        this->server.SetMessage("err_EditPropsRightNotAllowed", "err_EditPropsRightNotAllowed %s");
        this->server.SetMessage("msg_ConfirmOrderFinish", "msg_ConfirmOrderFinish %s %s %s %s");
        // Orders wait for no approval unless a test says so.
        this->server.Otherwise("ExecuteStoredProcedure", "usp_GetPurchOrderApproval",
                               {.Rows = Rows({"Result", "ErrMsg"}, {{0, ""}})});
        this->server.SetMessage("msg_OrderResponseApplied", "msg_OrderResponseApplied (%s) %s %s %s");
    }
    TForm& OpenOrder(std::vector<TRow> lines, TRow extra = {}) {
        TRow header{{"Id", "O1"},
                    {"DocumentType", 22},
                    {"DocumentNo", "0000000042"},
                    {"Contragent_Id", "V01"},
                    {"N_Contragent_Name", "Мелница ООД"},
                    {"DocSubType_Id", "ST1"},
                    {"Comment", "Спешно & навреме"},
                    {"DocStatus", 0}};
        for (auto& [k, v] : extra) header[k] = v;
        int lineNo = 0;
        for (TRow& line : lines) {
            line.emplace("Id", "L" + std::to_string(++lineNo));
            line.emplace("Line_No", lineNo);
            for (const char* zero : {"ReceivedQty", "InvoicedQty", "ReturnedQty", "RejectedQty", "ConfirmQuantity",
                                     "ConfirmPrice", "ConfirmDiscount", "LineDiscount", "VATPercent"})
                line.emplace(zero, 0.0);
        }
        return this->Open(header, lines);
    }
    std::vector<double> Column(const char* field) {
        std::vector<double> values;
        TClientDataSet& lines = this->Lines();
        for (lines.First(); !lines.Eof(); lines.Next()) values.push_back(lines.FieldByName(field).AsFloat());
        return values;
    }
    void ScriptTemplate(std::vector<TVariantArray> rows) {
        this->server.OnRequestValue("S_CopyDocTemplateHeader", Rows({"Id"}, std::move(rows)));
    }
};

using PurchOrder = OrderTest<>;

TEST_F(PurchOrder, EachOperationHandsTheOpenQuantitiesToTheBufferAndClosesTheOrder) {
    const struct {
        TAction& (*action)(TfEdPurchOrder&);
        int operation;
        const char* question;
        std::vector<double> calculated;
    } cases[] = {
        {[](TfEdPurchOrder& f) -> TAction& { return f.acReceive; }, 0, "que_ConfirmRecvOrder", {5, 0, 0, 3}},
        {[](TfEdPurchOrder& f) -> TAction& { return f.acReturn; }, 1, "que_ConfirmReturnOrder", {2, 0, 0, 2}},
        {[](TfEdPurchOrder& f) -> TAction& { return f.acReject; }, 2, "que_ConfirmRejectOrder", {5, 3, 0, 3}},
        {[](TfEdPurchOrder& f) -> TAction& { return f.acInvoice; }, 3, "que_ConfirmInvoiceOrder", {2, 2, 0, 2}},
        {[](TfEdPurchOrder& f) -> TAction& { return f.acReceiveAndInvoice; }, 4, "que_ConfirmRecvAndInvOrder",
         {5, 3, 0, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        // An item line partly received, invoiced and rejected; an account line; an item line
        // received and invoiced beyond its quantity, which never hands on a negative quantity;
        // an item line fully received with 3 sent back, which are neither kept nor invoiced.
        OpenOrder({{{"Quantity", 10.0}, {"ReceivedQty", 4.0}, {"InvoicedQty", 2.0}, {"RejectedQty", 1.0}},
                   {{"Type", 2}, {"Code", "602"}, {"Quantity", 3.0}, {"InvoicedQty", 1.0}},
                   {{"Quantity", 5.0}, {"ReceivedQty", 6.0}, {"InvoicedQty", 7.0}},
                   {{"Quantity", 10.0}, {"ReceivedQty", 10.0}, {"ReturnedQty", 3.0}, {"InvoicedQty", 5.0}}});
        AcceptSaves("O1");
        ScriptTemplate({{"T1"}});
        host.ScriptExternal(TfEdPurchOrder::kOrderBufferFormNumber, 0);
        const size_t requested = host.ExternalRequests().size();
        dialogs.ExpectMessage(mrOk, c.question);
        c.action(Form()).Execute();
        EXPECT_EQ(Column("CalculatedQTY"), c.calculated);
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u) << "saved before the buffer opens";
        ASSERT_EQ(host.ExternalRequests().size(), requested + 1);
        const TFormRequest& request = host.ExternalRequests().back();
        EXPECT_EQ(request.FormNumber, 10501);
        ASSERT_EQ(request.DefaultValues.size(), 1u);
        EXPECT_EQ(request.DefaultValues[0].FieldName, "Operation");
        EXPECT_EQ(request.DefaultValues[0].Value.AsInteger(), c.operation);
        EXPECT_EQ(request.Value1.AsString(), "T1");
        EXPECT_EQ(request.Value2.AsString(), "O1");
        EXPECT_TRUE(Form().Closed());
        EXPECT_TRUE(LoggedOperations().empty());
        host.CollectClosed();
    }
}

TEST_F(PurchOrder, AnOperationNotConfirmedChangesNothing) {
    OpenOrder({{{"Quantity", 10.0}}});
    dialogs.ExpectMessage(mrCancel, "que_ConfirmRecvOrder");
    Form().acReceive.Execute();
    EXPECT_TRUE(server.Calls().empty());
    EXPECT_TRUE(Lines().FieldByName("CalculatedQTY").IsNull());
    EXPECT_FALSE(Form().Closed());
}

// An order above the approval amount tells why it is not received, after its save, and opens no buffer.
TEST_F(PurchOrder, AnOrderWaitingForApprovalOpensNoBuffer) {
    OpenOrder({{{"Quantity", 10.0}}});
    AcceptSaves("O1");
    server.OnStoredProcedure("usp_GetPurchOrderApproval",
                             Rows({"Result", "ErrMsg"}, {{1, "Поръчка 0000000042 е над сумата за одобрение."}}));
    const size_t requested = host.ExternalRequests().size();
    dialogs.ExpectMessage(mrOk, "que_ConfirmRecvOrder");
    dialogs.ExpectMessage(mrOk, "Поръчка 0000000042 е над сумата за одобрение.");
    Form().acReceive.Execute();
    EXPECT_TRUE(dialogs.AllAnswered());
    EXPECT_EQ(host.ExternalRequests().size(), requested);
    EXPECT_FALSE(Form().Closed());
}

TEST_F(PurchOrder, AMissingOrAmbiguousTemplateStopsWithThreeMessagesAndLeavesTheOrderSaved) {
    for (const std::vector<TVariantArray>& templates : {std::vector<TVariantArray>{},
                                                        std::vector<TVariantArray>{{"T1"}, {"T2"}},
                                                        std::vector<TVariantArray>{{""}}}) {
        SCOPED_TRACE(templates.size());
        OpenOrder({{{"Quantity", 10.0}}});
        AcceptSaves("O1");
        ScriptTemplate(templates);
        dialogs.ExpectMessage(mrOk, "que_ConfirmRecvOrder");
        dialogs.ExpectMessage(mrOk, "err_NotFountCopyTemplate\r\nerr_NoUniqueRecord\r\ninf_CallSystemAdministrator");
        Form().acReceive.Execute();
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u);
        EXPECT_TRUE(host.ExternalRequests().empty());
        EXPECT_FALSE(Form().Closed());
        EXPECT_EQ(LoggedOperations().back(), "TfEdPurchOrder.CallSaleOrderBuffer");
        EXPECT_EQ(Lines().FieldByName("CalculatedQTY").AsFloat(), 10.0);
    }
}

TEST_F(PurchOrder, QuantityRulesOfTheOrderLines) {
    server.OnPrice(1, {}, true);
    OpenOrder({{{"Code", "1001"}, {"Quantity", 10.0}, {"DirectUnitCost_ACY", 2.0}},
               {{"Code", "1002"}, {"Quantity", 10.0}, {"ReceivedQty", 4.0}, {"QtyToReceive", 6.0}}});
    GotoLine(1);
    Lines().Edit();
    Lines().FieldByName("Quantity").SetAsFloat(8.0);
    EXPECT_EQ(Lines().FieldByName("QtyToReceive").AsFloat(), 8.0) << "a line nothing was done with";
    EXPECT_EQ(Lines().FieldByName("TotalValue").AsFloat(), 16.0);
    Lines().Post();

    GotoLine(2);
    Lines().Edit();
    Lines().FieldByName("Quantity").SetAsFloat(12.0);
    EXPECT_EQ(Lines().FieldByName("QtyToReceive").AsFloat(), 6.0) << "a received line keeps its quantity to receive";
    EXPECT_THROW(Lines().FieldByName("QtyToReceive").SetAsFloat(8.5), std::exception);
    EXPECT_EQ(Lines().FieldByName("QtyToReceive").AsFloat(), 6.0) << "received plus to receive above the quantity";
    Lines().FieldByName("QtyToReceive").SetAsFloat(8.0);
    EXPECT_EQ(Lines().FieldByName("QtyToReceive_Base").AsFloat(), 8.0);
    EXPECT_THROW(Lines().FieldByName("QtyToInvoice").SetAsFloat(12.5), std::exception);
    EXPECT_TRUE(Lines().FieldByName("QtyToInvoice").IsNull());
    EXPECT_THROW(Lines().FieldByName("Quantity").SetAsFloat(3.0), std::exception) << "below what was received";
    EXPECT_EQ(Lines().FieldByName("Quantity").AsFloat(), 12.0);
}

TEST_F(PurchOrder, ClosingTheOrderStampsItsStartDate) {
    OpenOrder({});
    Header().Edit();
    Header().FieldByName("DocStatus").SetAsInteger(0);
    EXPECT_TRUE(Header().FieldByName("AutoOrderStartDate").IsNull());
    const TDateTime before = TDateTime::Now();
    Header().FieldByName("DocStatus").SetAsInteger(1);
    EXPECT_GE(Header().FieldByName("AutoOrderStartDate").AsDateTime().Serial(), before.Serial() - 1e-6);
}

TEST_F(PurchOrder, AcceptingTheConfirmationTakesTheVendorsQuantityPriceAndDiscount) {
    server.OnPrice(1, {}, true);
    for (int inclusive : {0, 1}) {
        SCOPED_TRACE(inclusive);
        OpenOrder({{{"Code", "1001"}, {"Quantity", 8.0}, {"DirectUnitCost_ACY", 9.0}, {"VATPercent", 20.0},
                    {"ConfirmQuantity", 6.0}, {"ConfirmPrice", 10.0}, {"ConfirmDiscount", 5.0}, {"QtyDiff", 1.0},
                    {"PriceDiff", 1.0}}},
                  {{"PriceIncludingVAT", inclusive}});
        AcceptSaves("O1");
        dialogs.ExpectMessage(mrOk, "que_AcceptConfirmation");
        dialogs.ExpectMessage(mrOk, "msg_OperSuccess");
        Form().acAcceptConfirmation.Execute();
        EXPECT_TRUE(LoggedOperations().empty());
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u);
        EXPECT_EQ(Column("Quantity"), std::vector<double>{6.0});
        EXPECT_DOUBLE_EQ(Column("DirectUnitCost_ACY")[0], inclusive ? 12.0 : 10.0);
        EXPECT_EQ(Column("LineDiscount"), std::vector<double>{5.0});
        EXPECT_EQ(Column("QtyDiff"), std::vector<double>{0.0});
        EXPECT_EQ(Column("PriceDiff"), std::vector<double>{0.0});
        server.ClearCalls();
    }
    dialogs.ExpectMessage(mrCancel, "que_AcceptConfirmation");
    Form().acAcceptConfirmation.Execute();
    EXPECT_TRUE(server.Calls().empty());
}

class TOrderWithoutPropsRight : public TfEdPurchOrder {
public:
    bool HasRight(TFormRight right) const override { return right != TFormRight::frEditProps; }
};

// A closed order is read-only; the right to re-open it is the server's, per user and form.
TEST_F(PurchOrder, AClosedOrderIsReadOnlyUntilReopenedWithTheServersRight) {
    OpenOrder({{{"Quantity", 10.0}}}, {{"DocStatus", 1}});
    EXPECT_TRUE(Form().ReadOnly);
    EXPECT_TRUE(Form().dbgDetail.ReadOnly);
    Form().acReceive.Update();
    EXPECT_FALSE(Form().acReceive.Enabled);
    const struct {
        std::vector<TVariantArray> right;  // the user's S_UserFormRight row of the form
        bool reopened;
    } cases[] = {{{}, false}, {{{0}}, false}, {{{1}}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.right.size());
        server.OnRequestValue("S_UserFormRight", Rows({"EditProps"}, c.right));
        Header().Edit();
        if (c.reopened) {
            Header().FieldByName("DocStatus").SetAsInteger(0);
            EXPECT_EQ(Header().FieldByName("DocStatus").AsInteger(), 0);
        } else {
            EXPECT_THROW(Header().FieldByName("DocStatus").SetAsInteger(0), std::exception) << "unticked without it";
            EXPECT_EQ(Header().FieldByName("DocStatus").AsInteger(), 1);
        }
        Header().Cancel();
    }
    EXPECT_EQ(server.CallsTo("RequestValue").back().Args[3].AsString(),
              "S_UserFormRight.Comp_Id=C1 AND S_UserFormRight.User_Id=U1 AND S_UserFormRight.Form_Id=0");
    server.OnRequestValue("S_UserFormRight", Rows({"EditProps"}, {{1}}));
    AcceptSaves("O1");
    dialogs.ExpectMessage(mrOk, "msg_OperSuccess");
    Form().acUnLockOrder.Execute();
    EXPECT_EQ(Header().FieldByName("DocStatus").AsInteger(), 0);
    EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), 1u);
}

// Deleting an order keeps its history (kind 5) first; a history not kept deletes nothing.
TEST_F(PurchOrder, DeletingAnOrderKeepsItsHistoryFirst) {
    for (const int code : {-1, 0}) {
        SCOPED_TRACE(code);
        OpenOrder({{{"Quantity", 10.0}}});
        server.ClearCalls();
        server.OnRequestValue("exec  usp_SaveHistoryBeforeDelete 'C1', 'O1', 5, 'U1', 'BG1'",
                              Rows({"Code", "ErrMsg"}, {{code, ""}}));
        if (code == 0) server.Script("ApplyUpdates", "", {});
        dialogs.ExpectMessage(mrYes, "que_DeleteRecord");
        if (code != 0) dialogs.ExpectMessage(mrOk, "err_SavingHistoryBeforeDel");
        Form().acDeleteRecord.Execute();
        EXPECT_EQ(server.CallsTo("ApplyUpdates").size(), code == 0 ? 1u : 0u);
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

using PurchOrderWithoutRight = OrderTest<TOrderWithoutPropsRight>;

TEST_F(PurchOrderWithoutRight, ReopeningNeedsTheRightToEditProperties) {
    OpenOrder({}, {{"DocStatus", 1}});
    Form().FormNumber = 10201;
    dialogs.ExpectMessage(mrOk, "err_EditPropsRightNotAllowed 10201\r\ninf_CallSystemAdministrator");
    Form().acUnLockOrder.Execute();
    EXPECT_EQ(Header().FieldByName("DocStatus").AsInteger(), 1);
    EXPECT_TRUE(server.Calls().empty());
}

// The vendor's confirmation from a file.
class PurchOrderConfirmation : public PurchOrder {
protected:
    void TearDown() override { fs::remove(path_); }
    // The server's import definition of a confirmation, or none.
    void ScriptDefinition(bool defined = true) {
        server.Script("RequestData", "D_PurchOrderConfirmRow",
                      {.Fill = [defined](const TFilter&, TClientDataSet& rows) {
                          if (!defined) return;
                          rows.AddField("Id", TFieldType::ftString);
                          rows.AddField("VendorItemNo", TFieldType::ftString);
                          for (const char* number : {"Quantity", "UnitPrice", "LineDiscount"})
                              rows.AddField(number, TFieldType::ftFloat);
                          rows.CreateDataSet();
                      }});
    }
    void WriteFile(const std::string& text) {
        path_ = (fs::temp_directory_path() / ("confirmation_" + std::to_string(getpid()) + ".csv")).string();
        std::ofstream(path_, std::ios::binary) << text;
    }
    void Import(const std::string& text, std::initializer_list<std::pair<const char*, const char*>> items,
                const std::string& finish) {
        WriteFile(text);
        ScriptDefinition();
        for (const auto& [vendorNo, item] : items)
            server.OnRequestValue("fn_FindItem('" + std::string(vendorNo) + "','V01')",
                                  *item ? Rows({"Item_Id"}, {{item}}) : Rows({"Item_Id"}, {}));
        // The import filter: 1 for semicolons, 2 for commas.
        dialogs.ExpectText(true, text.find(';') != std::string::npos ? "1" : "2");
        dialogs.ExpectFile(true, path_);
        dialogs.ExpectMessage(mrOk, finish);
        Form().acConfirmOrder.Execute();
    }
    std::string path_;
};

TEST_F(PurchOrderConfirmation, RowsFillTheOrderLinesOfTheirItemInOrder) {
    OpenOrder({{{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}},
               {{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}},
               {{"Code", "B"}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 4.0}, {"LineDiscount", 10.0}},
               {{"Code", "C"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 20.0}}});
    Import("VendorItemNo;Quantity;UnitPrice;LineDiscount\n"
           "VA;7;10,02;0\n"      // fills line 1, 2 of line 2; 10.02 is within two cents
           "VB;3;4,03;10\n"      // more than ordered: the rest stays on the line
           "VX;1;1,5;0\n",       // an item we do not know
           {{"VA", "A"}, {"VB", "B"}, {"VX", ""}}, "msg_ConfirmOrderFinish 3 3 0 1");
    EXPECT_EQ(Column("ConfirmQuantity"), (std::vector<double>{5, 2, 3, 0, 1}));
    EXPECT_EQ(Column("QtyDiff"), (std::vector<double>{0, 1, 1, 1, 1}));
    EXPECT_EQ(Column("PriceDiff"), (std::vector<double>{0, 0, 1, 1, 1})) << "3.627 against 3.60 on line 3";
    EXPECT_EQ(Column("ConfirmPrice"), (std::vector<double>{10.02, 10.02, 4.03, 0, 1.5}));
    GotoLine(5);
    ExpectFields(Lines(), {{"Type", 0}, {"Code", ".."}, {"Description", "VX"}, {"Quantity", 1.0}});
}

TEST_F(PurchOrderConfirmation, AnItemTheOrderLacksBecomesANewLine) {
    OpenOrder({{{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}}});
    Import("VendorItemNo,Quantity,UnitPrice,LineDiscount\r\nVD,4,2.5,0\r\n", {{"VD", "D"}}, "msg_ConfirmOrderFinish 1 0 1 0");
    GotoLine(2);
    ExpectFields(Lines(), {{"Type", 1}, {"Code", "D"}, {"ConfirmQuantity", 4.0}, {"QtyDiff", 1.0}, {"PriceDiff", 1.0}});
}

// The vendor's UBL answer (tests/data/orderimport) to order 0000000042 of three lines: A 5 at
// 10.00, B 2 at 4.00 less 10 %, C 1 at 20.00.
TEST_F(PurchOrderConfirmation, AnOrderResponseConfirmsWhatTheVendorAccepts) {
    struct TCase {
        const char* File;
        std::vector<double> Quantity, QtyDiff, Price, PriceDiff;
        const char* Message;
    };
    for (const TCase& c : {
             TCase{"order_response_accepted.xml", {5, 2, 1}, {0, 0, 0}, {10, 4, 20}, {0, 0, 0}, "(AP)"},
             TCase{"order_response_rejected.xml", {0, 0, 0}, {1, 1, 1}, {0, 0, 0}, {0, 0, 0}, "(RE)"},
             // Line 1 by its number: 4 at 9.50; B by the vendor's number: nothing; C by ours, as ordered.
             TCase{"order_response_changed.xml", {4, 0, 1}, {1, 1, 0}, {9.5, 4, 20}, {0, 0, 0}, "(CA)"},
         }) {
        SCOPED_TRACE(c.File);
        OpenOrder({{{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}},
                   {{"Code", "B"}, {"Quantity", 2.0}, {"DirectUnitCost_ACY", 4.0}, {"LineDiscount", 10.0}},
                   {{"Code", "C"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 20.0}}});
        ScriptDefinition();
        server.OnRequestValue("fn_FindItem('VB','V01')", Rows({"Item_Id"}, {{"B"}}));
        dialogs.ExpectText(true, "4");
        dialogs.ExpectFile(true, TAVREK_TEST_DATA_DIR "/data/orderimport/" + std::string(c.File));
        dialogs.ExpectMessage(mrOk, c.Message);
        Form().acConfirmOrder.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(Column("ConfirmQuantity"), c.Quantity);
        EXPECT_EQ(Column("QtyDiff"), c.QtyDiff);
        EXPECT_EQ(Column("ConfirmPrice"), c.Price);
        EXPECT_EQ(Column("PriceDiff"), c.PriceDiff) << "9.50 is below the 10.00 ordered";
    }
}

// A response that cannot serve changes no line: it answers another order, names a line the
// order has not, or is one of the OASIS examples without a code or items.
TEST_F(PurchOrderConfirmation, AnOrderResponseThatCannotServeChangesNothing) {
    const std::string data = TAVREK_TEST_DATA_DIR "/data/orderimport/";
    const std::string oasis = TAVREK_UBL_DIR "/../ubl-orders/";
    struct TCase {
        std::string Path, Message;
    };
    for (const TCase& c : {TCase{oasis + "UBL-OrderResponse-2.1-Example.xml", "OrderResponse: няма OrderResponseCode."},
                           TCase{oasis + "UBL-OrderResponseSimple-2.1-Example.xml", "Отговорът е за поръчка 34, а не за 0000000042."},
                           TCase{oasis + "UBL-Order-2.1-Example.xml", "Коренният елемент е „Order“, а не OrderResponse."},
                           TCase{data + "order_response_changed.xml", "OrderLine 2: поръчката няма такъв ред или артикул."}}) {
        SCOPED_TRACE(c.Path);
        OpenOrder({{{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}, {"QtyDiff", 0.0}}});
        ScriptDefinition();
        server.OnRequestValue("fn_FindItem('VB','V01')", Rows({"Item_Id"}, {}));
        dialogs.ExpectText(true, "4");
        dialogs.ExpectFile(true, c.Path);
        dialogs.ExpectMessage(mrOk, c.Message);
        Form().acConfirmOrder.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(Column("ConfirmQuantity"), std::vector<double>{0.0});
        EXPECT_EQ(Column("QtyDiff"), std::vector<double>{0.0});
    }
}

// A server without the import definition, or a broken file, changes nothing; the import's
// log is closed either way.
TEST_F(PurchOrderConfirmation, NoDefinitionOrABrokenFileChangesNothing) {
    for (const bool defined : {false, true}) {
        SCOPED_TRACE(defined);
        OpenOrder({{{"Code", "A"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 10.0}, {"QtyDiff", 0.0}}});
        server.ClearCalls();
        WriteFile("VendorItemNo;Quantity;UnitPrice;LineDiscount\nVA;5;10;0\nVB;пет;4;0\n");
        ScriptDefinition(defined);
        if (defined) {
            dialogs.ExpectText(true, "1");
            dialogs.ExpectFile(true, path_);
        }
        dialogs.ExpectMessage(mrOk, defined ? "Ред 3, поле Quantity" : "err_NotDefinedPurchImportCDS");
        Form().acConfirmOrder.Execute();
        EXPECT_TRUE(dialogs.AllAnswered());
        EXPECT_EQ(Column("QtyDiff"), std::vector<double>{0.0});
        EXPECT_EQ(Column("ConfirmQuantity"), std::vector<double>{0.0});
        EXPECT_EQ(server.Methods(), std::vector<std::string>{"RequestData"});
        ImportLog("probe");
        EXPECT_EQ(ImportCloseLog().front(), "") << "the confirmation's log left open";
    }
}

// Sending the order to the vendor's service (a folder service here).
class PurchOrderSending : public PurchOrder {
protected:
    PurchOrderSending() {
        folder_ = fs::temp_directory_path() / ("vendor_" + std::to_string(getpid()));
        fs::create_directories(folder_);
    }
    ~PurchOrderSending() override { fs::remove_all(folder_); }
    void ScriptConnection(bool byGroup, const std::string& url) {
        if (!byGroup) server.OnRequestValue("N_PartnerConnectionList", Rows({"UserName"}, {}));
        server.OnRequestValue("N_PartnerConnectionList",
                              Rows({"UserName", "Password", "URLAddress"}, {{"tavrek", "p<&>ss", url}}));
        server.OnRequestValue("D_PurchaseLine", Rows({"Code", "Quantity"}, {{"1001", 12.0}, {"2002-Ш", 2.5}}));
    }
    std::string Sent() {
        for (const auto& entry : fs::directory_iterator(folder_ / "outbox")) {
            std::ifstream in(entry.path(), std::ios::binary);
            return Base64ToStr(std::string(std::istreambuf_iterator<char>(in), {}));
        }
        return "";
    }
    fs::path folder_;
};

TEST_F(PurchOrderSending, TheOrderGoesAsUtf8XmlInBase64AndTheVendorsNumberIsStored) {
    OpenOrder({});
    ScriptConnection(false, folder_.string());
    server.Script("ExecuteSQLScript", "", {.Result = -1});
    dialogs.ExpectMessage(mrOk, "msg_VendorCreatedDocs");
    dialogs.ExpectMessage(mrOk, "err_VendorOrderNoNotSaved");
    Form().acSendtoVendor.Execute();
    EXPECT_TRUE(dialogs.AllAnswered());
    server.ClearCalls();
    ScriptConnection(false, folder_.string());
    server.Script("ExecuteSQLScript", "", {});
    dialogs.ExpectMessage(mrOk, "msg_VendorCreatedDocs");
    Form().acSendtoVendor.Execute();
    std::ifstream golden(std::string(TAVREK_TEST_DATA_DIR) + "/golden/purchase_order_to_vendor.xml", std::ios::binary);
    const std::string expected((std::istreambuf_iterator<char>(golden)), {});
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(Sent(), expected);
    const std::vector<TServerCall> scripts = server.CallsTo("ExecuteSQLScript");
    ASSERT_EQ(scripts.size(), 1u);
    const std::string answer = dialogs.Shown().back().Text.substr(std::string("msg_VendorCreatedDocs ").size());
    EXPECT_EQ(scripts[0].Key, "Update D_PurchHeader SET VendorOrderNo = '" + answer + "'where Comp_Id = 'C1' and Id = 'O1'");
    EXPECT_EQ(Keys("RequestData"), (std::vector<std::string>{"D_PurchHeader", "D_PurchaseLine"})) << "refreshed";
}

TEST_F(PurchOrderSending, NoSettingsOrNoServiceShowAMessageAndStoreNothing) {
    OpenOrder({});
    server.OnRequestValue("N_PartnerConnectionList", Rows({"UserName"}, {}));
    server.OnRequestValue("N_PartnerConnectionList", Rows({"UserName"}, {}));
    dialogs.ExpectMessage(mrOk, "err_CntrNoPartnerConnSettings");
    Form().acSendtoVendor.Execute();

    ScriptConnection(true, (folder_ / "missing").string());
    dialogs.ExpectMessage(mrOk, "Мелница ООД -> Не беше установена връзка със сървиса!");
    Form().acSendtoVendor.Execute();
    EXPECT_TRUE(server.CallsTo("ExecuteSQLScript").empty());
    EXPECT_TRUE(server.CallsTo("RequestData").empty());
}

}  // namespace
}  // namespace tavrek::testing
