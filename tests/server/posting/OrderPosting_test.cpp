// Order buffers of the demo company posted by the server: an order of ten yoghurts (1008 at
// 0.95), four kilograms of cheese (1010 at 9.80) and a delivery service, received, returned,
// rejected and invoiced in parts.
#include <gtest/gtest.h>

#include <tuple>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

struct TBufLine {
    const char* OrderLine;  // empty: a free line
    int Type;
    const char* Code;
    double Quantity;
    double Price;
};

class OrderPostingTest : public SqliteFixture {
protected:
    OrderPostingTest() {
        Exec("INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Contragent_Id, "
             "DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
             "('O1', 'DEMO', 22, 'SD-510', 'ORD-1', 'V03', 46340, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF')");
        Exec("INSERT INTO D_PurchaseLine (Master_Id, Comp_Id, Id, Line_No, Type, Code, Quantity) VALUES "
             "('O1', 'DEMO', 'O1-1', 1, 1, '1008', 10), ('O1', 'DEMO', 'O1-2', 2, 1, '1010', 4), "
             "('O1', 'DEMO', 'O1-3', 3, 3, 'TRANSPORT', 1)");
    }

    // A buffer of the vendor with the given lines, each valued at its quantity and price with VAT 20 %.
    void Buffer(const std::string& id, const std::vector<TBufLine>& lines, const char* vendor = "V03",
                const char* vendorInvoice = "F-1") {
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
             "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('" + id + "', 'DEMO', 23, 'SD-580', '" + vendor + "', '" +
             vendorInvoice + "', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 'O1')");
        int no = 0;
        for (const TBufLine& l : lines) {
            ++no;
            const double value = l.Quantity * l.Price;
            const std::string orderLine = *l.OrderLine ? "'" + std::string(l.OrderLine) + "'" : "NULL";
            const std::string genProd = l.Type == 1 ? "'GOODS'" : "'SERV'";
            Exec("INSERT INTO D_PurchOrderBufLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, "
                 "QtyPerUnitOfMeasure, DirectUnitCost_ACY, TotalValue, VATPercent, VATBusPostGroup_Id, "
                 "VATProdPostGroup_Id, GenProdPostGroup_Id, OrderLine_Id) VALUES ('" + id + "', '" + id + "-" +
                 std::to_string(no) + "', 'DEMO', " + std::to_string(no) + ", " + std::to_string(l.Type) + ", '" +
                 l.Code + "', " + std::to_string(l.Quantity) + ", 1, " + std::to_string(l.Price) + ", " +
                 std::to_string(value) + ", 20, 'DOM', 'VAT20', " + genProd + ", " + orderLine + ")");
        }
    }

    void OrderLine(const char* id, double received, double invoiced, double rejected, double returned = 0) {
        Exec("UPDATE D_PurchaseLine SET ReceivedQty = " + std::to_string(received) + ", InvoicedQty = " +
             std::to_string(invoiced) + ", RejectedQty = " + std::to_string(rejected) + ", ReturnedQty = " +
             std::to_string(returned) + " WHERE Id = '" + id + "'");
    }

    double Qty(const char* line, const char* column) {
        return Value(std::string("SELECT ") + column + " FROM D_PurchaseLine WHERE Id = '" + line + "'").AsFloat();
    }

    double Balance(const char* account) {
        return Value(std::string("SELECT COALESCE(SUM(Amount), 0) FROM G_LEntry WHERE Account_Id = '") + account + "'")
            .AsFloat();
    }

    // Everything a posting could write, as one fingerprint.
    std::string Stored() {
        std::string text;
        for (const char* table : {"D_PurchReceiptHeader", "D_PurchReceiptLine", "D_PostPurchOrderHeader",
                                  "D_PurchInvoiceHeader", "D_PurchInvoiceLine", "D_PurchHeader", "D_PurchOrderBufLine",
                                  "G_LEntry", "G_ItemEntry", "G_VATEntry", "G_ContragentEntry"})
            text += std::to_string(Count(table)) + " ";
        return text + Value("SELECT SUM(LastNo) FROM S_NoSeries").AsString() + " " +
               Value("SELECT SUM(ReceivedQty + InvoicedQty + RejectedQty + ReturnedQty) FROM D_PurchaseLine").AsString();
    }

    int Post(const std::string& id, int operation, TVariantArray& keys) {
        return Server().PostPurchOrder(id, keys, operation);
    }
};

TEST_F(OrderPostingTest, RefusalsNameTheirReasonAndChangeNothing) {
    const struct {
        const char* Name;
        int Operation;
        double Received, Invoiced, Rejected;  // of the yoghurt line before the posting
        std::vector<TBufLine> Lines;
        const char* Vendor;
        const char* VendorInvoice;
        const char* Refusal;
        double Returned = 0;  // of the yoghurt line: received and sent back again
    } cases[] = {
        {"receiving more than is open", 0, 4, 0, 1, {{"O1-1", 1, "1008", 6, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverReceive"},
        {"two lines of one order line together", 0, 4, 0, 1,
         {{"O1-1", 1, "1008", 3, 0.95}, {"O1-1", 1, "1008", 3, 0.95}}, "V03", "F-1", "err_PostPurchOrderOverReceive"},
        {"returning what is invoiced", 1, 4, 1, 0, {{"O1-1", 1, "1008", 4, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverReturn"},
        {"rejecting what was received", 2, 8, 0, 0, {{"O1-1", 1, "1008", 3, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverReject"},
        {"invoicing goods not received", 3, 2, 0, 0, {{"O1-1", 1, "1008", 3, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverInvoice"},
        {"invoicing a service twice", 3, 0, 0, 0, {{"O1-3", 3, "TRANSPORT", 2, 30}}, "V03", "F-1",
         "err_PostPurchOrderOverInvoice"},
        {"a free item line received", 0, 0, 0, 0, {{"", 1, "1008", 1, 0.95}}, "V03", "F-1", "err_CanNotPostPurchFreeLines"},
        {"a free item line invoiced", 3, 5, 0, 0, {{"", 1, "1008", 1, 0.95}}, "V03", "F-1", "err_CanNotPostPurchFreeLines"},
        {"a service received", 0, 0, 0, 0, {{"O1-3", 3, "TRANSPORT", 1, 30}}, "V03", "F-1",
         "err_PostPurchOrderNotItemLine"},
        {"an order line of another vendor", 0, 0, 0, 0, {{"O1-1", 1, "1008", 1, 0.95}}, "V05", "F-1",
         "err_PostPurchOrderOtherVendor"},
        {"an order line that is gone", 0, 0, 0, 0, {{"O9-9", 1, "1008", 1, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderLineNotFound"},
        {"a negative quantity", 0, 0, 0, 0, {{"O1-1", 1, "1008", -1, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderNegativeQty"},
        {"nothing to post", 0, 0, 0, 0, {{"O1-1", 1, "1008", 0, 0.95}}, "V03", "F-1", "err_PostPurchNoLines"},
        {"no such operation", 5, 0, 0, 0, {{"O1-1", 1, "1008", 1, 0.95}}, "V03", "F-1", "err_PostPurchOrderOperation"},
        {"received, then the invoice lacks the vendor's number", 4, 0, 0, 0, {{"O1-1", 1, "1008", 2, 0.95}}, "V03", "",
         "err_PostPurchNoVendorInvoiceNo"},
        {"returning again what went back", 1, 4, 1, 0, {{"O1-1", 1, "1008", 2, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverReturn", 2},
        {"invoicing goods that went back", 3, 4, 0, 0, {{"O1-1", 1, "1008", 3, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverInvoice", 2},
        {"receiving more than went back", 0, 10, 0, 0, {{"O1-1", 1, "1008", 4, 0.95}}, "V03", "F-1",
         "err_PostPurchOrderOverReceive", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        OrderLine("O1-1", c.Received, c.Invoiced, c.Rejected, c.Returned);
        Buffer("B1", c.Lines, c.Vendor, c.VendorInvoice);
        const std::string before = Stored();
        TVariantArray keys;
        EXPECT_LT(Post("B1", c.Operation, keys), 0);
        EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Refusal));
        EXPECT_EQ(Stored(), before);
        EXPECT_EQ(Count("D_PurchOrderBufHeader", "Id = 'B1'"), 1);
        Exec("DELETE FROM D_PurchOrderBufLine");
        Exec("DELETE FROM D_PurchOrderBufHeader");
    }
}

TEST_F(OrderPostingTest, ReceivedReturnedInvoicedAndRejectedTheOrderCloses) {
    TVariantArray keys;
    // 6 x 0.95 = 5.70 and 4 x 9.80 = 39.20 into stock, waiting for their invoice
    Buffer("R1", {{"O1-1", 1, "1008", 6, 0.95}, {"O1-2", 1, "1010", 4, 9.80}});
    ASSERT_EQ(Post("R1", 0, keys), 0) << Server().LastRefusalText();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_FALSE(keys[0].IsEmpty());
    EXPECT_TRUE(keys[1].IsEmpty() && keys[2].IsEmpty());
    EXPECT_EQ(Count("D_PurchReceiptLine", "Master_Id = '" + keys[0].AsString() + "'"), 2);
    EXPECT_EQ(Value("SELECT OrderNo FROM D_PurchReceiptHeader").AsString(), "ORD-1");
    EXPECT_EQ(Count("D_PurchOrderBufHeader"), 0);
    EXPECT_NEAR(Balance("304"), 44.90, 1e-9);
    EXPECT_NEAR(Balance("4019"), -44.90, 1e-9);
    EXPECT_EQ(Count("G_ContragentEntry") + Count("G_VATEntry"), 0);

    // 2 yoghurts back to the vendor at their receipt cost; 4 are left to invoice, 4 to receive again
    Buffer("T1", {{"O1-1", 1, "1008", 2, 0.95}});
    ASSERT_EQ(Post("T1", 1, keys), 0) << Server().LastRefusalText();
    EXPECT_FALSE(keys[1].IsEmpty());
    EXPECT_EQ(Value("SELECT DocumentType FROM D_PostPurchOrderHeader").AsInteger(), 25);
    EXPECT_NEAR(Qty("O1-1", "ReceivedQty"), 6, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "ReturnedQty"), 2, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "QtyRcdNotInvoiced"), 4, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "QtyToReceive"), 6, 1e-9);
    EXPECT_NEAR(Balance("4019"), -43.00, 1e-9);
    EXPECT_NEAR(Value("SELECT RemainingQuantity FROM G_ItemEntry WHERE Line_Id = 'R1-1'").AsFloat(), 4, 1e-9);

    // the vendor invoices the yoghurts at 1.00 (0.20 more than received) and the cheese and the delivery
    Buffer("I1", {{"O1-1", 1, "1008", 4, 1.00}, {"O1-2", 1, "1010", 4, 9.80}, {"O1-3", 3, "TRANSPORT", 1, 30}});
    Exec("UPDATE D_PurchOrderBufLine SET Code = 'TRANSPORT', GenProdPostGroup_Id = 'SERV' WHERE Id = 'I1-3'");
    ASSERT_EQ(Post("I1", 3, keys), 0) << Server().LastRefusalText();
    EXPECT_FALSE(keys[2].IsEmpty());
    EXPECT_NEAR(Balance("4019"), 0, 1e-9);
    EXPECT_NEAR(Balance("304"), 43.00 + 0.20, 1e-9);
    EXPECT_NEAR(Balance("602"), 30.00, 1e-9);
    EXPECT_NEAR(Balance("4011"), -(4.00 + 39.20 + 30.00) * 1.2, 1e-9);
    EXPECT_NEAR(Value("SELECT SUM(CostAmount) FROM G_ItemEntry").AsFloat(), 43.20, 1e-9);
    EXPECT_NEAR(Value("SELECT SUM(Quantity) FROM G_ItemEntry").AsFloat(), 8, 1e-9);
    EXPECT_EQ(Value("SELECT DocStatus FROM D_PurchHeader WHERE Id = 'O1'").AsInteger(), 0);

    // the rest of the yoghurts will not come: nothing is left open
    Buffer("J1", {{"O1-1", 1, "1008", 6, 0.95}});
    ASSERT_EQ(Post("J1", 2, keys), 0) << Server().LastRefusalText();
    EXPECT_EQ(Value("SELECT DocumentType FROM D_PostPurchOrderHeader WHERE Id = '" + keys[1].AsString() + "'").AsInteger(), 27);
    const struct {
        const char* Line;
        double Received, Invoiced, Rejected, Returned;
    } expected[] = {{"O1-1", 6, 4, 6, 2}, {"O1-2", 4, 4, 0, 0}, {"O1-3", 0, 1, 0, 0}};
    for (const auto& e : expected) {
        SCOPED_TRACE(e.Line);
        EXPECT_NEAR(Qty(e.Line, "ReceivedQty"), e.Received, 1e-9);
        EXPECT_NEAR(Qty(e.Line, "InvoicedQty"), e.Invoiced, 1e-9);
        EXPECT_NEAR(Qty(e.Line, "RejectedQty"), e.Rejected, 1e-9);
        EXPECT_NEAR(Qty(e.Line, "ReturnedQty"), e.Returned, 1e-9);
    }
    EXPECT_EQ(Value("SELECT DocStatus FROM D_PurchHeader WHERE Id = 'O1'").AsInteger(), 2);
}

TEST_F(OrderPostingTest, ReceivedAndInvoicedAtOnceAndAFreeLineWithThem) {
    Buffer("B1", {{"O1-1", 1, "1008", 10, 0.95}, {"", 1, "1010", 1, 9.80}});
    TVariantArray keys;
    ASSERT_EQ(Post("B1", 4, keys), 0) << Server().LastRefusalText();
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_FALSE(keys[0].IsEmpty());
    EXPECT_TRUE(keys[1].IsEmpty());
    EXPECT_FALSE(keys[2].IsEmpty());
    EXPECT_EQ(Count("D_PurchReceiptLine"), 2);
    EXPECT_EQ(Count("D_PurchInvoiceLine"), 2);
    // the goods come in once, with the invoice; nothing waits for an invoice
    EXPECT_EQ(Count("G_ItemEntry", "Document_Id = '" + keys[2].AsString() + "'"), 2);
    EXPECT_EQ(Count("G_ItemEntry"), 2);
    EXPECT_NEAR(Balance("304"), 9.50 + 9.80, 1e-9);
    EXPECT_NEAR(Balance("4019"), 0, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "ReceivedQty"), 10, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "InvoicedQty"), 10, 1e-9);
    EXPECT_NEAR(Qty("O1-1", "QtyToReceive"), 0, 1e-9);
}

// The invoice of an invoicing buffer is of the buffer's subtype when that is an invoice
// subtype; a buffer on the buffer subtype gives the company's first invoice subtype.
TEST_F(OrderPostingTest, TheInvoiceOfABufferTakesItsInvoiceSubtype) {
    for (const auto& [buffer, bufferSubType, invoiceSubType] :
         {std::tuple{"B1", "SD-580", "SD-520"}, std::tuple{"B2", "SD-521", "SD-521"}}) {
        SCOPED_TRACE(bufferSubType);
        Buffer(buffer, {{"O1-1", 1, "1008", 2, 0.95}}, "V03", buffer);
        Exec(std::string("UPDATE D_PurchOrderBufHeader SET DocSubType_Id = '") + bufferSubType + "' WHERE Id = '" +
             buffer + "'");
        TVariantArray keys;
        ASSERT_EQ(Post(buffer, 4, keys), 0) << Server().LastRefusalText();
        EXPECT_EQ(Value("SELECT DocSubType_Id FROM D_PurchInvoiceHeader WHERE Id = '" + keys.at(2).AsString() + "'")
                      .AsString(),
                  invoiceSubType);
    }
}

// A buffer sent for the goods check waits in it, and is not posted until the check is over.
TEST_F(OrderPostingTest, ABufferSentForTheGoodsCheckWaitsInIt) {
    Buffer("B1", {{"O1-1", 1, "1008", 2, 0.95}});
    const std::string exec = "exec usp_SendDocumentForCheck 'DEMO', 'B1', 3, 0, 0, 1, 'BG-SOF'";
    TRequestResult rows;
    for (const int expectedCode : {0, 1}) {
        ASSERT_EQ(Server().RequestValue(-1, exec, "Code,Msg", TFilter(), rows, true), 1);
        EXPECT_EQ(rows.ByName("Code").AsInteger(), expectedCode) << "a second sending is refused";
    }
    EXPECT_EQ(Value("SELECT CheckStatus FROM D_PurchOrderBufHeader WHERE Id = 'B1'").AsInteger(), 1);
    TVariantArray keys;
    EXPECT_LT(Post("B1", 0, keys), 0);
    EXPECT_EQ(Count("D_PurchReceiptHeader"), 0);
}

// A vendor's document is placed on the order lines less what buffers hold of them already,
// whatever buffer and whether posted before or not.
TEST_F(OrderPostingTest, OrderLinesToPlaceTellWhatBuffersHold) {
    OrderLine("O1-1", 6, 0, 1, 2);
    Buffer("B1", {{"O1-1", 1, "1008", 3, 0.95}, {"O1-2", 1, "1010", 1, 9.80}});
    Buffer("B2", {{"O1-1", 1, "1008", 2, 0.95}, {"", 1, "1008", 4, 0.95}});
    TRequestResult lines;
    Server().RequestValue(0, "dv_PurchOrderLineToPlace", "Id,Quantity,ReturnedQty,ReceivedQty,RejectedQty,CalculatedQTY",
                          TFilter()
                              .Add("dv_PurchOrderLineToPlace.Comp_Id", "=", "DEMO", "AND")
                              .Add("dv_PurchOrderLineToPlace.Contragent_Id", " =", "V03"),
                          lines, true);
    const std::vector<std::vector<double>> expected = {{10, 2, 6, 1, 5}, {4, 0, 0, 0, 1}, {1, 0, 0, 0, 0}};
    ASSERT_EQ(lines.Rows.size(), expected.size());
    for (size_t row = 0; row < expected.size(); ++row) {
        SCOPED_TRACE(lines.Rows[row][0].AsString());
        for (size_t column = 0; column < expected[row].size(); ++column)
            EXPECT_NEAR(lines.Rows[row][column + 1].AsFloat(), expected[row][column], 1e-9);
    }
}

// The serial numbers of a buffer's lines go with the document that moved the goods; those of
// a line with nothing to post go with the buffer.
TEST_F(OrderPostingTest, LineDetailsMoveToThePostedDocument) {
    // Two yoghurts at a time: received, returned, received and invoiced, rejected, received, invoiced.
    const struct {
        int Operation;
        size_t Key;  // the posted document that takes the details
    } cases[] = {{0, 0}, {1, 1}, {4, 0}, {2, 1}, {0, 0}, {3, 2}};
    int n = 0;
    for (const auto& c : cases) {
        const std::string buffer = "D" + std::to_string(++n);
        SCOPED_TRACE(buffer);
        Buffer(buffer, {{"O1-1", 1, "1008", 2, 0.95}, {"O1-2", 1, "1010", 0, 9.80}}, "V03", buffer.c_str());
        Exec("INSERT INTO D_PurchaseBufLineDetail (Id, Comp_Id, Master_Id, MasterLine_Id, SerialNo, Quantity) VALUES "
             "('" + buffer + "-S1', 'DEMO', '" + buffer + "', '" + buffer + "-1', 'SN-1', 1), ('" + buffer +
             "-S2', 'DEMO', '" + buffer + "', '" + buffer + "-1', 'SN-2', 1), ('" + buffer + "-S3', 'DEMO', '" + buffer +
             "', '" + buffer + "-2', 'SN-3', 1)");
        TVariantArray keys;
        ASSERT_EQ(Post(buffer, c.Operation, keys), 0) << Server().LastRefusalText();
        EXPECT_EQ(Count("D_PostPurchOrderLineDetail", "Master_Id = '" + keys.at(c.Key).AsString() + "' AND MasterLine_Id = '" +
                                                          buffer + "-1'"),
                  2);
        EXPECT_EQ(Count("D_PostPurchOrderLineDetail", "Id = '" + buffer + "-S3'"), 0);
        EXPECT_EQ(Count("D_PurchaseBufLineDetail"), 0);
    }
}

// A buffer may become a VAT protocol instead of being posted: once, with its lines' VAT.
TEST_F(OrderPostingTest, ABufferBecomesAProtocolOnce) {
    Buffer("B1", {{"O1-1", 1, "1008", 4, 0.95}, {"O1-2", 1, "1010", 2, 9.80}});
    Exec("UPDATE D_PurchOrderBufLine SET TotalValue_LCY = TotalValue");
    const std::string exec = "exec dbo.usp_CreatePurchaseProtocolFromPurchOrderBuf 'DEMO', 'BG-SOF', 'B1', 'ADMIN'";
    TRequestResult rows;
    ASSERT_EQ(Server().RequestValue(-1, exec, "Result,ErrMsg", TFilter(), rows, true), 1);
    ASSERT_EQ(rows.ByName("Result").AsString(), "0") << rows.ByName("ErrMsg").AsString();
    const std::string protocol = rows.ByName("ErrMsg").AsString();
    EXPECT_EQ(Count("D_GlobalPurchLine", "Master_Id = '" + protocol + "'"), 2);
    // 3.80 + 19.60 at 20 %
    EXPECT_NEAR(Value("SELECT VATValue FROM D_GlobalPurchHeader WHERE AppliesToDoc_Id = 'B1'").AsFloat(), 4.68, 1e-9);
    ASSERT_EQ(Server().RequestValue(-1, exec, "Result,ErrMsg", TFilter(), rows, true), 1);
    EXPECT_EQ(rows.ByName("Result").AsString(), "-1");
    EXPECT_EQ(rows.ByName("ErrMsg").AsString(), Server().GetMessageText("err_PurchProtocolExists"));
    EXPECT_EQ(Count("D_GlobalPurchHeader"), 1);
}

}  // namespace
}  // namespace tavrek::testing
