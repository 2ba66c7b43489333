#include <QAction>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"

namespace tavrek::desktop {
namespace {

using testing::TypeText;

// A buyer orders 24 yoghurts from vendor 5003, receives 14 of them through the order's buffer,
// posts the receipt and finds it among the posted receipts.
class OrderJourney : public testing::DemoClientTest {
protected:
    OrderJourney() { StartClient({1400, 860}); }

    TFormHostWidget* ActiveHost() { return client->Window().ActiveHost(); }

    // Types into a header field and leaves it with Tab.
    static void TypeField(TFormHostWidget& host, const char* field, const QString& text) {
        QWidget* control = host.findChild<QWidget*>(field);
        ASSERT_NE(control, nullptr) << field;
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (edit == nullptr) edit = control->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr) << field;
        QTest::mouseClick(edit, Qt::LeftButton);
        edit->selectAll();
        TypeText(*edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
        QTest::qWait(10);
    }

    // The cell's editor opens after what the previous cell started has settled.
    static void TypeLineCell(TDataGrid& grid, int row, const char* caption, const QString& text) {
        testing::TypeIntoCell(grid.View(), grid.Model().index(row, testing::ColumnOf(grid.Model(), caption)), text, 600);
    }

    struct TOrderLine {
        const char* Code;
        const char* Quantity;
        const char* Price;
        const char* Discount = "";
    };

    // A new order of vendor 5003 typed in the editor opened from the menu, a grid row per
    // line, and saved; the editor's host.
    TFormHostWidget* TypeOrder(std::initializer_list<TOrderLine> orderLines) {
        TFormHostWidget* order = OpenFromMenu("TfEdPurchOrder");
        if (order == nullptr) return nullptr;
        testing::TriggerAction(*order, "acInsertRecord");
        TypeField(*order, "N_SubDocument_Code", "510");
        TypeField(*order, "N_Contragent_Code", "5003");
        TDataGrid* lines = order->Grid("dbgDetail");
        lines->View().setFocus();
        int row = 0;
        for (const TOrderLine& line : orderLines) {
            QTest::keyClick(&lines->View(), Qt::Key_Insert);
            TypeLineCell(*lines, row, "Код", line.Code);
            TypeLineCell(*lines, row, "Количество", line.Quantity);
            TypeLineCell(*lines, row, "Ед. цена", line.Price);
            if (*line.Discount != '\0') TypeLineCell(*lines, row, "Отстъпка %", line.Discount);
            ++row;
        }
        testing::TriggerAction(*order, "acSave");
        return order;
    }
};

TEST_F(OrderJourney, AnOrderIsReceivedThroughItsBufferAndTheReceiptFoundInItsList) {
    TFormHostWidget* order = TypeOrder({{"1008", "24", "0.95"}});
    ASSERT_NE(order, nullptr);
    TDataGrid* lines = order->Grid("dbgDetail");
    ExpectNoFailures();
    EXPECT_EQ(testing::LineValue(lines->Model(), 0, "Quantity").AsFloat(), 24.0);
    EXPECT_EQ(testing::LineValue(lines->Model(), 0, "Description").AsString(), "Кисело мляко 3,6 %, 400 г");

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*order, "acReceive");
    TFormHostWidget* buffer = ActiveHost();
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->Form().ClassName(), "TfEdPurchOrderBufer");
    TDataGrid* received = buffer->Grid("dbgDetail");
    ASSERT_EQ(received->Model().rowCount(), 1);
    EXPECT_EQ(testing::LineValue(received->Model(), 0, "Quantity").AsFloat(), 24.0);
    // 10 of the yoghurts come later.
    TypeLineCell(*received, 0, "Количество", "14");
    QTest::keyClick(&received->View(), Qt::Key_F9);
    QTest::qWait(20);
    EXPECT_DOUBLE_EQ(buffer->Form().cdsMaster.FieldByName("TotalValue").AsFloat(), 13.30);
    Screenshot("order-buffer.png");
    testing::TriggerAction(*buffer, "acPostDocument");
    ExpectNoFailures();

    TFormHostWidget* receipts = OpenFromMenu("TfBrPostedReceipt");
    ASSERT_NE(receipts, nullptr);
    TDataGrid* grid = receipts->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), "0000000001");
    grid->View().setFocus();
    grid->View().setCurrentIndex(grid->Model().index(0, 1));
    QTest::keyClick(&grid->View(), Qt::Key_Return);
    QTest::qWait(20);
    TFormHostWidget* receipt = ActiveHost();
    ASSERT_EQ(receipt->Form().ClassName(), "TfEdPostedReceipt");
    testing::TriggerAction(*receipt, "acPrint");
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    for (const char* printed : {"СТОКОВА РАЗПИСКА № 0000000001", "Към поръчка №:\\s+0000000001",
                                "1008\\s+Кисело мляко\\s+бр\\.\\s+14\\s+0,95", "Сума за плащане\\s+15,96 EUR"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(printed)))) << printed << "\n" << text.toStdString();
    TRequestResult ordered;
    dm().Server().RequestValue(0, "D_PurchaseLine", "ReceivedQty,QtyToReceive",
                               TFilter().Add("D_PurchaseLine.Description", "=", "Кисело мляко 3,6 %, 400 г"), ordered, true);
    ASSERT_EQ(ordered.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(ordered.ByName("ReceivedQty").AsFloat(), 14.0);
    EXPECT_DOUBLE_EQ(ordered.ByName("QtyToReceive").AsFloat(), 10.0);
    ExpectNoFailures();
}

// The same buyer receives and invoices a whole order of two VAT rates, one line with a discount,
// through one buffer and posts it without recalculating it: the buffer comes computed, the
// discount kept.
TEST_F(OrderJourney, ABufferPostedWithoutRecalculationPostsTheOrdersAmounts) {
    TFormHostWidget* order = TypeOrder({{"1008", "7", "0.95", "3"}, {"1035", "3", "11.33"}});
    ASSERT_NE(order, nullptr);
    TDataGrid* lines = order->Grid("dbgDetail");
    ExpectNoFailures();
    ASSERT_EQ(lines->Model().rowCount(), 2);

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*order, "acReceiveAndInvoice");
    TFormHostWidget* buffer = ActiveHost();
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->Form().ClassName(), "TfEdPurchOrderBufer");
    // 7 x 0.95 = 6.65 less 3 % (0.20) = 6.45 at 20 % and 3 x 11.33 = 33.99 at 9 %: VAT 1.29 + 3.06.
    TClientDataSet& header = buffer->Form().cdsMaster;
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalValue").AsFloat(), 40.44);
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalVAT").AsFloat(), 44.79);
    // The confirmation took the focus; the buyer clicks back into the window.
    client->Window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&client->Window()));
    TypeField(*buffer, "VendorInvoiceNo", "0000077001");
    testing::TriggerAction(*buffer, "acPostDocument");
    ExpectNoFailures();

    TRequestResult invoice;
    dm().Server().RequestValue(0, "D_PurchInvoiceHeader", "TotalValue,VATValue,TotalVAT,Remaining",
                               TFilter().Add("D_PurchInvoiceHeader.VendorInvoiceNo", "=", "0000077001"), invoice, true);
    ASSERT_EQ(invoice.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(invoice.ByName("TotalValue").AsFloat(), 40.44);
    EXPECT_DOUBLE_EQ(invoice.ByName("VATValue").AsFloat(), 4.35);
    EXPECT_DOUBLE_EQ(invoice.ByName("TotalVAT").AsFloat(), 44.79);
    EXPECT_DOUBLE_EQ(invoice.ByName("Remaining").AsFloat(), 44.79);
    TRequestResult receipt;
    dm().Server().RequestValue(0, "D_PurchReceiptHeader", "TotalValue,TotalVAT", TFilter(), receipt, true);
    ASSERT_EQ(receipt.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(receipt.ByName("TotalValue").AsFloat(), 40.44);
    EXPECT_DOUBLE_EQ(receipt.ByName("TotalVAT").AsFloat(), 44.79);
    TRequestResult stock;
    dm().Server().RequestValue(0, "G_ItemEntry", "Item_Id,CostAmount", TFilter(), stock, true);
    ASSERT_EQ(stock.Rows.size(), 2u);
    double cost = 0.0;
    for (size_t row = 0; row < stock.Rows.size(); ++row) cost += stock.ByName("CostAmount", row).AsFloat();
    EXPECT_NEAR(cost, 40.44, 1e-9);
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
