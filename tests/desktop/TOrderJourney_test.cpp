#include <QAction>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TTotalsPanel.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"
#include "support/UblSample.h"

namespace tavrek::desktop {
namespace {

using testing::TypeText;

// A buyer orders 24 yoghurts from vendor 5003, receives 14 of them through the order's buffer,
// posts the receipt and finds it among the posted receipts.
class OrderJourney : public testing::DemoClientTest {
protected:
    // Vendor 5003 hands its documents over a folder of the test.
    OrderJourney() {
        StartClient({1400, 860}, [this](server::EmbeddedServer& server) {
            server.Database().Exec(
                "INSERT INTO N_PartnerConnectionList (Id, Comp_Id, Contragent_Id, URLAddress, UserName, Password) "
                "VALUES ('PC-V03', 'DEMO', 'V03', '" + VendorFolder() + "', 'demo', 'demo')");
        });
    }

    // A list to choose from asks for the number of the row.
    static void AnswerNumber(QWidget& dialog, const char* number) {
        auto& input = dynamic_cast<QInputDialog&>(dialog);
        input.setTextValue(QString::fromUtf8(number));
        input.accept();
    }

    std::string VendorFolder() const { return folder.filePath(QStringLiteral("vendor-5003")).toStdString(); }

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

    // What the order line of the yoghurts has received and has left to receive.
    static TRequestResult YoghurtLine() {
        TRequestResult ordered;
        dm().Server().RequestValue(0, "D_PurchaseLine", "ReceivedQty,QtyToReceive",
                                   TFilter().Add("D_PurchaseLine.Description", "=", "Кисело мляко 3,6 %, 400 г"), ordered,
                                   true);
        return ordered;
    }

    // The annulment dialog gets the reason and OK, and its question Yes.
    void ExpectAnnulment(const char* why) {
        answerer.Expect([why](QWidget& dialog) {
            auto* reason = dialog.findChild<QLineEdit*>("edtAnnulDescription");
            ASSERT_NE(reason, nullptr);
            TypeText(*reason, QString::fromUtf8(why));
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        answerer.ExpectMessage(QMessageBox::Yes);
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
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*buffer, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Доставка № 0000000001 е осчетоводена.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* receipts = OpenFromMenu("TfBrPostedReceipt");
    ASSERT_NE(receipts, nullptr);
    TDataGrid* grid = receipts->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), "0000000001");
    TFormHostWidget* receipt = OpenRow(*grid);
    ASSERT_EQ(receipt->Form().ClassName(), "TfEdPostedReceipt");
    testing::TriggerAction(*receipt, "acPrint");
    // The file is named by the kind and number a person knows the document by.
    EXPECT_TRUE(QFileInfo(client->Window().LastPrintedFile()).fileName().startsWith("Доставка 0000000001"))
        << client->Window().LastPrintedFile().toStdString();
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    for (const char* printed : {"СТОКОВА РАЗПИСКА № 0000000001", "Към поръчка №:\\s+0000000001",
                                "1008\\s+Кисело мляко\\s+бр\\.\\s+14\\s+0,95", "Сума за плащане\\s+15,96 EUR"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(printed)))) << printed << "\n" << text.toStdString();
    const TRequestResult ordered = YoghurtLine();
    ASSERT_EQ(ordered.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(ordered.ByName("ReceivedQty").AsFloat(), 14.0);
    EXPECT_DOUBLE_EQ(ordered.ByName("QtyToReceive").AsFloat(), 10.0);
    ExpectNoFailures();
}

// A delivery posted by mistake is annulled from the view of its receipt: the receipt is marked
// annulled and the order waits for all of its goods again.
TEST_F(OrderJourney, AReceiptPostedByMistakeIsAnnulledFromItsView) {
    RunScenario("order N_Contragent_Code=5003 DocSubType_Id=SD-510 DocumentDate=2026-11-02\n"
                "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
                "operation Name=Receive DocumentDate=2026-11-05 PostingDate=2026-11-05\n"
                "bufferline Line=1 Quantity=14\n"
                "post\n");
    TFormHostWidget* receipts = OpenFromMenu("TfBrPostedReceipt");
    ASSERT_NE(receipts, nullptr);
    TDataGrid* grid = receipts->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    TFormHostWidget* receipt = OpenRow(*grid);
    ASSERT_NE(receipt, nullptr);
    ASSERT_EQ(receipt->Form().ClassName(), "TfEdPostedReceipt");

    ExpectAnnulment("Грешна доставка");
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*receipt, "acAnnulDocument");
    EXPECT_TRUE(ShownMessage("Доставка № 0000000001 е анулирана.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TRequestResult annulled;
    dm().Server().RequestValue(0, "D_PurchReceiptHeader", "Annul,AnnulDescription", TFilter(), annulled, true);
    ASSERT_EQ(annulled.Rows.size(), 1u);
    EXPECT_EQ(annulled.ByName("Annul").AsInteger(), 1);
    EXPECT_EQ(annulled.ByName("AnnulDescription").AsString(), "Грешна доставка");
    const TRequestResult ordered = YoghurtLine();
    ASSERT_EQ(ordered.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(ordered.ByName("ReceivedQty").AsFloat(), 0.0);
    EXPECT_DOUBLE_EQ(ordered.ByName("QtyToReceive").AsFloat(), 24.0);
}

// The buyer begins a buffer from the buffer list, takes the order's open yoghurts into it and
// sees their totals under the lines; saved, the buffer has its number and the list shows it.
TEST_F(OrderJourney, ABufferBegunFromItsListTakesTheOrdersLinesAndIsListedByItsNumber) {
    ASSERT_NE(TypeOrder({{"1008", "24", "0.95"}}), nullptr);
    TFormHostWidget* list = OpenFromMenu("TfBrPurchOrderBufer");
    ASSERT_NE(list, nullptr);
    testing::TriggerAction(*list, "acInsertRecord");
    TFormHostWidget* buffer = ActiveHost();
    ASSERT_EQ(buffer->Form().ClassName(), "TfEdPurchOrderBufer");
    TypeField(*buffer, "N_SubDocument_Code", "580");
    TypeField(*buffer, "N_Contragent_Code", "5003");
    answerer.Expect([](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog); });
    testing::TriggerAction(*buffer, "acAddPurchOrderLines");
    ExpectNoFailures();
    TDataGrid* lines = buffer->Grid("dbgDetail");
    ASSERT_EQ(lines->Model().rowCount(), 1);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines->Model(), 0, "Quantity").AsFloat(), 24.0);
    EXPECT_FALSE(testing::LineValue(lines->Model(), 0, "OrderLine_Id").IsEmpty());
    // 24 x 0.95 = 22.80, with 20 % VAT 27.36
    ASSERT_NE(buffer->Totals(), nullptr);
    EXPECT_TRUE(buffer->Totals()->isVisible());
    EXPECT_EQ(buffer->Totals()->Text("Без ДДС"), "22,80");
    EXPECT_EQ(buffer->Totals()->Text("ДДС 20 %"), "4,56");
    EXPECT_EQ(buffer->Totals()->Text("С ДДС", true), "27,36");

    testing::TriggerAction(*buffer, "acSave");
    ExpectNoFailures();
    QWidget* numberControl = buffer->findChild<QWidget*>("DocumentNo");
    ASSERT_NE(numberControl, nullptr);
    auto* number = qobject_cast<QLineEdit*>(numberControl);
    if (number == nullptr) number = numberControl->findChild<QLineEdit*>();
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(), "0000000001");
    EXPECT_TRUE(buffer->Totals()->isVisible());
    Screenshot("order-buffer-new.png");
    EXPECT_EQ(ActiveHost(), buffer) << "the order came to the front when the chooser closed";

    client->Window().ActivateForm(list->Form());
    testing::TriggerAction(*list, "acRefresh");
    TDataGrid* listed = list->Grid("dbgMaster");
    ASSERT_EQ(listed->Model().rowCount(), 1);
    EXPECT_EQ(listed->Model().data(listed->Model().index(0, testing::ColumnOf(listed->Model(), "Номер"))).toString(),
              "0000000001");
    EXPECT_DOUBLE_EQ(testing::LineValue(listed->Model(), 0, "TotalValue").AsFloat(), 22.80);
    Screenshot("order-buffer-list.png");
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
    answerer.ExpectMessage(QMessageBox::Ok);
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*buffer, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Фактура № 0000000001 е осчетоводена.")) << answerer.Shown().join("; ").toStdString();
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

// The buyer opens a new buffer for vendor 5003, fetches the vendor's invoice from its service:
// its 30 yoghurts fill the 24 of the order and the 6 more stay a free line, its 4 kg of cheese
// go onto the order's 10; received and invoiced at once, the posted invoice is in its list.
TEST_F(OrderJourney, AVendorsInvoiceFetchedIntoABufferIsPlacedOnTheOrderAndPosted) {
    TFormHostWidget* order = TypeOrder({{"1008", "24", "0.95"}, {"1010", "10", "9.80"}});
    ASSERT_NE(order, nullptr);
    ExpectNoFailures();
    const Variant orderId = order->Form().cdsMaster.FieldByName("Id").Value();
    for (QMdiSubWindow* window : client->Window().Mdi().subWindowList())
        if (TMainWindow::HostOf(window) == order) window->close();
    QTest::qWait(20);
    std::filesystem::create_directories(VendorFolder());
    tavrek::testing::TUblSample invoice;
    invoice.Number = "0000091001";
    invoice.Lines = {{"A-7008", "Кисело мляко", 30, 0.95, 20, 0, ""}, {"A-7010", "Сирене", 4, 10.00, 20, 0, ""}};
    std::ofstream(VendorFolder() + "/0000091001.xml") << invoice.Xml();

    TFormHostWidget* buffer = OpenFromMenu("TfEdPurchOrderBufer");
    ASSERT_NE(buffer, nullptr);
    testing::TriggerAction(*buffer, "acInsertRecord");
    TypeField(*buffer, "N_SubDocument_Code", "580");
    TypeField(*buffer, "N_Contragent_Code", "5003");
    answerer.Expect([](QWidget& dialog) { AnswerNumber(dialog, "1"); });
    answerer.ExpectMessage(QMessageBox::Yes);
    testing::TriggerAction(*buffer, "acGetDocFromVendor");
    ExpectNoFailures();
    TClientDataSet& header = buffer->Form().cdsMaster;
    EXPECT_EQ(header.FieldByName("VendorInvoiceNo").AsString(), "0000091001");
    const TDataSetModel& lines = buffer->Grid("dbgDetail")->Model();
    ASSERT_EQ(lines.rowCount(), 3);
    const struct {
        const char* Code;
        double Quantity;
        bool OnOrder;
    } placed[] = {{"1008", 24, true}, {"1008", 6, false}, {"1010", 4, true}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(testing::LineValue(lines, row, "Code").AsString(), placed[row].Code);
        EXPECT_DOUBLE_EQ(testing::LineValue(lines, row, "Quantity").AsFloat(), placed[row].Quantity);
        EXPECT_EQ(!testing::LineValue(lines, row, "OrderLine_Id").IsEmpty(), placed[row].OnOrder);
    }
    // 30 x 0.95 = 28.50 and 4 x 10.00 = 40.00
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalValue").AsFloat(), 68.50);
    Screenshot("order-buffer-vendor-document.png");

    // The fifth posting option receives and invoices.
    answerer.Expect([](QWidget& dialog) { AnswerNumber(dialog, "5"); });
    answerer.ExpectMessage(QMessageBox::Ok);
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*buffer, "acPostDocument");
    ExpectNoFailures();
    TFormHostWidget* invoices = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(invoices, nullptr);
    TDataGrid* grid = invoices->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(testing::LineValue(grid->Model(), 0, "VendorInvoiceNo").AsString(), "0000091001");
    EXPECT_DOUBLE_EQ(testing::LineValue(grid->Model(), 0, "TotalValue").AsFloat(), 68.50);
    TRequestResult ordered;
    dm().Server().RequestValue(0, "D_PurchaseLine", "Code,ReceivedQty,InvoicedQty",
                               TFilter().Add("D_PurchaseLine.Master_Id", "=", orderId),
                               ordered, true);
    ASSERT_EQ(ordered.Rows.size(), 2u);
    for (size_t row = 0; row < 2; ++row) {
        const double expected = ordered.ByName("Code", row).AsString() == "1008" ? 24.0 : 4.0;
        EXPECT_DOUBLE_EQ(ordered.ByName("ReceivedQty", row).AsFloat(), expected);
        EXPECT_DOUBLE_EQ(ordered.ByName("InvoicedQty", row).AsFloat(), expected);
    }
    ExpectNoFailures();
}

// Four of the fourteen yoghurts received were spoilt: the buyer opens the order from the order
// list, sends them back through a return buffer, and finds and prints the return among the
// posted returns and rejections.
TEST_F(OrderJourney, SpoiltGoodsAreReturnedThroughTheOrderAndTheReturnFoundAndPrinted) {
    RunScenario("order N_Contragent_Code=5003 DocSubType_Id=SD-510 DocumentDate=2026-11-02\n"
                "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
                "operation Name=Receive DocumentDate=2026-11-05 PostingDate=2026-11-05\n"
                "bufferline Line=1 Quantity=14\n"
                "post\n");
    TFormHostWidget* orders = OpenFromMenu("TfBrPurchOrder");
    ASSERT_NE(orders, nullptr);
    TFormHostWidget* order = OpenRow(*orders->Grid("dbgMaster"));
    ASSERT_EQ(order->Form().ClassName(), "TfEdPurchOrder");

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*order, "acReturn");
    TFormHostWidget* buffer = ActiveHost();
    ASSERT_EQ(buffer->Form().ClassName(), "TfEdPurchOrderBufer");
    TDataGrid* returned = buffer->Grid("dbgDetail");
    ASSERT_EQ(returned->Model().rowCount(), 1);
    EXPECT_DOUBLE_EQ(testing::LineValue(returned->Model(), 0, "Quantity").AsFloat(), 14.0);
    TypeLineCell(*returned, 0, "Количество", "4");
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*buffer, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Връщане към доставчик № 0000000001 е осчетоводено.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* list = OpenFromMenu("TfBrPostPurchOrder");
    ASSERT_NE(list, nullptr);
    TDataGrid* grid = list->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, testing::ColumnOf(grid->Model(), "Вид"))).toString(), "Върната");
    TFormHostWidget* posted = OpenRow(*grid);
    ASSERT_EQ(posted->Form().ClassName(), "TfEdPostPurchReturnOrder");
    testing::TriggerAction(*posted, "acPrint");
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    for (const char* printed : {"ВРЪЩАНЕ НА СТОКА КЪМ ДОСТАВЧИК № \\d{10}", "1008\\s+Кисело мляко\\s+бр\\.\\s+4\\s+0,95"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(printed)))) << printed << "\n" << text.toStdString();
    const TRequestResult ordered = YoghurtLine();
    ASSERT_EQ(ordered.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(ordered.ByName("ReceivedQty").AsFloat(), 14.0);
    EXPECT_DOUBLE_EQ(ordered.ByName("QtyToReceive").AsFloat(), 14.0);
    ExpectNoFailures();
}

// Four yoghurts were sent back by mistake. The buyer cannot annul the delivery while the return
// stands and is told which return to annul first; he finds the return among the posted returns
// and rejections, annuls it from its view, and the order shows nothing returned again.
TEST_F(OrderJourney, AReturnSentByMistakeIsAnnulledFromItsViewAndTheOrderGetsItsGoodsBack) {
    RunScenario("order N_Contragent_Code=5003 DocSubType_Id=SD-510 DocumentDate=2026-11-02\n"
                "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
                "operation Name=Receive DocumentDate=2026-11-05 PostingDate=2026-11-05\n"
                "bufferline Line=1 Quantity=14\n"
                "post\n"
                "operation Name=Return DocumentDate=2026-11-06 PostingDate=2026-11-06\n"
                "bufferline Line=1 Quantity=4\n"
                "post\n");
    TFormHostWidget* receipt = OpenRow(*OpenFromMenu("TfBrPostedReceipt")->Grid("dbgMaster"));
    ASSERT_EQ(receipt->Form().ClassName(), "TfEdPostedReceipt");
    ExpectAnnulment("Грешна доставка");
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*receipt, "acAnnulDocument");
    EXPECT_TRUE(ShownMessage(QStringLiteral("с връщане № 0000000001. Анулирайте първо връщането."))) << answerer.Shown().join("\n").toStdString();
    ExpectNoFailures();

    TDataGrid* returns = OpenFromMenu("TfBrPostPurchOrder")->Grid("dbgMaster");
    ASSERT_EQ(returns->Model().rowCount(), 1);
    TFormHostWidget* posted = OpenRow(*returns);
    ASSERT_EQ(posted->Form().ClassName(), "TfEdPostPurchReturnOrder");
    ExpectAnnulment("Грешно връщане");
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*posted, "acAnnulDocument");
    EXPECT_TRUE(ShownMessage("Връщане към доставчик № 0000000001 е анулирано.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* order = OpenRow(*OpenFromMenu("TfBrPurchOrder")->Grid("dbgMaster"));
    ASSERT_EQ(order->Form().ClassName(), "TfEdPurchOrder");
    const TDataSetModel& lines = order->Grid("dbgDetail")->Model();
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 0, "ReceivedQty").AsFloat(), 14.0);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 0, "ReturnedQty").AsFloat(), 0.0);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 0, "QtyToReceive").AsFloat(), 10.0);
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
