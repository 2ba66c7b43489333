#include <QLineEdit>
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

// Vendor 5003 invoiced 10 x 0.95 and 3 x 11.00, at 20 % and 9 %; the invoice was typed,
// saved and posted before the journey starts.
const char* const kPostedInvoice =
    "header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=0000099001 DocumentDate=2026-11-20\n"
    "line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=10 DirectUnitCost_ACY=0.95 LineDiscount=0\n"
    "line Code=1035 VATProdPostGroup_Id=VAT9 Quantity=3 DirectUnitCost_ACY=11.00 LineDiscount=0\n"
    "recalculate\n"
    "post\n";

// The accountant charges the company the VAT of a posted invoice by a protocol: generated
// from the invoice's view, it opens in the protocol editor, is posted, and is then found
// among the posted documents and printed.
class ProtocolJourney : public testing::DemoClientTest {
protected:
    ProtocolJourney() {
        StartClient({1280, 800});
        RunScenario(kPostedInvoice);
    }

    // Opens, with Enter, the row of the list whose first column reads number, of the subtype:
    // an invoice and its protocol are numbered from series of their own.
    TFormHostWidget* OpenRow(TFormHostWidget& list, const QString& number, const char* subType) {
        TDataGrid* grid = list.Grid("dbgMaster");
        for (int row = 0; row < grid->Model().rowCount(); ++row) {
            if (grid->Model().data(grid->Model().index(row, 0)).toString() != number ||
                testing::LineValue(grid->Model(), row, "DocSubType_Id").AsString() != subType)
                continue;
            grid->View().setFocus();
            grid->View().setCurrentIndex(grid->Model().index(row, 1));
            QTest::keyClick(&grid->View(), Qt::Key_Return);
            QTest::qWait(20);
            return ActiveHost();
        }
        return nullptr;
    }

    QString Field(TFormHostWidget& host, const char* name) {
        auto* edit = host.findChild<QLineEdit*>(name);
        return edit == nullptr ? QString() : edit->text();
    }
};

TEST_F(ProtocolJourney, AProtocolOfAPostedInvoiceIsPostedFoundAndPrinted) {
    TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(list, nullptr);
    TFormHostWidget* invoice = OpenRow(*list, "0000000001", "SD-520");
    ASSERT_NE(invoice, nullptr);
    ASSERT_EQ(invoice->Form().ClassName(), "TfEdPostedPurchInvoice");
    testing::TriggerAction(*invoice, "acGeneratePurchProtocol");

    TFormHostWidget* protocol = ActiveHost();
    ASSERT_NE(protocol, nullptr);
    ASSERT_EQ(protocol->Form().ClassName(), "TfEdPurchProtocol");
    // 9.50 at 20 % is 1.90 and 33.00 at 9 % is 2.97: 42.50 and 4.87 of VAT, 47.37 in all.
    EXPECT_EQ(Field(*protocol, "VendorInvoiceNo"), "0000099001");
    EXPECT_EQ(Field(*protocol, "TotalValue"), "42.50");
    EXPECT_EQ(Field(*protocol, "VATValue"), "4.87");
    EXPECT_EQ(Field(*protocol, "TotalVAT"), "47.37");
    EXPECT_EQ(protocol->Grid("dbgDetail")->Model().rowCount(), 2);
    const QString number = Field(*protocol, "DocumentNo");
    ASSERT_FALSE(number.isEmpty());
    Screenshot("vat-protocol.png");

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*protocol, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Протоколът е осчетоводен с номер")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* posted = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(posted, nullptr);
    TFormHostWidget* view = OpenRow(*posted, number, "SD-560");
    ASSERT_NE(view, nullptr) << "the posted protocol is listed under its number";
    testing::TriggerAction(*view, "acPrint");
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    // The protocol's subtype has no layout of its own yet: its fields are listed.
    for (const QString& figures : {"Номер\\s+" + number, QString("Протокол по чл. 117 ЗДДС"), QString("Сума без ДДС\\s+42.50"),
                                   QString("ДДС\\s+4.87"), QString("Сума с ДДС\\s+47.37")})
        EXPECT_TRUE(text.contains(QRegularExpression(figures))) << figures.toStdString() << "\n" << text.toStdString();
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
