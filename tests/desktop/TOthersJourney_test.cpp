#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableWidget>
#include <QTest>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridFooter.h"
#include "desktop/TMainWindow.h"
#include "server/EmbeddedServer.h"

namespace tavrek::desktop {
namespace {

// A posted invoice of vendor V03 (10 x 1008, VAT included 11.40), an open invoice of the
// same vendor with a line of the same item, and an empty invoice of V01, whose advance of
// 200.00 the demo company brings.
void ArrangeInvoices(server::EmbeddedServer& server) {
    server.Database().Exec(
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentNo, "
        "VendorInvoiceNo, "
        "DocumentDate, PostingDate, BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, "
        "PayMethod_Id, "
        "CurrencyFactor, TotalValue, VATValue, TotalVAT, TotalValue_LCY, TotalVAT_LCY) "
        "SELECT k, 'DEMO', 1, 'SD-520', Id, n, '0000077001', 46200, 46200, 'BG-SOF', VATBusPostGroup_Id, "
        "GenBusPostGroup_Id, "
        "CntrPostingGroup_Id, PayMethod_Id, 1, 9.5, 1.9, 11.4, 9.5, 11.4 FROM N_Contragent JOIN (SELECT '{P1}' AS k, "
        "NULL AS n UNION ALL SELECT '{O1}', '0000000101') d ON 1 = 1 WHERE Id = 'V03';"
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, Quantity, "
        "DirectUnitCost_ACY, TotalPrice, VATProdPostGroup_Id, GenProdPostGroup_Id, VATPercent, VATBaseAmount, "
        "TotalValue, "
        "VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, UnitCost_ACY, UnitCost_LCY, BusinessGroup_Id, "
        "VATBusPostGroup_Id, GenBusPostGroup_Id) SELECT h.Id, h.Id || '-1', 'DEMO', 1, 1, i.Code, i.Name, "
        "i.PurchMeasure_Id, 10, 0.95, 9.5, i.VATProdPostGroup_Id, i.GenProdPostGroup_Id, 20, 9.5, 9.5, 1.9, 11.4, 9.5, "
        "1.9, 11.4, 0.95, 0.95, 'BG-SOF', h.VATBusPostGroup_Id, h.GenBusPostGroup_Id FROM D_PurchHeader h JOIN N_Item "
        "i "
        "ON i.Code = '1008' AND i.Comp_Id = 'DEMO' WHERE h.Id IN ('{P1}', '{O1}');"
        "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, Contragent_Id, DocumentNo, DocumentDate, "
        "BusinessGroup_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, PayMethod_Id, CurrencyFactor) "
        "SELECT '{A1}', 'DEMO', 1, 'SD-520', Id, '0000000102', 46201, 'BG-SOF', VATBusPostGroup_Id, "
        "GenBusPostGroup_Id, "
        "CntrPostingGroup_Id, PayMethod_Id, 1 FROM N_Contragent WHERE Id = 'V01'");
    TVariantArray keys;
    if (server.PostPurchase("{P1}", keys) < 0) throw std::runtime_error("posting refused: " + server.LastRefusalText());
}

// From the invoice editor's side panel a buyer looks up the item and the vendor: the item
// card, the item's history and the vendor's open entries, each in a window of its own.
class OthersJourney : public testing::DemoClientTest {
protected:
    OthersJourney() { StartClient({1400, 860}, ArrangeInvoices); }

    TMainWindow& window() { return client->Window(); }

    // An open invoice from the invoice list, by a double click on the row of its number.
    TFormHostWidget* OpenInvoice(const QString& number) {
        TFormHostWidget* list = OpenFromMenu("TfBrPurchase");
        if (list == nullptr) return nullptr;
        TDataGrid* grid = list->Grid("dbgMaster");
        QModelIndex row;
        for (int r = 0; r < grid->Model().rowCount(); ++r)
            if (grid->Model().data(grid->Model().index(r, 0)).toString() == number) row = grid->Model().index(r, 1);
        if (!row.isValid()) return nullptr;
        grid->View().setCurrentIndex(row);
        const QPoint where = grid->View().visualRect(row).center();
        QTest::mouseClick(grid->View().viewport(), Qt::LeftButton, {}, where);
        QTest::mouseDClick(grid->View().viewport(), Qt::LeftButton, {}, where);
        QTest::qWait(20);
        return window().ActiveHost();
    }

    // The posted invoice from its list, by Enter on its row.
    TFormHostWidget* OpenPostedInvoice() {
        TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
        if (list == nullptr) return nullptr;
        TDataGrid& rows = *list->Grid("dbgMaster");
        if (rows.Model().rowCount() != 1) return nullptr;
        rows.View().setFocus();
        rows.View().setCurrentIndex(rows.Model().index(0, 1));
        QTest::keyClick(&rows.View(), Qt::Key_Return);
        QTest::qWait(20);
        TFormHostWidget* invoice = window().ActiveHost();
        return invoice->Form().ClassName() == "TfEdPostedPurchInvoice" ? invoice : nullptr;
    }

    // Clicks a row of a list of the side panel, by the list's caption, and returns the
    // window that opened.
    TFormHostWidget* ClickPanelRow(TFormHostWidget& editor, const QString& list, int row) {
        window().Mdi().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(editor.parentWidget()));
        QWidget* panel = editor.findChild<QWidget*>("pFloat");
        if (panel == nullptr) return nullptr;
        for (QGroupBox* box : panel->findChildren<QGroupBox*>()) {
            if (box->title().trimmed() != list) continue;
            auto* table = box->findChild<QTableWidget*>();
            const QRect cell = table->visualItemRect(table->item(row, 0));
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::qWait(20);
            return window().ActiveHost();
        }
        return nullptr;
    }
};

TEST_F(OthersJourney, FromTheSidePanelTheItemCardTheItemHistoryAndTheVendorEntriesOpen) {
    TFormHostWidget* editor = OpenInvoice("0000000101");
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->Form().ClassName(), "TfEdPurchase");
    ASSERT_EQ(editor->Grid("dbgDetail")->Model().rowCount(), 1);

    TFormHostWidget* card = ClickPanelRow(*editor, "Артикул", 0);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->Form().ClassName(), "TfEdItem");
    auto* name = card->findChild<QLineEdit*>("Name");
    ASSERT_NE(name, nullptr);
    const QString itemName = QString::fromStdString(
        client->Server().Database().Select("SELECT Name FROM N_Item WHERE Code = '1008'").Value().AsString());
    EXPECT_EQ(name->text(), itemName);

    TFormHostWidget* history = ClickPanelRow(*editor, "Артикул", 1);
    ASSERT_NE(history, nullptr);
    ASSERT_EQ(history->Form().ClassName(), "TfBrItemEntries");
    TDataGrid& entries = *history->Grid("dbgMaster");
    ASSERT_EQ(entries.Model().rowCount(), 1);
    EXPECT_EQ(entries.Footer().Text(testing::ColumnOf(entries.Model(), "Количество")), "10,000");
    EXPECT_EQ(entries.Footer().Text(testing::ColumnOf(entries.Model(), "Себестойност")), "9,50");

    TFormHostWidget* vendor = ClickPanelRow(*editor, "Доставчици", 1);
    ASSERT_NE(vendor, nullptr);
    ASSERT_EQ(vendor->Form().ClassName(), "TfBrContragentEntries");
    TDataGrid& open = *vendor->Grid("dbgMaster");
    ASSERT_EQ(open.Model().rowCount(), 1);
    EXPECT_EQ(open.Footer().Text(testing::ColumnOf(open.Model(), "Остатък")), "-11,40");

    ExpectNoFailures();
}

// "Добавяне на авансови плащания": the vendor's open advance, chosen in the selector, becomes
// a line that takes the advance off the invoice.
TEST_F(OthersJourney, TheVendorsOpenAdvanceBecomesALineOfTheInvoice) {
    TFormHostWidget* editor = OpenInvoice("0000000102");
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->Form().cdsMaster.FieldByName("Contragent_Id").AsString(), "V01");
    answerer.Expect([](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog); });
    QAction* add = testing::ToolAction(*editor, "acAddAdvancePayment");
    ASSERT_NE(add, nullptr);
    add->trigger();
    QTest::qWait(20);
    EXPECT_TRUE(answerer.AllAnswered());
    TDataSetModel& lines = editor->Grid("dbgDetail")->Model();
    ASSERT_EQ(lines.rowCount(), 1);
    EXPECT_EQ(testing::LineValue(lines, 0, "AccountDimension_Id").AsString(), "ADV-V01-1");
    EXPECT_EQ(testing::LineValue(lines, 0, "Code").AsString(), "4091");
    EXPECT_DOUBLE_EQ(testing::LineValue(lines, 0, "DirectUnitCost_ACY").AsFloat(), -200.0);
    ExpectNoFailures();
}

// "Генериране на плащане" on the posted invoice opens the payment on what is open: the buyer
// pays a part, then the rest, each numbered from the payment series; the posted invoice shows
// nothing left, and the vendor has no open entry in his list any more.
TEST_F(OthersJourney, APostedInvoiceIsPaidInTwoParts) {
    const struct {
        const char* proposed;
        const char* typed;  // empty: the buyer takes what is proposed
        const char* left;
        const char* number;
    } parts[] = {{"11,40", "5", "6,40", "0000000001"}, {"6,40", "", "0,00", "0000000002"}};
    for (const auto& part : parts) {
        SCOPED_TRACE(part.number);
        TFormHostWidget* invoice = OpenPostedInvoice();
        ASSERT_NE(invoice, nullptr);
        QAction* generate = testing::ToolAction(*invoice, "acGeneratePayment");
        ASSERT_NE(generate, nullptr);
        ASSERT_TRUE(generate->isEnabled());
        generate->trigger();
        QTest::qWait(20);
        TFormHostWidget* payment = window().ActiveHost();
        ASSERT_EQ(payment->Form().ClassName(), "TfEdPayment");
        auto* amount = payment->findChild<QLineEdit*>("Amount");
        ASSERT_NE(amount, nullptr);
        EXPECT_EQ(amount->text(), part.proposed);
        if (*part.typed != '\0') {
            QTest::mouseClick(amount, Qt::LeftButton);
            amount->selectAll();
            testing::TypeText(*amount, part.typed);
            QTest::keyClick(amount, Qt::Key_Tab);
        }
        testing::ToolAction(*payment, "acPostDocument")->trigger();
        QTest::qWait(20);
        EXPECT_EQ(payment->findChild<QLineEdit*>("OpenAmount")->text(), part.left);
        EXPECT_EQ(payment->findChild<QLineEdit*>("DocumentNo")->text(), part.number);
    }
    TFormHostWidget* invoice = OpenPostedInvoice();
    ASSERT_NE(invoice, nullptr);
    EXPECT_EQ(invoice->findChild<QLineEdit*>("Remaining")->text(), "0,00");
    EXPECT_FALSE(testing::ToolAction(*invoice, "acGeneratePayment")->isEnabled());

    TFormHostWidget* editor = OpenInvoice("0000000101");
    ASSERT_NE(editor, nullptr);
    TFormHostWidget* vendor = ClickPanelRow(*editor, "Доставчици", 1);
    ASSERT_NE(vendor, nullptr);
    ASSERT_EQ(vendor->Form().ClassName(), "TfBrContragentEntries");
    EXPECT_EQ(vendor->Grid("dbgMaster")->Model().rowCount(), 0);
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
