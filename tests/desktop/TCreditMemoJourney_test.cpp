#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
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

// Vendor 5003 invoiced 24 x 0.95 and 2.5 x 9.80 less 5 % at 20 %, and 3 x 11.00 at 9 %;
// the invoice was typed, saved and posted before the journey starts.
const char* const kPostedInvoice =
    "header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=0000088001 DocumentDate=2026-11-20\n"
    "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
    "line Code=1010 VATProdPostGroup_Id=VAT20 Quantity=2.5 DirectUnitCost_ACY=9.80 LineDiscount=5\n"
    "line Code=1035 VATProdPostGroup_Id=VAT9 Quantity=3 DirectUnitCost_ACY=11.00 LineDiscount=0\n"
    "recalculate\n"
    "post\n";

// Goods come back to the vendor: from the posted invoice a credit memo is generated, the
// quantities returned are typed, it is posted, found in its list and printed.
class CreditMemoJourney : public testing::DemoClientTest {
protected:
    CreditMemoJourney() {
        StartClient({1280, 800});
        RunScenario(kPostedInvoice);
    }

    TFormHostWidget* OpenFirstRow(TFormHostWidget& list) { return OpenRow(*list.Grid("dbgMaster")); }
};

TEST_F(CreditMemoJourney, ReturnedGoodsAreCreditedFromThePostedInvoiceAndPrinted) {
    TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(list, nullptr);
    TFormHostWidget* invoice = OpenFirstRow(*list);
    ASSERT_NE(invoice, nullptr);
    ASSERT_EQ(invoice->Form().ClassName(), "TfEdPostedPurchInvoice");
    testing::TriggerAction(*invoice, "acGenerateCrMemo");

    TFormHostWidget* memo = ActiveHost();
    ASSERT_NE(memo, nullptr);
    ASSERT_EQ(memo->Form().ClassName(), "TfEdPurchCrMemo");
    auto* credited = memo->findChild<QLineEdit*>("ToInvoiceNo");
    ASSERT_NE(credited, nullptr);
    for (int wait = 0; wait < 50 && credited->text().isEmpty(); ++wait) QTest::qWait(20);
    EXPECT_EQ(credited->text(), "0000088001");
    TDataGrid* lines = memo->Grid("dbgDetail");
    ASSERT_EQ(lines->Model().rowCount(), 3);
    const int quantity = testing::ColumnOf(lines->Model(), "Количество");
    // 4 of the 24 yoghurts and 1 kg of the 2.5 came back; the third line goes back whole.
    testing::TypeIntoCell(lines->View(), lines->Model().index(0, quantity), "4");
    testing::TypeIntoCell(lines->View(), lines->Model().index(1, quantity), "1", 600);
    testing::TriggerAction(*memo, "acSave");
    Screenshot("credit-memo.png");

    // The invoice is still owed: setting the memo off against it is proposed, and kept.
    answerer.Expect([](QWidget& dialog) {
        auto* options = dialog.findChild<QListWidget*>("lstOptions");
        ASSERT_NE(options, nullptr);
        auto* setOff = dialog.findChild<QCheckBox*>("chkFlag");
        EXPECT_TRUE(setOff != nullptr && setOff->isChecked());
        options->setCurrentRow(0);
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*memo, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Кредитно известие № 0000000001 е осчетоводено.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* memos = OpenFromMenu("TfBrPostPurchCrMemo");
    ASSERT_NE(memos, nullptr);
    TDataGrid* grid = memos->Grid("dbgMaster");
    ASSERT_EQ(grid->Model().rowCount(), 1);
    EXPECT_EQ(grid->Model().data(grid->Model().index(0, 0)).toString(), "0000000001");
    EXPECT_EQ(testing::LineValue(grid->Model(), 0, "Remaining").AsFloat(), 0.0) << "all of it set off";
    TFormHostWidget* posted = OpenFirstRow(*memos);
    ASSERT_NE(posted, nullptr);
    ASSERT_EQ(posted->Form().ClassName(), "TfEdPostedPurchCrMemo");
    Screenshot("posted-credit-memo.png");
    testing::TriggerAction(*posted, "acPrint");
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    // 4 x 0.95 = 3.80 and 9.80 less 5 % = 9.31 at 20 %: 2.62 VAT on 13.11; 33.00 at 9 %: 2.97;
    // 46.11 without VAT, 5.59 VAT, 51.70 in all; on the credit memo layout, in Bulgarian figures.
    EXPECT_TRUE(text.contains(QStringLiteral("КРЕДИТНО ИЗВЕСТИЕ ЗА ПОКУПКА № 0000000001"))) << text.toStdString();
    for (const char* figures : {"20\\s+3,80", "20\\s+9,31", "ДДС 20 % върху 13,11\\s+2,62 EUR",
                                "ДДС 9 % върху 33,00\\s+2,97 EUR", "Данъчна основа\\s+46,11 EUR",
                                "Сума за плащане\\s+51,70 EUR"})
        EXPECT_TRUE(text.contains(QRegularExpression(QString::fromUtf8(figures)))) << figures << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("Към фактура №:\\s+0000088001"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("Дата на фактурата:\\s+20.11.2026"))) << text.toStdString();
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
