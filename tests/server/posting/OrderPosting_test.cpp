// Order buffers of the demo company posted by the server: an order of ten yoghurts (1008 at
// 0.95), four kilograms of cheese (1010 at 9.80) and a delivery service, received, returned,
// rejected and invoiced in parts.
#include <gtest/gtest.h>

#include <tuple>

#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

struct TBufLine {
    std::string OrderLine;  // empty: a free line
    int Type;
    std::string Code;
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
    void Buffer(const std::string& id, const std::vector<TBufLine>& lines, const std::string& vendor = "V03",
                const std::string& vendorInvoice = "F-1") {
        Exec("INSERT INTO D_PurchOrderBufHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, "
             "VendorInvoiceNo, DocumentDate, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, "
             "BusinessGroup_Id, AppliesToDoc_Id) VALUES ('" + id + "', 'DEMO', 23, 'SD-580', '" + vendor + "', '" +
             vendorInvoice + "', 46345, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF', 'O1')");
        int no = 0;
        for (const TBufLine& l : lines) {
            ++no;
            const double value = l.Quantity * l.Price;
            const std::string orderLine = l.OrderLine.empty() ? "NULL" : "'" + l.OrderLine + "'";
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
    for (const TGoldenCase& c : ReadGoldenCases("server/order_posting_refusals.txt")) {
        SCOPED_TRACE(c.Name);
        OrderLine("O1-1", c.Number("Received"), c.Number("Invoiced"), c.Number("Rejected"), c.Number("Returned"));
        std::vector<TBufLine> lines;
        for (const TGoldenRow* l : c.RowsOf("line"))
            lines.push_back({l->Words[0].AsString(), static_cast<int>(l->Words[1].AsInteger()), l->Words[2].AsString(),
                             l->Words[3].AsFloat(), l->Words[4].AsFloat()});
        Buffer("B1", lines, c.Has("Vendor") ? c.Text("Vendor") : "V03", c.Has("VendorInvoice") ? c.Text("VendorInvoice") : "F-1");
        const std::string before = Stored();
        TVariantArray keys;
        EXPECT_LT(Post("B1", c.Int("Operation"), keys), 0);
        EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText(c.Text("Refusal")));
        EXPECT_EQ(Stored(), before);
        EXPECT_EQ(Count("D_PurchOrderBufHeader", "Id = 'B1'"), 1);
        Exec("DELETE FROM D_PurchOrderBufLine");
        Exec("DELETE FROM D_PurchOrderBufHeader");
    }
}

// The order's road through receipts, a return, an invoice and a rejection is the scenario
// purchase_order_received_in_parts_rejected_returned_invoiced; beside it: the receipt names
// the order, a posted buffer is gone, and a service is invoiced onto its account.
TEST_F(OrderPostingTest, APostedBufferIsGoneItsReceiptNamesTheOrderAndAServiceIsInvoicedOntoItsAccount) {
    TVariantArray keys;
    Buffer("R1", {{"O1-1", 1, "1008", 6, 0.95}});
    ASSERT_EQ(Post("R1", 0, keys), 0) << Server().LastRefusalText();
    EXPECT_EQ(Value("SELECT OrderNo FROM D_PurchReceiptHeader").AsString(), "ORD-1");
    EXPECT_EQ(Count("D_PurchOrderBufHeader") + Count("D_PurchOrderBufLine"), 0);
    Buffer("I1", {{"O1-1", 1, "1008", 6, 0.95}, {"O1-3", 3, "TRANSPORT", 1, 30}});
    ASSERT_EQ(Post("I1", 3, keys), 0) << Server().LastRefusalText();
    EXPECT_NEAR(Balance("602"), 30.00, 1e-9);
    EXPECT_NEAR(Balance("4019"), 0, 1e-9);
    EXPECT_NEAR(Balance("4011"), -(5.70 + 30.00) * 1.2, 1e-9);
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

// The buffer that completes the order keeps it as a posted order whose lines copy the order's
// lines one for one; without a series of posted orders the completing buffer is refused whole.
TEST_F(OrderPostingTest, ACompletedOrderIsKeptWithEachLineTracedToItsOrderLine) {
    const std::vector<TBufLine> all = {{"O1-1", 1, "1008", 10, 0.95}, {"O1-2", 1, "1010", 4, 9.80}, {"O1-3", 3, "TRANSPORT", 1, 30}};
    Exec("UPDATE C_PurchasesSetup SET PostOrderSeries_Id = NULL");
    Buffer("B1", all);
    const std::string before = Stored();
    TVariantArray keys;
    EXPECT_LT(Post("B1", 4, keys), 0);
    EXPECT_EQ(Server().LastRefusalText(), Server().GetMessageText("err_GetSeriesNo"));
    EXPECT_EQ(Stored(), before);
    Exec("UPDATE C_PurchasesSetup SET PostOrderSeries_Id = 'PORD'");
    ASSERT_EQ(Post("B1", 4, keys), 0) << Server().LastRefusalText();
    EXPECT_EQ(Value("SELECT OrderNo FROM D_PostPurchOrderHeader WHERE DocumentType = 24 AND SrcDocument_Id = 'O1'").AsString(),
              "ORD-1");
    EXPECT_EQ(Count("D_PostPurchOrderLine"), 3);
    EXPECT_EQ(Count("D_PostPurchOrderLine p JOIN D_PurchaseLine o ON o.Id = p.OrderLine_Id AND o.Code = p.Code AND "
                    "o.Quantity = p.Quantity"),
              3)
        << "every posted line names the order line it copies";
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
