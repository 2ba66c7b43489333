#include <QLineEdit>
#include <QRegularExpression>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
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
// among the posted documents and printed; found wrong, it is annulled from its view, and the
// invoice has a new one.
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
            return DemoClientTest::OpenRow(*grid, row);
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
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*invoice, "acGeneratePurchProtocol");

    TFormHostWidget* protocol = ActiveHost();
    ASSERT_NE(protocol, nullptr);
    ASSERT_EQ(protocol->Form().ClassName(), "TfEdPurchProtocol");
    // 9.50 at 20 % is 1.90 and 33.00 at 9 % is 2.97: 42.50 and 4.87 of VAT, 47.37 in all.
    EXPECT_EQ(Field(*protocol, "VendorInvoiceNo"), "0000099001");
    EXPECT_EQ(Field(*protocol, "TotalValue"), "42,50");
    EXPECT_EQ(Field(*protocol, "VATValue"), "4,87");
    EXPECT_EQ(Field(*protocol, "TotalVAT"), "47,37");
    EXPECT_EQ(protocol->Grid("dbgDetail")->Model().rowCount(), 2);
    const QString number = Field(*protocol, "DocumentNo");
    ASSERT_FALSE(number.isEmpty());
    EXPECT_TRUE(ShownMessage("Протокол № " + number + " е създаден.")) << answerer.Shown().join("; ").toStdString();
    Screenshot("vat-protocol.png");

    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*protocol, "acPostDocument");
    EXPECT_TRUE(ShownMessage("Протокол № 0000000001 е осчетоводен.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();

    TFormHostWidget* posted = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(posted, nullptr);
    TFormHostWidget* view = OpenRow(*posted, number, "SD-560");
    ASSERT_NE(view, nullptr) << "the posted protocol is listed under its number";
    testing::TriggerAction(*view, "acPrint");
    const QString text = testing::PdfText(client->Window().LastPrintedFile());
    // Its own layout: the vendor's invoice it charges, the VAT per rate, and no sum to pay.
    for (const QString& figures :
         {"ПРОТОКОЛ ПО ЧЛ. 117 ЗДДС № " + number, QString("Към фактура №:\\s+0000099001"),
          QString("Дата на фактурата:\\s+20.11.2026"), QString("бр.\\s+10\\s+0,95\\s+0,00\\s+20\\s+9,50"),
          QString("Данъчна основа\\s+42,50"),
          QString("ДДС 9 % върху 33,00\\s+2,97"), QString("ДДС 20 % върху 9,50\\s+1,90"), QString("Общо ДДС\\s+4,87"),
          QString("Стойност с ДДС\\s+47,37")})
        EXPECT_TRUE(text.contains(QRegularExpression(figures))) << figures.toStdString() << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("Сума за плащане")) << text.toStdString();
    ExpectNoFailures();

    answerer.Expect([](QWidget& dialog) {
        auto* description = dialog.findChild<QLineEdit*>("edtAnnulDescription");
        ASSERT_NE(description, nullptr);
        description->setText(QStringLiteral("Грешен протокол"));
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    answerer.ExpectMessage(QMessageBox::Yes);
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*view, "acAnnulDocument");
    EXPECT_TRUE(ShownMessage("Протокол № " + number + " е анулиран.")) << answerer.Shown().join("; ").toStdString();
    ExpectNoFailures();
    TRequestResult annulled;
    dm().Server().RequestValue(0, "D_PurchInvoiceHeader", "Annul, AnnulDescription",
                               TFilter()
                                   .Add("D_PurchInvoiceHeader.DocumentNo", "=", number.toStdString(), "AND")
                                   .Add("D_PurchInvoiceHeader.DocSubType_Id", "=", "SD-560"),
                               annulled, false);
    ASSERT_FALSE(annulled.Empty());
    EXPECT_EQ(annulled.ByName("Annul").AsInteger(), 1);
    EXPECT_EQ(annulled.ByName("AnnulDescription").AsString(), "Грешен протокол");

    TFormHostWidget* invoices = OpenFromMenu("TfBrPostedPurchInvoice");
    ASSERT_NE(invoices, nullptr);
    TFormHostWidget* again = OpenRow(*invoices, "0000000001", "SD-520");
    ASSERT_NE(again, nullptr);
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*again, "acGeneratePurchProtocol");
    TFormHostWidget* second = ActiveHost();
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->Form().ClassName(), "TfEdPurchProtocol") << answerer.Shown().join("; ").toStdString();
    EXPECT_EQ(Field(*second, "TotalVAT"), "47,37");
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
