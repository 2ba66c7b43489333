#include <QAction>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"

namespace tavrek::desktop {
namespace {

// Vendor 5003 forgot the transport of its last delivery and charges it by a debit memo: a line
// on the services account, typed, posted and printed on the debit memo's own layout.
class DebitMemoJourney : public testing::DemoClientTest {
protected:
    DebitMemoJourney() { StartClient({1400, 860}); }

    void TypeLineCell(TDataGrid& grid, const char* caption, const QString& text) {
        testing::TypeIntoCell(grid.View(), grid.Model().index(0, testing::ColumnOf(grid.Model(), caption)), text, 600);
    }
};

TEST_F(DebitMemoJourney, AForgottenChargeIsTypedPostedAndPrinted) {
    TFormHostWidget* memo = OpenFromMenu("TfEdPurchDebitMemo");
    ASSERT_NE(memo, nullptr);
    testing::TriggerAction(*memo, "acInsertRecord");
    testing::TypeIntoField(*memo, "N_SubDocument_Code", "530");
    testing::TypeIntoField(*memo, "N_Contragent_Code", "5003");
    testing::TypeIntoField(*memo, "VendorInvoiceNo", "0000077090");
    TDataGrid* lines = memo->Grid("dbgDetail");
    lines->View().setFocus();
    QTest::keyClick(&lines->View(), Qt::Key_Insert);
    TypeLineCell(*lines, "Вид", "2");
    TypeLineCell(*lines, "Код", "602");
    EXPECT_EQ(testing::LineValue(lines->Model(), 0, "Description").AsString(), "Разходи за външни услуги");
    EXPECT_EQ(testing::LineValue(lines->Model(), 0, "VATProdPostGroup_Id").AsString(), "VAT20");
    TypeLineCell(*lines, "Количество", "1");
    TypeLineCell(*lines, "Ед. цена", "35");
    testing::TriggerAction(*memo, "acSave");
    ExpectNoFailures();
    EXPECT_DOUBLE_EQ(memo->Form().cdsMaster.FieldByName("TotalVAT").AsFloat(), 42.0);

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*memo, "acPostAndPrintDocument");
    ExpectNoFailures();
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("ДЕБИТНО ИЗВЕСТИЕ ЗА ПОКУПКА № \\d{10}")))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("602\\s+Разходи за")))) << text.toStdString();
    for (const char* figures : {"ДДС 20 % върху 35,00\\s+7,00 EUR", "Сума за плащане\\s+42,00 EUR"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(figures)))) << figures << "\n" << text.toStdString();
}

}  // namespace
}  // namespace tavrek::desktop
