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

using testing::TypeIntoField;

// A buyer pays vendor 5003 120.00 in advance (100.00 and 20 % VAT), books it, and sets it
// off on the vendor's invoice for 200 yoghurts when the goods come.
class AdvancePaymentJourney : public testing::DemoClientTest {
protected:
    AdvancePaymentJourney() { StartClient({1400, 860}); }

    // The posted advance is found among the posted invoices, opens in its own view and prints.
    void FindPostedAdvance() {
        TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
        ASSERT_NE(list, nullptr);
        auto* search = list->findChild<QLineEdit*>("SearchText");
        ASSERT_NE(search, nullptr);
        testing::TypeText(*search, "ADV-77010");
        QTest::keyClick(search, Qt::Key_Return);
        QTest::qWait(20);
        TDataGrid& found = *list->Grid("dbgMaster");
        ASSERT_EQ(found.Model().rowCount(), 1);
        TFormHostWidget* posted = OpenRow(found);
        ASSERT_EQ(posted->Form().ClassName(), "TfEdPostPurchAdvancePayment");
        testing::TriggerAction(*posted, "acPrint");
        const QString text = testing::PdfText(client->Window().LastPrintedFile());
        EXPECT_TRUE(text.contains(QStringLiteral("ФАКТУРА ЗА АВАНСОВО ПЛАЩАНЕ № 0000000001"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("Фактура на доставчика:\\s+ADV-77010"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("Сума за плащане\\s+120,00 EUR"))) << text.toStdString();
    }

    TRequestResult Stored(const std::string& table, const std::string& fields, const TFilter& filter) const {
        TRequestResult rows;
        dm().Server().RequestValue(0, table, fields, filter, rows, true);
        return rows;
    }
};

TEST_F(AdvancePaymentJourney, AnAdvanceIsPaidPostedAndSetOffOnTheVendorsInvoice) {
    TFormHostWidget* advance = OpenFromMenu("TfEdPurchAdvancePayment");
    ASSERT_NE(advance, nullptr);
    testing::TriggerAction(*advance, "acInsertRecord");
    ASSERT_EQ(advance->Grid("dbgDetail")->Model().rowCount(), 1) << "a new advance has its one line at once";
    // A new advance is of the advances' subtype from the start: it numbers and prints as one.
    EXPECT_EQ(advance->Form().cdsMaster.FieldByName("N_SubDocument_Code").AsString(), "550");
    TypeIntoField(*advance, "N_Contragent_Code", "5003");
    TypeIntoField(*advance, "VendorInvoiceNo", "ADV-77010");
    // The advances account proposes its name and the 20 % VAT an advance bears.
    TypeIntoField(*advance, "Code", "4091");
    TypeIntoField(*advance, "DirectUnitCost_ACY", "100");
    TClientDataSet& header = advance->Form().cdsMaster;
    EXPECT_EQ(testing::LineValue(advance->Grid("dbgDetail")->Model(), 0, "Description").AsString(),
              "Предоставени аванси на доставчици");
    EXPECT_EQ(testing::LineValue(advance->Grid("dbgDetail")->Model(), 0, "VATProdPostGroup_Id").AsString(), "VAT20");
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalVAT").AsFloat(), 120.0);
    Screenshot("advance-payment.png");
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*advance, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Авансово плащане № 0000000001 е осчетоводено.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();
    FindPostedAdvance();
    const TRequestResult open = Stored("G_LAccountDimension", "sAmount",
                                       TFilter().Add("G_LAccountDimension.Reference_Id", "=", "V03"));
    ASSERT_EQ(open.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(open.Value().AsFloat(), 100.0);

    // The goods come: 200 yoghurts at 0.95 on the vendor's invoice, less the advance.
    TFormHostWidget* invoice = OpenFromMenu("TfEdPurchase");
    ASSERT_NE(invoice, nullptr);
    testing::TriggerAction(*invoice, "acInsertRecord");
    TypeIntoField(*invoice, "N_SubDocument_Code", "520");
    TypeIntoField(*invoice, "N_Contragent_Code", "5003");
    TypeIntoField(*invoice, "VendorInvoiceNo", "0000077011");
    TDataGrid* lines = invoice->Grid("dbgDetail");
    lines->View().setFocus();
    QTest::keyClick(&lines->View(), Qt::Key_Insert);
    testing::TypeIntoCell(lines->View(), lines->Model().index(0, testing::ColumnOf(lines->Model(), "Код")), "1008");
    testing::TypeIntoCell(lines->View(), lines->Model().index(0, testing::ColumnOf(lines->Model(), "Количество")),
                          "200", 600);
    answerer.Expect([](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog); });
    testing::TriggerAction(*invoice, "acAddAdvancePayment");
    ASSERT_EQ(lines->Model().rowCount(), 2);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines->Model(), 1, "DirectUnitCost_ACY").AsFloat(), -100.0);
    QTest::keyClick(&lines->View(), Qt::Key_F9);
    QTest::qWait(20);
    // 200 x 0.95 = 190.00 less 100.00 is 90.00; VAT 20 % of it 18.00.
    EXPECT_DOUBLE_EQ(invoice->Form().cdsMaster.FieldByName("TotalVAT").AsFloat(), 108.0);
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*invoice, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Фактура № 0000000002 е осчетоводена.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();
    EXPECT_DOUBLE_EQ(Stored("G_LAccountDimension", "sAmount", TFilter().Add("G_LAccountDimension.Reference_Id", "=", "V03"))
                         .Value()
                         .AsFloat(),
                     0.0)
        << "the advance is used up";
    const TRequestResult owed = Stored("G_ContragentEntry", "SUM(Remaining) AS Owed",
                                       TFilter().Add("G_ContragentEntry.Contragent_Id", "=", "V03"));
    EXPECT_DOUBLE_EQ(owed.Value().AsFloat(), -228.0) << "120.00 paid in advance and 108.00 still owed";
}

}  // namespace
}  // namespace tavrek::desktop
