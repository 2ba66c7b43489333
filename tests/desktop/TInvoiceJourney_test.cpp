#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QRegularExpression>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "base/server/IAppServer.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridView.h"
#include "desktop/TMainWindow.h"
#include "desktop/TTotalsPanel.h"

namespace tavrek::desktop {
namespace {

using testing::TypeText;

// A buyer at work in the client on a fresh demo company, from a new invoice to the posted
// invoice found in its list and printed: everything goes through the widgets a person
// touches, found by their names, by keyboard and mouse.
class InvoiceJourney : public testing::DemoClientTest {
protected:
    InvoiceJourney() { StartClient({1400, 860}); }

    // From the menu: the invoice editor, then a new invoice from its tool bar.
    void NewInvoice() {
        QAction* open = client->Window().menuBar()->findChild<QAction*>("TfEdPurchase");
        ASSERT_NE(open, nullptr);
        open->trigger();
        QMdiSubWindow* window = client->Window().Mdi().activeSubWindow();
        window->showMaximized();
        host = TMainWindow::HostOf(window);
        ASSERT_NE(host, nullptr);
        Click("acInsertRecord");
    }

    void Click(const char* button) {
        auto* widget = host->findChild<QToolButton*>(button);
        ASSERT_NE(widget, nullptr) << button;
        ASSERT_TRUE(widget->isEnabled()) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
        QTest::qWait(10);
    }

    QLineEdit& Edit(const char* field) const {
        QWidget* control = host->findChild<QWidget*>(field);
        if (control == nullptr) throw std::runtime_error(std::string("no control ") + field);
        auto* edit = qobject_cast<QLineEdit*>(control);
        return edit != nullptr ? *edit : *control->findChild<QLineEdit*>();
    }

    void TypeField(const char* field, const QString& text) { testing::TypeIntoField(*host, field, text); }

    TGridView& Grid() const { return host->Grid("dbgDetail")->View(); }
    TDataSetModel& Lines() const { return host->Grid("dbgDetail")->Model(); }
    int Column(const QString& caption) const { return testing::ColumnOf(Lines(), caption); }
    void ClickCell(int row, const QString& caption) {
        LeaveCell();
        const QModelIndex cell = Lines().index(row, Column(caption));
        QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, Grid().visualRect(cell).center());
    }
    // The cell editor open in the grid, if any.
    QLineEdit* CellEditor() const {
        for (QLineEdit* editor : Grid().viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible()) return editor;
        return nullptr;
    }
    // The first key opens the cell's editor, the rest go to it, Enter commits.
    void TypeCell(const QString& text) {
        Grid().setFocus();
        QTest::keyClick(&Grid(), text.at(0).toLatin1());
        QLineEdit* editor = CellEditor();
        ASSERT_NE(editor, nullptr) << "no cell editor opened";
        TypeText(*editor, text.mid(1));
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(10);
    }
    // The editor the last key left open, and its column.
    QLineEdit& OpenEditor(const QString& caption) {
        QLineEdit* editor = CellEditor();
        if (editor == nullptr) throw std::runtime_error("no cell editor open");
        EXPECT_EQ(Grid().currentIndex().column(), Column(caption)) << caption.toStdString();
        return *editor;
    }
    // Types into the open cell editor and leaves it with a key.
    void TypeOn(const QString& caption, const QString& text, Qt::Key leave = Qt::Key_Return) {
        QLineEdit& editor = OpenEditor(caption);
        TypeText(editor, text);
        QTest::keyClick(&editor, leave);
        QTest::qWait(10);
    }
    // A key where the person's focus is: the open cell editor, else the grid.
    void Press(Qt::Key key) {
        QLineEdit* editor = CellEditor();
        QTest::keyClick(editor != nullptr ? static_cast<QWidget*>(editor) : &Grid(), key);
        QTest::qWait(10);
    }
    QString Total(const char* caption, bool local = false) const { return host->Totals()->Text(caption, local); }
    void LeaveCell() {
        if (QLineEdit* editor = CellEditor()) QTest::keyClick(editor, Qt::Key_Escape);
        // A closed dialog leaves the main window inactive offscreen: the user clicks back into it.
        client->Window().activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&client->Window()));
        Grid().setFocus();
    }
    void AppendLine() {
        LeaveCell();
        QTest::keyClick(&Grid(), Qt::Key_Insert);
    }
    Variant Line(int row, const char* field) const { return testing::LineValue(Lines(), row, field); }

    // What the server holds, read as any other client would.
    TRequestResult Stored(const std::string& table, const std::string& fields, const TFilter& filter) const {
        TRequestResult rows;
        dm().Server().RequestValue(0, table, fields, filter, rows, true);
        return rows;
    }
    TRequestResult StoredHeader(const char* table = "D_PurchHeader") const {
        return Stored(table, "Id,DocumentNo,Contragent_Id,TotalValue,VATValue,TotalVAT,TotalVAT_LCY",
                      TFilter().Add(std::string(table) + ".Comp_Id", "=", "DEMO"));
    }

    // From the menu: the posted invoices, searched by the number, the invoice opened with Enter.
    void FindPostedInvoice(const QString& number) {
        TFormHostWidget* list = OpenFromMenu("TfBrPostedPurchInvoice");
        ASSERT_NE(list, nullptr);
        auto* search = list->findChild<QLineEdit*>("SearchText");
        ASSERT_NE(search, nullptr);
        // The list narrows as the number is typed, as the selectors do, without Enter.
        TypeText(*search, number.right(4));
        TDataGrid& found = *list->Grid("dbgMaster");
        EXPECT_TRUE(QTest::qWaitFor([&found] { return found.Model().rowCount() == 1; }, 2000));
        ASSERT_EQ(found.Model().rowCount(), 1);
        EXPECT_EQ(found.Model().data(found.Model().index(0, 0)).toString(), number);
        Screenshot("posted-invoice-list.png");
        host = OpenRow(found);
        ASSERT_EQ(host->Form().ClassName(), "TfEdPostedPurchInvoice");
        EXPECT_EQ(Edit("DocumentNo").text(), number);
        EXPECT_TRUE(Edit("DocumentNo").isReadOnly());
        EXPECT_NE(Edit("DocumentNo").palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base))
            << "a posted document's fields do not look like edits";
        ExpectCommandsInWords();
        EXPECT_EQ(host->Grid("dbgDetail")->Model().rowCount(), 3);
        EXPECT_EQ(Total("ДДС общо"), QStringLiteral("7,78"));
        EXPECT_EQ(Total("С ДДС", true), QStringLiteral("64,84"));
        Screenshot("posted-invoice.png");
    }

    // No command button is captioned by a symbol alone ("$").
    void ExpectCommandsInWords() const {
        for (const QAction* action : host->ToolBar().actions())
            EXPECT_TRUE(!action->isVisible() || action->text().contains(QRegularExpression("\\p{L}{3}")))
                << action->objectName().toStdString() << " " << action->text().toStdString();
    }

    // Prints the open posted invoice and reads the PDF a person would get.
    void PrintAndRead(const QString& number) {
        QAction* print = testing::ToolAction(*host, "acPrint");
        ASSERT_NE(print, nullptr);
        print->trigger();
        QTest::qWait(20);
        const QString file = QFileInfo(client->Window().LastPrintedFile()).fileName();
        EXPECT_TRUE(file.startsWith("Фактура " + number)) << file.toStdString();
        const QString text = testing::PdfText(client->Window().LastPrintedFile());
        EXPECT_TRUE(text.contains("ФАКТУРА ЗА ПОКУПКА № " + number)) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Мелница Добруджа ООД"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("ДДС 20 % върху 24,06\\s+4,81 EUR"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("ДДС 9 % върху 33,00\\s+2,97 EUR"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression("Сума за плащане\\s+64,84 EUR"))) << text.toStdString();
    }

    TFormHostWidget* host = nullptr;
};

// Vendor 5001 sells both flours with its 2 % assortment discount; the 9 % schoolbook is
// not in its price list, so its price is typed and no discount is proposed.
//   1001  8 × 1.05, 2 %: discount 0.17, 8.23, VAT 20 %
//   1002 17 × 0.98, 5 % typed: discount 0.83, 15.83, VAT 20 %
//   1035  3 × 11.00: 33.00, VAT 9 %
// VAT per rate: 20 % of 24.06 = 4.81 (the lines' rounded VAT, 1.65 + 3.17, would add to
// 4.82), 9 % of 33.00 = 2.97; without VAT 57.06, VAT 7.78, with VAT 64.84.
TEST_F(InvoiceJourney, ABuyerEntersSavesAndPostsAnInvoice) {
    NewInvoice();
    EXPECT_EQ(QApplication::focusWidget(), &Edit("N_Contragent_Code")) << "a new invoice starts at its vendor";
    TypeField("N_SubDocument_Code", "520");
    answerer.Expect([](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog, "5001"); });
    QTest::mouseClick(&Edit("N_Contragent_Code"), Qt::LeftButton);
    QTest::keyClick(&Edit("N_Contragent_Code"), Qt::Key_F2);
    EXPECT_TRUE(answerer.AllAnswered()) << "F2 opens the vendor's selector";
    TypeField("VendorInvoiceNo", "Д-4711");
    ExpectCommandsInWords();
    EXPECT_EQ(host->Form().cdsMaster.FieldByName("N_Contragent_Name").AsString(), "Мелница Добруджа ООД");
    EXPECT_EQ(host->Form().cdsMaster.FieldByName("VATBusPostGroup_Id").AsString(), "DOM");

    // By keyboard: F2 chooses the item, Tab goes past the name it filled to the quantity, Enter
    // on through price and discount; Enter on the line's last cell adds no line, Down does.
    Grid().setFocus();
    AppendLine();
    answerer.Expect([](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog, "тип 500"); });
    QTest::keyClick(&Grid(), Qt::Key_F2);
    QTest::qWait(10);
    EXPECT_TRUE(answerer.AllAnswered());
    Press(Qt::Key_Tab);
    EXPECT_EQ(Grid().currentIndex().column(), Column("Количество"));
    TypeCell("8");

    Press(Qt::Key_Down);
    TypeCell("1002");
    TypeOn("Количество", "17");
    TypeOn("Ед. цена", "", Qt::Key_Tab);
    TypeOn("Отстъпка %", "5");
    EXPECT_EQ(CellEditor(), nullptr);
    EXPECT_EQ(Lines().rowCount(), 2) << "Enter on the last cell adds no empty line";

    Press(Qt::Key_Down);
    TypeCell("1035");
    TypeOn("Количество", "3");
    TypeOn("Ед. цена", "11");
    // The line still being entered counts; the header's VAT is the VAT per rate before saving.
    const struct {
        const char* Caption;
        const char* Shown;
    } totals[] = {{"Без ДДС", "57,06"}, {"ДДС 20 %", "4,81"}, {"ДДС 9 %", "2,97"}, {"ДДС общо", "7,78"}, {"С ДДС", "64,84"}};
    for (const auto& total : totals) {
        EXPECT_EQ(Total(total.Caption), total.Shown) << total.Caption;
        EXPECT_EQ(Total(total.Caption, true), total.Shown) << total.Caption;
    }
    Press(Qt::Key_Up);
    EXPECT_EQ(Lines().rowCount(), 3);
    EXPECT_DOUBLE_EQ(host->Form().cdsMaster.FieldByName("VATValue").AsFloat(), 7.78) << "once the line is left";
    LeaveCell();

    ASSERT_EQ(Lines().rowCount(), 3);
    const struct {
        const char* Description;
        const char* Measure;
        double Discount, Amount, VATPercent;
    } expected[] = {{"Брашно тип 500, 1 кг", "PCS", 0.17, 8.23, 20},
                    {"Брашно тип 700, 1 кг", "PCS", 0.83, 15.83, 20},
                    {"Учебник по математика, 5. клас", "PCS", 0.0, 33.00, 9}};
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(Line(row, "Description").AsString(), expected[row].Description);
        EXPECT_EQ(Line(row, "Measure_Id").AsString(), expected[row].Measure);
        EXPECT_DOUBLE_EQ(Line(row, "LineDiscountAmount").AsFloat(), expected[row].Discount);
        EXPECT_DOUBLE_EQ(Line(row, "TotalValue").AsFloat(), expected[row].Amount);
        EXPECT_DOUBLE_EQ(Line(row, "VATPercent").AsFloat(), expected[row].VATPercent);
    }

    QTest::keyClick(&Grid(), Qt::Key_F9);
    QTest::qWait(10);
    TClientDataSet& header = host->Form().cdsMaster;
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalValue").AsFloat(), 57.06);
    EXPECT_DOUBLE_EQ(header.FieldByName("VATValue").AsFloat(), 7.78);
    EXPECT_DOUBLE_EQ(header.FieldByName("TotalVAT").AsFloat(), 64.84);
    EXPECT_EQ(Total("С ДДС"), QStringLiteral("64,84"));
    Screenshot("invoice-editor.png");

    Click("acSave");
    const TRequestResult saved = StoredHeader();
    ASSERT_EQ(saved.Rows.size(), 1u);
    const QString number = QString::fromStdString(saved.ByName("DocumentNo").AsString());
    EXPECT_FALSE(number.isEmpty()) << "the number is drawn on the first save";
    EXPECT_EQ(Edit("DocumentNo").text(), number);
    EXPECT_DOUBLE_EQ(saved.ByName("VATValue").AsFloat(), 7.78) << "saving keeps the VAT per rate";
    EXPECT_DOUBLE_EQ(saved.ByName("TotalVAT").AsFloat(), 64.84);

    answerer.ExpectMessage(QMessageBox::Ok);
    Grid().setFocus();
    QTest::keyClick(&Grid(), Qt::Key_Return, Qt::ControlModifier);
    QTest::qWait(10);
    EXPECT_TRUE(answerer.AllAnswered()) << answerer.Shown().join("; ").toStdString();
    const TRequestResult posted = StoredHeader("D_PurchInvoiceHeader");
    ASSERT_EQ(posted.Rows.size(), 1u) << answerer.Shown().join("; ").toStdString();
    const QString postedNo = QString::fromStdString(posted.ByName("DocumentNo").AsString());
    EXPECT_TRUE(ShownMessage(QStringLiteral("Фактура № %1 е осчетоводена.").arg(postedNo))) << answerer.Shown().join("; ").toStdString();
    EXPECT_DOUBLE_EQ(posted.ByName("TotalValue").AsFloat(), 57.06);
    EXPECT_DOUBLE_EQ(posted.ByName("VATValue").AsFloat(), 7.78);
    EXPECT_DOUBLE_EQ(posted.ByName("TotalVAT").AsFloat(), 64.84);
    EXPECT_DOUBLE_EQ(posted.ByName("TotalVAT_LCY").AsFloat(), 64.84);
    EXPECT_TRUE(StoredHeader().Empty());
    ExpectNoFailures();

    FindPostedInvoice(postedNo);
    PrintAndRead(postedNo);
    ExpectNoFailures();
}

// Each piece of bad input is refused in Bulgarian, and the saved invoice stays as it was.
TEST_F(InvoiceJourney, BadInputIsRefusedAndTheStoredInvoiceStaysAsItWas) {
    NewInvoice();
    TypeField("N_SubDocument_Code", "520");
    TypeField("VendorInvoiceNo", "Д-1");
    Grid().setFocus();
    AppendLine();
    TypeCell("1001");
    // The message leaves the cell in error open with its text selected: the correction goes
    // into the quantity, not into the next cell.
    answerer.ExpectMessage(QMessageBox::Ok);
    TypeOn("Количество", "abc");
    EXPECT_TRUE(ShownMessage(QStringLiteral("\"abc\" не е число"))) << answerer.Shown().join("; ").toStdString();
    EXPECT_EQ(OpenEditor("Количество").selectedText(), QStringLiteral("abc"));
    const Variant price = Line(0, "DirectUnitCost_ACY");
    TypeOn("Количество", "2");
    EXPECT_DOUBLE_EQ(Line(0, "Quantity").AsFloat(), 2.0);
    EXPECT_EQ(Line(0, "DirectUnitCost_ACY"), price);
    LeaveCell();
    Click("acSave");
    const TFilter ofCompany = TFilter().Add("D_PurchaseLine.Comp_Id", "=", "DEMO");
    const TRequestResult header = StoredHeader();
    const TRequestResult lines = Stored("D_PurchaseLine", "Id,Code,Quantity,TotalValue", ofCompany);
    ASSERT_EQ(lines.Rows.size(), 1u);

    answerer.ExpectMessage(QMessageBox::Ok);
    ClickCell(0, "Код");
    TypeCell("9999");
    EXPECT_TRUE(ShownMessage(QStringLiteral("Няма артикул с код \"9999\""))) << answerer.Shown().join("; ").toStdString();
    EXPECT_EQ(Line(0, "Code").AsString(), "1001");
    LeaveCell();

    answerer.ExpectMessage(QMessageBox::Ok);
    Click("acPostDocument");
    EXPECT_TRUE(ShownMessage(QStringLiteral("доставчик"))) << answerer.Shown().join("; ").toStdString();
    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_EQ(StoredHeader().Rows, header.Rows);
    EXPECT_EQ(Stored("D_PurchaseLine", "Id,Code,Quantity,TotalValue", ofCompany).Rows, lines.Rows);
    EXPECT_TRUE(StoredHeader("D_PurchInvoiceHeader").Empty());
    ExpectNoFailures();
}

// Nothing typed is lost without the question: Ctrl+F4 on a new invoice answered Отказ keeps it
// with what was typed, Не closes it unsaved, Да saves it; quitting stops at the first Отказ.
TEST_F(InvoiceJourney, ClosingWithUnsavedChangesAsksAndDoesWhatWasAnswered) {
    const QString question = QStringLiteral("%1|Запис на промените?|%2,%3,%4")
                                 .arg(QMessageBox::Question)
                                 .arg(QMessageBox::Yes)
                                 .arg(QMessageBox::No)
                                 .arg(QMessageBox::Cancel);
    const auto vendorInvoiceNo = [this] {
        const TRequestResult stored = Stored("D_PurchHeader", "VendorInvoiceNo", TFilter().Add("D_PurchHeader.Comp_Id", "=", "DEMO"));
        QStringList numbers;
        for (size_t row = 0; row < stored.Rows.size(); ++row) numbers << QString::fromStdString(stored.Value(row, 0).AsString());
        return numbers;
    };
    const struct {
        QString Typed;  // into a new invoice; empty: the same invoice again
        QMessageBox::StandardButton Answer;
        bool StaysOpen;
        QStringList Stored;
    } steps[] = {
        {"Д-1", QMessageBox::Cancel, true, {}},
        {"", QMessageBox::No, false, {}},
        {"Д-3", QMessageBox::Yes, false, {"Д-3"}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.Answer);
        if (!step.Typed.isEmpty()) {
            NewInvoice();
            TypeField("N_SubDocument_Code", "520");
            TypeField("VendorInvoiceNo", step.Typed);
        }
        QPointer<TFormHostWidget> editor = host;
        // A closed dialog leaves the main window inactive offscreen: the user clicks back into it.
        client->Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&client->Window()));
        answerer.ExpectMessage(step.Answer);
        QTest::keyClick(&Edit("VendorInvoiceNo"), Qt::Key_F4, Qt::ControlModifier);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(answerer.AllAnswered());
        EXPECT_EQ(answerer.Shown().last(), question);
        EXPECT_EQ(!editor.isNull(), step.StaysOpen);
        if (step.StaysOpen) {
            EXPECT_EQ(Edit("VendorInvoiceNo").text(), step.Typed);
        }
        EXPECT_EQ(vendorInvoiceNo(), step.Stored);
    }

    for (const char* number : {"Д-4", "Д-5"}) {
        NewInvoice();
        TypeField("VendorInvoiceNo", number);
    }
    const qsizetype asked = answerer.Shown().size();
    answerer.ExpectMessage(QMessageBox::Cancel);
    EXPECT_FALSE(client->Window().close());
    EXPECT_EQ(answerer.Shown().size(), asked + 1) << "the question stops at the first Отказ";
    EXPECT_EQ(client->Window().OpenForms().size(), 2u);
    answerer.ExpectMessage(QMessageBox::No);
    answerer.ExpectMessage(QMessageBox::No);
    EXPECT_TRUE(client->Window().close());
    EXPECT_TRUE(client->Window().OpenForms().empty());
    EXPECT_EQ(vendorInvoiceNo(), (QStringList{"Д-3"}));
    ExpectNoFailures();
}

}  // namespace
}  // namespace tavrek::desktop
