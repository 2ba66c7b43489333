#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TDbFieldControl.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"

namespace tavrek::desktop {
namespace {

// An invoice of vendor V03 with a 20 % line (10 x 0.95) and a 9 % line (2.5 x 9.80), as the
// editor saves it, posted by the server; and two open invoices for the invoice list.
void ArrangeInvoices(server::EmbeddedServer& server) {
    server.Database().Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, VendorInvoiceNo, "
        "DocumentDate, PostingDate, BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, "
        "PayMethod_Id, CurrencyFactor, TotalValue, VATValue, TotalVAT, TotalValue_LCY, TotalVAT_LCY) "
        "SELECT '{P1}', 'DEMO', 1, 'SD-520', Id, '0000077001', 46200, 46200, 'BG-SOF', VATBusPostGroup_Id, "
        "GenBusPostGroup_Id, CntrPostingGroup_Id, PayMethod_Id, 1, 34, 4.11, 38.11, 34, 38.11 FROM N_Contragent "
        "WHERE Id = 'V03';"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, Quantity, "
        "DirectUnitCost_ACY, TotalPrice, VATProdPostGroup_Id, GenProdPostGroup_Id, VATPercent, VATBaseAmount, "
        "TotalValue, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, UnitCost_ACY, UnitCost_LCY) "
        "SELECT '{P1}', '{P1-' || Code || '}', 'DEMO', CASE Code WHEN '1008' THEN 1 ELSE 2 END, 1, Code, Name, "
        "PurchMeasure_Id, q, p, q * p, VATProdPostGroup_Id, GenProdPostGroup_Id, v, q * p, q * p, vat, q * p + vat, "
        "q * p, vat, q * p + vat, p, p FROM N_Item JOIN (SELECT '1008' AS c, 10.0 AS q, 0.95 AS p, 20.0 AS v, 1.90 AS vat "
        "UNION ALL SELECT '1010', 2.5, 9.80, 9.0, 2.21) v ON Code = c WHERE Comp_Id = 'DEMO';"
        "UPDATE D_PurchaseLine SET BusinessGroup_Id = 'BG-SOF', (VATBusPostGroup_Id, GenBusPostGroup_Id) = "
        "(SELECT VATBusPostGroup_Id, GenBusPostGroup_Id FROM D_PurchHeader WHERE Id = '{P1}') WHERE Master_Id = '{P1}';"
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentNo, DocumentDate, "
        "TotalValue, VATValue, TotalVAT, TotalVAT_LCY) VALUES "
        "('{O1}', 'DEMO', 1, 'SD-520', 'V01', '0000000101', 46201, 120, 24, 144, 144),"
        "('{O2}', 'DEMO', 1, 'SD-520', 'V02', '0000000102', 46202, 50, 10, 60, 60)");
    TVariantArray keys;
    if (server.PostPurchase("{P1}", keys) < 0) throw std::runtime_error("posting refused: " + server.LastRefusalText());
}

QString PdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000)) return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

// The buyer's way through the lists: from the "Покупки" menu to the posted invoice and its
// printout, by the widgets' names.
class ListsJourneyTest : public testing::DemoClientTest {
protected:
    ListsJourneyTest() { StartClient({1280, 800}, ArrangeInvoices); }

    TMainWindow& window() { return client->Window(); }
    TFormHostWidget* ActiveHost() { return window().ActiveHost(); }

    // Opens a form the way a person does: the menu item of the "Покупки" menu.
    TFormHostWidget* OpenFromMenu(const QString& className) {
        QAction* item = window().PurchaseMenu().findChild<QAction*>(className);
        if (item == nullptr)
            for (QMenu* sub : window().PurchaseMenu().findChildren<QMenu*>())
                for (QAction* action : sub->actions())
                    if (action->objectName() == className) item = action;
        if (item == nullptr) return nullptr;
        item->trigger();
        QTest::qWait(20);
        return ActiveHost();
    }

    void Screenshot(const QString& name) {
        if (QMdiSubWindow* active = window().Mdi().activeSubWindow()) active->showMaximized();
        QTest::qWait(50);
        const QString docs = QStringLiteral(TAVREK_TEST_DATA_DIR "/../docs");
        QDir().mkpath(docs);
        EXPECT_TRUE(window().grab().save(QDir(docs).filePath(name), "PNG")) << name.toStdString();
    }
};

TEST_F(ListsJourneyTest, APostedInvoiceIsFoundInItsListOpenedAndPrinted) {
    TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Form().ClassName(), "TfBrPostedPurchInvoice");
    TDataGrid* grid = list->Grid("dbgMaster");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->Model().rowCount(), 1);

    auto* search = list->findChild<QLineEdit*>("SearchText");
    ASSERT_NE(search, nullptr);
    testing::TypeText(*search, "77001");
    QTest::keyClick(search, Qt::Key_Return);
    QTest::qWait(20);
    ASSERT_EQ(grid->Model().rowCount(), 1);
    const QString number = grid->Model().data(grid->Model().index(0, 0)).toString();
    EXPECT_EQ(number, "0000000001");
    Screenshot("posted-invoice-list.png");

    grid->View().setFocus();
    grid->View().setCurrentIndex(grid->Model().index(0, 1));
    QTest::keyClick(&grid->View(), Qt::Key_Return);
    QTest::qWait(20);
    TFormHostWidget* view = ActiveHost();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Form().ClassName(), "TfEdPostedPurchInvoice");
    auto* documentNo = view->findChild<QLineEdit*>("DocumentNo");
    ASSERT_NE(documentNo, nullptr);
    EXPECT_EQ(documentNo->text(), number);
    EXPECT_TRUE(documentNo->isReadOnly());
    EXPECT_EQ(view->Grid("dbgDetail")->Model().rowCount(), 2);
    Screenshot("posted-invoice.png");

    QAction* print = testing::ToolAction(*view, "acPrint");
    ASSERT_NE(print, nullptr);
    print->trigger();
    QTest::qWait(20);
    const QString text = PdfText(window().LastPrintedFile());
    EXPECT_TRUE(text.contains("ФАКТУРА ЗА ПОКУПКА № " + number)) << text.toStdString();
    const QString vendor = QString::fromStdString(
        client->Server().Database().Select("SELECT Name FROM N_Contragent WHERE Id = 'V03'").Value().AsString());
    EXPECT_TRUE(text.contains(vendor)) << text.toStdString();
    // VAT per rate on each rate's base: 9 % of 24.50 and 20 % of 9.50.
    EXPECT_TRUE(text.contains(QRegularExpression("ДДС 9 % върху 24,50\\s+2,21 [A-Z]{3}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("ДДС 20 % върху 9,50\\s+1,90 [A-Z]{3}"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("Сума за плащане\\s+38,11 [A-Z]{3}"))) << text.toStdString();
    ExpectNoFailures();
}

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

}  // namespace
}  // namespace tavrek::desktop
