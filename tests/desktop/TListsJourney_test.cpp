#include <QAction>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"

namespace tavrek::desktop {
namespace {

// Two open invoices for the invoice list, the newer one of vendor V02.
void ArrangeInvoices(server::EmbeddedServer& server) {
    server.Database().Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentNo, DocumentDate, "
        "TotalValue, VATValue, TotalVAT, TotalVAT_LCY) VALUES "
        "('{O1}', 'DEMO', 1, 'SD-520', 'V01', '0000000101', 46201, 120, 24, 144, 144),"
        "('{O2}', 'DEMO', 1, 'SD-520', 'V02', '0000000102', 46202, 50, 10, 60, 60)");
}

// The buyer's way through the invoice list, from the "Покупки" menu, by the widgets' names.
class ListsJourneyTest : public testing::DemoClientTest {
protected:
    ListsJourneyTest() { StartClient({1280, 800}, ArrangeInvoices); }

    TFormHostWidget* ActiveHost() { return client->Window().ActiveHost(); }
};

TEST_F(ListsJourneyTest, TheInvoiceListShowsNewestFirstAndOpensTheEditorOnADoubleClick) {
    TFormHostWidget* list = OpenFromMenu("TfBrPurchase");
    ASSERT_NE(list, nullptr);
    TDataGrid* grid = list->Grid("dbgMaster");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->Model().rowCount(), 2);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), "0000000102");
    for (const char* name : {"acInsertRecord", "acDeleteRecord", "acPostDocument", "acPostAndPrintDocument", "acPrint",
                             "acEditRecord"})
        EXPECT_NE(testing::ToolAction(*list, name), nullptr) << name;
    Screenshot("invoice-list.png");

    const QModelIndex second = grid->Model().index(1, 1);
    grid->View().setCurrentIndex(second);
    const QPoint where = grid->View().visualRect(second).center();
    QTest::mouseClick(grid->View().viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(grid->View().viewport(), Qt::LeftButton, {}, where);
    QTest::qWait(20);
    TFormHostWidget* editor = ActiveHost();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->Form().ClassName(), "TfEdPurchase");
    EXPECT_EQ(editor->Form().cdsMaster.FieldByName("Id").AsString(), "{O1}");
    ExpectNoFailures();
}

// The order lines a buffer takes: Space on a row marks it and, pressed again, unmarks it; a
// click anywhere in its check cell does the same.
TEST_F(ListsJourneyTest, SpaceOrAClickMarksAnOpenOrderLineInTheOrderLineSelection) {
    client->Server().Database().Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo) VALUES "
        "('{P1}', 'DEMO', 22, 'V01', '0000000201');"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, ReceivedQty) VALUES "
        "('{P1}', '{P1-1}', 'DEMO', 1, 1, '1001', 10, 4), ('{P1}', '{P1-2}', 'DEMO', 2, 1, '1002', 6, 0)");
    ASSERT_TRUE(client->Window().OpenForm("TfBrSelectPurchOrder"));
    QTest::qWait(20);
    TDataGrid* grid = ActiveHost()->Grid("dbgMaster");
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->Model().rowCount(), 2);
    grid->View().setFocus();
    grid->View().selectRow(1);
    const QRect checkCell = grid->View().visualRect(grid->Model().index(1, 0));
    for (int press = 0; press < 4; ++press) {
        const int marked = press % 2 == 0 ? 1 : 0;
        // Away from the check box itself: the whole cell takes the click.
        if (press < 2) QTest::keyClick(&grid->View(), Qt::Key_Space);
        else QTest::mouseClick(grid->View().viewport(), Qt::LeftButton, {}, checkCell.topRight() + QPoint(-4, 4));
        EXPECT_EQ(testing::LineValue(grid->Model(), 1, "Marked").AsInteger(), marked);
        EXPECT_EQ(testing::LineValue(grid->Model(), 0, "Marked").AsInteger(), 0);
    }
    ExpectNoFailures();
}

// A buyer comes back to an order saved the day before: the order list opens it and the
// editor receives what is still open through a buffer.
TEST_F(ListsJourneyTest, AnOrderSavedBeforeIsFoundInTheOrderListAndReceived) {
    client->Server().Database().Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentNo, DocumentDate, "
        "DocStatus, CntrPostingGroup_Id, GenBusPostGroup_Id, VATBusPostGroup_Id, BusinessGroup_Id) VALUES "
        "('{P1}', 'DEMO', 22, 'SD-510', 'V01', '0000000201', 46360, 0, 'SUP-DOM', 'DOM', 'DOM', 'BG-SOF');"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Quantity, ReceivedQty, "
        "QtyPerUnitOfMeasure, DirectUnitCost_ACY, VATProdPostGroup_Id) VALUES "
        "('{P1}', '{P1-1}', 'DEMO', 1, 1, '1001', 10, 4, 1, 1.05, 'VAT20')");
    TFormHostWidget* list = OpenFromMenu("TfBrPurchOrder");
    ASSERT_NE(list, nullptr);
    TDataGrid* grid = list->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), "0000000201");
    EXPECT_FALSE(testing::ToolAction(*list, "acPostDocument")->isVisible());
    TFormHostWidget* order = OpenRow(*grid);
    ASSERT_EQ(order->Form().ClassName(), "TfEdPurchOrder");
    EXPECT_EQ(order->Form().cdsMaster.FieldByName("DocumentNo").AsString(), "0000000201");

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*order, "acReceive");
    TFormHostWidget* buffer = ActiveHost();
    ASSERT_EQ(buffer->Form().ClassName(), "TfEdPurchOrderBufer");
    ASSERT_EQ(buffer->Grid("dbgDetail")->Model().rowCount(), 1);
    EXPECT_DOUBLE_EQ(testing::LineValue(buffer->Grid("dbgDetail")->Model(), 0, "Quantity").AsFloat(), 6.0);
    ExpectNoFailures();
}

// Goods sent back and goods refused are found again in one list, each by its kind, and open
// in the view of that kind.
TEST_F(ListsJourneyTest, PostedReturnAndRejectionOrdersAreListedByKindAndOpenInTheirViews) {
    client->Server().Database().Exec(
        "INSERT INTO D_PostPurchOrderHeader (Id, Comp_Id, DocumentType, Contragent_Id, DocumentNo, DocumentDate, "
        "PostingDate, OrderNo, Annul) VALUES "
        "('{R1}', 'DEMO', 25, 'V03', '0000000001', 46360, 46360, '0000000201', 0),"
        "('{J1}', 'DEMO', 27, 'V03', '0000000001', 46361, 46361, '0000000201', 0)");
    TFormHostWidget* list = OpenFromMenu("TfBrPostPurchOrder");
    ASSERT_NE(list, nullptr);
    TDataGrid* grid = list->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 2);
    const int kind = testing::ColumnOf(grid->Model(), "Вид");
    QStringList kinds;
    for (int row = 0; row < 2; ++row) kinds << grid->Model().data(grid->Model().index(row, kind)).toString();
    kinds.sort();
    EXPECT_EQ(kinds, (QStringList{"Върната", "Отказана"}));
    for (const auto& [id, view] : {std::pair{"{R1}", "TfEdPostPurchReturnOrder"}, {"{J1}", "TfEdPostPurchRejectOrder"}}) {
        SCOPED_TRACE(view);
        int row = 0;
        while (row < 2 && testing::LineValue(grid->Model(), row, "Id").AsString() != id) ++row;
        EXPECT_EQ(OpenRow(*grid, row)->Form().ClassName(), view);
        client->Window().ActivateForm(list->Form());
    }
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
