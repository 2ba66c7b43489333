#include <QAction>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/data/TFilter.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridView.h"
#include "desktop/TMainWindow.h"

namespace tavrek::desktop {
namespace {

using testing::TypeText;

// A buyer takes a vendor's offer down and orders it: from the menu the offer list, a new
// offer by keyboard, saved and turned into an order, which opens in the order editor.
class OfferJourney : public testing::DemoClientTest {
protected:
    OfferJourney() { StartClient({1400, 860}); }

    TFormHostWidget* ActiveHost() { return client->Window().ActiveHost(); }

    void TypeField(TFormHostWidget& host, const char* field, const QString& text) {
        QWidget* control = host.findChild<QWidget*>(field);
        ASSERT_NE(control, nullptr) << field;
        auto* edit = qobject_cast<QLineEdit*>(control);
        if (edit == nullptr) edit = control->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr) << field;
        edit->setFocus();
        edit->selectAll();
        TypeText(*edit, text);
        QTest::keyClick(edit, Qt::Key_Tab);
        QTest::qWait(10);
    }

    // A new line by Insert, then its cells typed one by one under their captions.
    void TypeLine(TFormHostWidget& host, int row, std::initializer_list<std::pair<const char*, const char*>> cells) {
        TDataGrid& grid = *host.Grid("dbgDetail");
        grid.View().setFocus();
        QTest::keyClick(&grid.View(), Qt::Key_Insert);
        QTest::qWait(10);
        for (const auto& [caption, text] : cells)
            testing::TypeIntoCell(grid.View(), grid.Model().index(row, testing::ColumnOf(grid.Model(), caption)), text, 300);
    }


    TRequestResult Stored(const std::string& fields, int documentType) {
        TRequestResult rows;
        dm().Server().RequestValue(0, "D_PurchHeader", fields,
                                   TFilter().Add("D_PurchHeader.DocumentType", "=", documentType), rows, true);
        return rows;
    }
};

// Vendor 5001 sells flour 1001 at 1.05 less its 2 % assortment discount: 8 bags are 8.23 at
// 20 %; the schoolbook 1035 is not in its price list: 3 at a typed 11.00 are 33.00 at 9 %.
// Without VAT 41.23, VAT 1.65 + 2.97 = 4.62, with VAT 45.85.
TEST_F(OfferJourney, AnOfferTypedByKeyboardBecomesAnOrderThatOpensInItsEditor) {
    TFormHostWidget* list = OpenFromMenu("TfBrPurchOffer");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Form().ClassName(), "TfBrPurchOffer");
    TDataGrid* offers = list->Grid("dbgMaster");
    ASSERT_NE(offers, nullptr);
    EXPECT_EQ(offers->Model().rowCount(), 0);
    offers->View().setFocus();
    QTest::keyClick(&offers->View(), Qt::Key_Insert);
    QTest::qWait(20);

    TFormHostWidget* offer = ActiveHost();
    ASSERT_NE(offer, nullptr);
    ASSERT_EQ(offer->Form().ClassName(), "TfEdPurchOffer");
    TypeField(*offer, "N_SubDocument_Code", "500");
    TypeField(*offer, "N_Contragent_Code", "5001");
    EXPECT_EQ(offer->Form().cdsMaster.FieldByName("N_Contragent_Name").AsString(), "Мелница Добруджа ООД");
    TypeLine(*offer, 0, {{"Код", "1001"}, {"Количество", "8"}});
    TypeLine(*offer, 1, {{"Код", "1035"}, {"Количество", "3"}, {"Ед. цена", "11"}});
    QTest::keyClick(&offer->Grid("dbgDetail")->View(), Qt::Key_F9);
    QTest::qWait(10);
    testing::TriggerAction(*offer, "acSave");
    const TRequestResult saved = Stored("Id,TotalValue,VATValue,TotalVAT", 20);
    ASSERT_EQ(saved.Rows.size(), 1u);
    EXPECT_DOUBLE_EQ(saved.ByName("TotalValue").AsFloat(), 41.23);
    EXPECT_DOUBLE_EQ(saved.ByName("VATValue").AsFloat(), 4.62);
    EXPECT_DOUBLE_EQ(saved.ByName("TotalVAT").AsFloat(), 45.85);
    ExpectNoFailures();

    testing::TriggerAction(*offer, "acCreateOrder");
    TFormHostWidget* order = ActiveHost();
    ASSERT_NE(order, nullptr);
    ASSERT_EQ(order->Form().ClassName(), "TfEdPurchOrder");
    const TRequestResult made = Stored("Id,DocumentNo,AppliesToDoc_Id,TotalVAT", 22);
    ASSERT_EQ(made.Rows.size(), 1u);
    EXPECT_EQ(made.ByName("AppliesToDoc_Id").AsString(), saved.ByName("Id").AsString());
    EXPECT_EQ(order->Form().cdsMaster.FieldByName("Id").AsString(), made.ByName("Id").AsString());
    auto* number = order->findChild<QLineEdit*>("DocumentNo");
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->text(), "0000000001");
    TDataSetModel& lines = order->Grid("dbgDetail")->Model();
    ASSERT_EQ(lines.rowCount(), 2);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 0, "QtyToReceive").AsFloat(), 8);
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 1, "TotalValue").AsFloat(), 33);
    EXPECT_DOUBLE_EQ(made.ByName("TotalVAT").AsFloat(), 45.85);
    EXPECT_EQ(offer->Form().cdsMaster.FieldByName("DocStatus").AsInteger(), 1) << "the offer shows it converted";
    Screenshot("offer-to-order.png");
    ExpectNoFailures();

    // A second order of the same offer is refused with the server's reason.
    answerer.ExpectMessage(QMessageBox::Ok);
    testing::TriggerAction(*offer, "acCreateOrder");
    EXPECT_TRUE(ShownMessage("Офертата вече е превърната")) << answerer.Shown().join("; ").toStdString();
    EXPECT_EQ(Stored("Id", 22).Rows.size(), 1u);
    ExpectNoFailures();

    testing::TriggerAction(*list, "acRefresh");
    ASSERT_EQ(offers->Model().rowCount(), 1);
    EXPECT_EQ(testing::LineValue(offers->Model(), 0, "DocStatus").AsInteger(), 1) << "the list shows it converted";
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
