#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <tuple>

#include "documents/uPurchDocumentModel.h"
#include "editors/uEdPurchOrder.h"
#include "replenishment/uEdPurchOrderBufer.h"
#include "support/DocumentFormTest.h"
#include "support/UblSample.h"

namespace tavrek::testing {
namespace {

class OrderBuffer : public DocumentFormTest<TfEdPurchOrderBufer> {
protected:
    OrderBuffer()
        : DocumentFormTest(TPurchDocument::pdOrderBuffer, {"str_Receive", "str_Invoice", "str_Invoice_Common", "err_CanNotPostPurchFreeLines",
                     "err_CommonError", "msg_OperSuccess", "que_WantToChangeItemUnitPrice"},
                           "D_PurchOrderBufHeader", "D_PurchOrderBufLine") {}
    // A buffer opened on a saved document, optionally with its operation option.
    TfEdPurchOrderBufer& OpenBuffer(std::vector<TRow> lines, int operation = -1, TRow extra = {}) {
        if (operation >= 0) openDefaults_ = {{"Operation", Variant(int64_t{operation})}};
        TRow header{{"Id", "B1"},           {"DocumentType", 23}, {"Contragent_Id", "V01"}, {"DocSubType_Id", "ST1"},
                    {"PayMethod_Id", "BANK"}, {"DirectPay", 0}};
        for (auto& [k, v] : extra) header[k] = v;
        int lineNo = 0;
        for (TRow& line : lines) {
            line.emplace("Id", "BL" + std::to_string(++lineNo));
            line.emplace("Line_No", lineNo);
            line.emplace("LineDiscount", 0.0);
        }
        return Open(header, lines);
    }
};

TEST_F(OrderBuffer, OpenedFromAnOrderItCopiesTheOpenLinesAndNamesTheOperation) {
    // The order the buffer is opened from, as its editor shows it.
    TfEdPurchOrder order;
    order.FormNumber = TfEdPurchOrder::kFormNumber;
    FillDocumentDataSet(order.cdsMaster, PurchHeaderFields(TPurchDocument::pdOrder),
                        {{{"Id", "O1"}, {"DocumentNo", "0000000042"}}});
    std::vector<TRow> lines;
    for (const auto& [id, code, open] : {std::tuple{"OL1", "1001", 5.0}, std::tuple{"OL2", "1002", 0.0},
                                         std::tuple{"OL3", "1003", 2.0}})
        lines.push_back({{"Id", id}, {"Type", 1}, {"Code", code}, {"CalculatedQTY", open}, {"DirectUnitCost_ACY", 3.0}});
    FillDocumentDataSet(order.cdsDetail, PurchLineFields(TPurchDocument::pdOrder), lines);
    server.OnRequestValue("S_CopyDocTemplateLine",
                          Rows({"IsLine", "SrcField", "TrgField", "DefaultValue"},
                               {{0, "Id", "AppliesToDoc_Id", Variant()},
                                {0, "DocumentNo", "ToOrderNo", Variant()},
                                {1, "Code", "Code", Variant()},
                                {1, "CalculatedQTY", "Quantity", Variant()},
                                {1, "DirectUnitCost_ACY", "DirectUnitCost_ACY", Variant()},
                                {1, "Id", "OrderLine_Id", Variant()}}));
    auto form = std::make_unique<TfEdPurchOrderBufer>();
    TFormRequest request;
    request.Value1 = "T1";
    request.Value2 = "O1";
    request.CallingForm = &order;
    request.DefaultValues = {{"Operation", Variant(int64_t{3})}};
    form->Create(request);
    form->Show();
    form->InsertDocumentFromDefaults(request.DefaultValues);
    EXPECT_EQ(form->Description.Caption, "str_Invoice - Буфер за поръчка");
    EXPECT_EQ(form->cdsMaster.FieldByName("OperationName").AsString(), "str_Invoice_Common");
    EXPECT_EQ(form->cdsMaster.FieldByName("AppliesToDoc_Id").AsString(), "O1");
    EXPECT_EQ(form->cdsMaster.FieldByName("ToOrderNo").AsString(), "0000000042");
    std::vector<std::string> orderLines;
    for (form->cdsDetail.First(); !form->cdsDetail.Eof(); form->cdsDetail.Next()) {
        orderLines.push_back(form->cdsDetail.FieldByName("OrderLine_Id").AsString());
        EXPECT_EQ(form->cdsDetail.FieldByName("TotalValue").AsFloat(), 3.0 * form->cdsDetail.FieldByName("Quantity").AsFloat());
    }
    EXPECT_EQ(orderLines, (std::vector<std::string>{"OL1", "OL3"})) << "the line with nothing open is left out";
    EXPECT_TRUE(server.CallsTo("GetItemPriceAndDiscount").empty()) << "order lines keep the order's prices";
}

TEST_F(OrderBuffer, ALineFromAnOrderKeepsItsPriceWhenItsQuantityChanges) {
    server.OnPrice(0, {2.0, 0.0, true, "", ""}, true);
    OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"DirectUnitCost_ACY", 3.0}, {"OrderLine_Id", "OL1"}},
                {{"Code", "1002"}, {"Quantity", 1.0}, {"DirectUnitCost_ACY", 3.0}}},
               0);
    // The order line keeps the order's price; the free line is repriced.
    for (const auto& [lineNo, priceRequests, price] : {std::tuple{1, 0u, 3.0}, std::tuple{2, 1u, 2.0}}) {
        SCOPED_TRACE(lineNo);
        GotoLine(lineNo);
        Lines().Edit();
        Lines().FieldByName("Quantity").SetAsFloat(4.0);
        EXPECT_EQ(server.CallsTo("GetItemPriceAndDiscount").size(), priceRequests);
        ExpectFields(Lines(), {{"DirectUnitCost_ACY", price}, {"TotalValue", 4.0 * price}});
        Lines().Post();
    }
}

// A buffer begun without an order (from the buffer list) takes the vendor's open order lines
// whole: each with its order line, open quantity, price and amounts, and the totals follow.
TEST_F(OrderBuffer, OrderLinesAddedToABufferWithoutAnOperationArriveWhole) {
    OpenBuffer({});
    Header().Edit();
    // The open order lines as the order line selection lists them.
    const std::vector<std::string> columns = {
        "Type", "AllowInvoiceDisc", "Currency_Id", "Description", "Description2", "GenBusPostGroup_Id",
        "GenProdPostGroup_Id", "InventoryPostGroup_Id", "Measure_Id", "VATPercent", "VATLedger", "VATBusPostGroup_Id",
        "VATProdPostGroup_Id", "SerialNo", "PartNo", "Code", "PriceIncludingVAT", "DirectUnitCost_ACY", "Id",
        "CalculatedQTY", "LineDiscount", "QtyPerUnitOfMeasure"};
    const auto orderLine = [](const char* id, const char* code, double price, double open, double discount) {
        return TVariantArray{1,     1,    "EUR", "Стока " + std::string(code), "", "DOM",    "GOODS", "", "PCS", 20.0,
                             Variant(), "",    "",      "",                    "", code,     0,       price, id, open,
                             discount,  1.0};
    };
    dialogs.ExpectSelect(true, Rows(columns, {orderLine("OL1", "1001", 2.0, 6.0, 0.0),
                                              orderLine("OL2", "1002", 1.5, 4.0, 10.0)}));
    Form().acAddPurchOrderLines.Execute();
    EXPECT_TRUE(LoggedOperations().empty());
    ASSERT_EQ(Lines().RecordCount(), 2);
    const TRow expected[] = {{{"OrderLine_Id", "OL1"}, {"Code", "1001"}, {"Quantity", 6.0}, {"TotalValue", 12.0}},
                             {{"OrderLine_Id", "OL2"}, {"Code", "1002"}, {"Quantity", 4.0}, {"TotalValue", 5.4}}};
    for (int lineNo = 1; lineNo <= 2; ++lineNo) {
        SCOPED_TRACE(lineNo);
        GotoLine(lineNo);
        ExpectFields(Lines(), expected[lineNo - 1]);
    }
    ExpectFields(Header(), {{"TotalValue", 17.4}, {"TotalVAT", 20.88}});
}

TEST_F(OrderBuffer, FreeItemLinesBlockPostingExceptForRejectAndReceiveAndInvoice) {
    const struct {
        int operation;
        bool posted;
    } cases[] = {{0, false}, {1, false}, {2, true}, {3, false}, {4, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.operation);
        OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"OrderLine_Id", "OL1"}}, {{"Code", "1002"}, {"Quantity", 1.0}}},
                   c.operation);
        if (c.operation == 4)
            server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, 0", Rows({"Code", "Msg"}, {{0, ""}}));
        // A rejection posts an order document of its own; receiving and invoicing a receipt and an invoice.
        if (c.operation == 2) {
            server.OnPost("PostPurchOrder", 0, {"", "J1", ""});
            server.OnRequestValue("D_PostPurchOrderHeader", Rows({"DocumentNo"}, {{"0000000006"}}));
            dialogs.ExpectMessage(mrOk, "Отказ от поръчка № 0000000006 е осчетоводен.");
        }
        if (c.operation == 4) {
            server.OnPost("PostPurchOrder", 0, {"R1", "", "I1"});
            server.OnRequestValue("D_PurchReceiptHeader", Rows({"DocumentNo"}, {{"0000000002"}}));
            server.OnRequestValue("D_PurchInvoiceHeader", Rows({"DocumentNo"}, {{"0000000005"}}));
            dialogs.ExpectMessage(mrOk, "Доставка № 0000000002 е осчетоводена.");
            dialogs.ExpectMessage(mrOk, "Фактура № 0000000005 е осчетоводена.");
        }
        if (!c.posted) dialogs.ExpectMessage(mrOk, "err_CanNotPostPurchFreeLines");
        Form().acPostDocument.Execute();
        const std::vector<TServerCall> posts = server.CallsTo("PostPurchOrder");
        ASSERT_EQ(posts.size(), c.posted ? 1u : 0u);
        if (c.posted) {
            EXPECT_EQ(posts[0].Key, "B1");
            EXPECT_EQ(posts[0].Args.back().AsInteger(), c.operation);
        }
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(OrderBuffer, PrintingAfterPostingTakesEachReturnedDocumentsOwnForm) {
    LocalData().PrintPostedDocumentsSeparately = true;
    OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"OrderLine_Id", "OL1"}}}, 4);
    server.OnRequestValue("exec usp_CheckCanPostDocument 'C1', 'BANK', '', 1, 0", Rows({"Code", "Msg"}, {{0, ""}}));
    server.OnPost("PostPurchOrder", 0, {"R1", "", "I1"});
    server.OnRequestValue("D_PurchReceiptHeader", Rows({"DocumentNo"}, {{"0000000002"}}));
    server.OnRequestValue("D_PurchInvoiceHeader", Rows({"DocumentNo"}, {{"0000000005"}}));
    dialogs.ExpectMessage(mrOk, "Доставка № 0000000002 е осчетоводена.");
    dialogs.ExpectMessage(mrOk, "Фактура № 0000000005 е осчетоводена.");
    Form().acPostAndPrintDocument.Execute();
    ASSERT_EQ(host.Prints().size(), 2u);
    EXPECT_EQ(host.Prints()[0].PrintFormCode, "10050");
    EXPECT_EQ(host.Prints()[0].Keys, TVariantArray{"R1"});
    EXPECT_EQ(host.Prints()[1].PrintFormCode, "10020");
    EXPECT_EQ(host.Prints()[1].Keys, TVariantArray{"I1"});
}

TEST_F(OrderBuffer, ARefusedPostingSkipsPrintingAndWithoutAnOperationTheUserChoosesOne) {
    OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"OrderLine_Id", "OL1"}}});
    dialogs.ExpectText(false);
    Form().acPostAndPrintDocument.Execute();
    EXPECT_TRUE(server.CallsTo("PostPurchOrder").empty()) << "the options dialog was cancelled";

    dialogs.ExpectText(true, "3");
    server.OnPost("PostPurchOrder", -1);
    dialogs.ExpectMessage(mrOk, "Буфер на поръчка не е осчетоводен.");
    Form().acPostAndPrintDocument.Execute();
    ASSERT_EQ(server.CallsTo("PostPurchOrder").size(), 1u);
    EXPECT_EQ(server.CallsTo("PostPurchOrder")[0].Args.back().AsInteger(), 2) << "the third option rejects";
    EXPECT_TRUE(host.Prints().empty());
}

TEST_F(OrderBuffer, AProtocolFromTheBufferOpensOrShowsTheServersReason) {
    const std::string exec = "exec dbo.usp_CreatePurchaseProtocolFromPurchOrderBuf 'C1', 'BG1', 'B1', 'U1'";
    OpenBuffer({}, 0);
    server.OnRequestValue(exec, Rows({"Result", "ErrMsg"}, {{"-1", "Няма редове"}}));
    dialogs.ExpectMessage(mrOk, "err_CommonError Няма редове");
    Form().acGenerateProtocol.Execute();
    EXPECT_TRUE(host.ExternalRequests().empty());

    server.OnRequestValue(exec, Rows({"Result", "ErrMsg"}, {{"0", "P9"}}));
    host.ScriptExternal(11001, 0);
    dialogs.ExpectMessage(mrOk, "msg_OperSuccess");
    server.OnRequestValue("D_GlobalPurchHeader", Rows({"DocumentNo", "DocumentType"}, {{"0000000003", 40}}));
    dialogs.ExpectMessage(mrOk, "Протокол № 0000000003 е създаден.");
    Form().acGenerateProtocol.Execute();
    ASSERT_EQ(host.ExternalRequests().size(), 1u);
    EXPECT_EQ(host.ExternalRequests()[0].Filter.Conditions().at(0).Value.AsString(), "P9");
}

// Under the goods check the server decides whether a line may go, even where the session
// lifts the lock of checked documents.
TEST_F(OrderBuffer, DeletingALineUnderTheGoodsCheckAsksTheServer) {
    LocalData().UseGoodsCheck = true;
    LocalData().UnlockCheckedDocuments = true;
    const struct {
        int status;
        int answer;  // -1: the server is not asked
        bool deleted;
    } cases[] = {{0, -1, true}, {2, 0, true}, {2, 2, false}, {1, 1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + " " + std::to_string(c.answer));
        OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"OrderLine_Id", "OL1"}}}, 0, {{"CheckStatus", c.status}});
        const std::string exec = "exec usp_CheckDocumentBeforeDelete 'C1', 'B1', 5, 1, '1001'";
        if (c.answer >= 0) server.OnRequestValue(exec, Rows({"Code", "Msg"}, {{c.answer, "0000000007"}}));
        if (!c.deleted) dialogs.ExpectMessage(mrOk, "err_DocumentForCheck_" + std::to_string(c.answer));
        try {
            Lines().Delete();
        } catch (const std::exception&) {
        }
        EXPECT_EQ(Lines().RecordCount(), c.deleted ? 0 : 1);
        EXPECT_EQ(server.CallsTo("RequestValue").size(), c.answer >= 0 ? 1u : 0u);
        EXPECT_TRUE(dialogs.AllAnswered());
    }
}

TEST_F(OrderBuffer, AMarginWritesTheItemsSalePrice) {
    OpenBuffer({{{"Code", "1001"}, {"Quantity", 5.0}, {"OrderLine_Id", "OL1"}, {"UnitCost_LCY", 8.0}}}, 0);
    dialogs.ExpectMessage(mrYes, "que_WantToChangeItemUnitPrice");
    server.OnStoredProcedure("usp_UPDATE_N_Item_UnitPrice", Rows({"Result"}, {{0}}));
    Lines().Edit();
    Lines().FieldByName("Marj").SetAsFloat(25.0);
    const std::vector<TServerCall> calls = server.CallsTo("ExecuteStoredProcedure");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Args, (TVariantArray{"C1", "1001", 10.0, 0}));
    EXPECT_TRUE(LoggedOperations().empty());
}

// Vendor 5001's invoice in a folder of its service: 8 of flour A-1, which the two open order
// lines of item 1001 take in part, 2 of sugar B-2, which no order line carries, and one Z-9
// that maps to no item.
class BufferVendorDocument : public OrderBuffer {
protected:
    BufferVendorDocument()
        : folder_(std::filesystem::temp_directory_path() / ("tavrek-buf-vendor-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(folder_);
        TUblSample sample;
        sample.Number = "V-77";
        sample.Lines = {{"A-1", "Брашно", 8, 1.10, 20, 0.88, ""}, {"B-2", "Захар", 2, 2.00, 20, 0, ""},
                        {"Z-9", "Непознат", 1, 5.00, 20, 0, ""}};
        std::ofstream(folder_ / "V-77.xml") << sample.Xml();
    }
    ~BufferVendorDocument() override { std::filesystem::remove_all(folder_); }

    // The service is reached to list the documents, when they are listed, and to fetch one.
    void ScriptService(int connections = 2) {
        for (int connect = 0; connect < connections; ++connect)
            server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress", "UserName", "Password", "ValidUntil"},
                                                                  {{folder_.string(), "u", "p", Variant()}}));
        const auto item = [this](const char* key, TVariantArray found) {
            server.OnRequestValue(std::string("exec usp_GetItemFromAPI '") + key +
                                      "', 'C1', '', '', '', '', '', '0', '0', '5001'",
                                  Rows({"Item_Id", "Code", "Name", "Measure_Id", "VATProdPostGroup_Id", "GenProdPostGroup_Id"},
                                       found.empty() ? std::vector<TVariantArray>{} : std::vector<TVariantArray>{found}));
        };
        item("A-1", {"I1001", "1001", "Брашно тип 500", "KG", "VAT20", "GOODS"});
        item("B-2", {"I1002", "1002", "Захар", "KG", "VAT20", "GOODS"});
        item("Z-9", {});
        server.OnRequestValue("N_PaymentTerms", Rows({"DueDateCalculation"}, {}), true);
    }

    std::filesystem::path folder_;
};

TEST_F(BufferVendorDocument, TheLinesArePlacedOnTheOpenOrderLinesAndTheRestIsFree) {
    OpenBuffer({}, -1, {{"N_Contragent_Code", "5001"}});
    ScriptService();
    dialogs.ExpectText(true, "1");
    // Mapping the unknown line is left to later; the order line of another item stays untouched.
    dialogs.ExpectSelect(false);
    const std::vector<std::string> fields = {"Id",          "Type",         "Code",         "Quantity",
                                             "ReturnedQty", "ReceivedQty",  "RejectedQty",  "CalculatedQTY",
                                             "Measure_Id",  "Description2", "LineDiscount", "DirectUnitCost_ACY",
                                             "GlobalDimension_Id"};
    server.OnRequestValue("dv_PurchOrderLineToPlace",
                          Rows(fields, {{"OL1", 1, "1001", 10.0, 1.0, 6.0, 0.0, 0.0, "KG", "мелница", 0.0, 1.00, "D1"},
                                        {"OL2", 1, "1003", 9.0, 0.0, 0.0, 0.0, 0.0, "KG", "", 0.0, 3.00, ""},
                                        {"OL3", 1, "1001", 6.0, 0.0, 0.0, 0.0, 2.0, "KG", "", 0.0, 1.00, ""}}));
    dialogs.ExpectMessage(mrOk, "Z-9 Непознат");
    Form().acGetDocFromVendor.Execute();
    ExpectFields(Header(), {{"VendorInvoiceNo", "V-77"}, {"Comment", "Доставка"}});
    EXPECT_EQ(Header().FieldByName("DocumentDate").AsDateTime(), TDateTime::FromDate(2026, 11, 20));
    // OL1 offers 10 + 1 - 6 = 5, OL3 6 - 2 held by buffers = 4: flour 5 + 3, sugar free.
    const std::vector<std::tuple<std::string, double, std::string>> expected = {
        {"1001", 5.0, "OL1"}, {"1001", 3.0, "OL3"}, {"1002", 2.0, ""}};
    ASSERT_EQ(Lines().RecordCount(), 3);
    Lines().First();
    for (const auto& [code, quantity, orderLine] : expected) {
        SCOPED_TRACE(code + " " + orderLine);
        ExpectFields(Lines(), {{"Code", code}, {"Quantity", quantity}, {"OrderLine_Id", orderLine}});
        Lines().Next();
    }
    // The vendor's price and its discount (0.88 of 8 x 1.10 = 10 %) come with the placed lines;
    // the order line's dimension and text too.
    Lines().First();
    ExpectFields(Lines(), {{"DirectUnitCost_ACY", 1.10}, {"LineDiscount", 10.0}, {"TotalValue", 4.95},
                           {"Description2", "мелница"}, {"GlobalDimension_Id", "D1"}});
    EXPECT_TRUE(LoggedOperations().empty());
}

// Typing the vendor's number of a document takes it without the list; a number the service
// does not have leaves the buffer as it was.
TEST_F(BufferVendorDocument, ATypedNumberTakesThatDocument) {
    OpenBuffer({}, -1, {{"N_Contragent_Code", "5001"}, {"Comment", "моя"}});
    server.OnRequestValue("N_PartnerConnectionList", Rows({"URLAddress", "UserName", "Password", "ValidUntil"},
                                                          {{folder_.string(), "u", "p", Variant()}}));
    dialogs.ExpectMessage(mrOk, "V-78");
    Form().cdsVendorDoc.Edit();
    Form().cdsVendorDoc.FieldByName("DocumentNo").SetAsString("V-78");
    EXPECT_EQ(Header().FieldByName("Comment").AsString(), "моя");
    EXPECT_EQ(Lines().RecordCount(), 0);

    ScriptService(1);
    dialogs.ExpectSelect(false);
    server.OnRequestValue("dv_PurchOrderLineToPlace", Rows({"Id", "Code"}, {}));
    dialogs.ExpectMessage(mrOk, "Z-9 Непознат");
    Form().cdsVendorDoc.FieldByName("DocumentNo").SetAsString("V-77");
    ExpectFields(Header(), {{"VendorInvoiceNo", "V-77"}, {"Comment", "Доставка"}});
    EXPECT_EQ(Lines().RecordCount(), 2) << "without open order lines, every known item is a free line";
    EXPECT_TRUE(LoggedOperations().empty());
}

}  // namespace
}  // namespace tavrek::testing
