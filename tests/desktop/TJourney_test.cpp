#include <QApplication>
#include <cmath>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QPointer>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TfBase.h"
#include "base/session/TSignIn.h"
#include "desktop/TChartWidget.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridFooter.h"
#include "desktop/TGridView.h"
#include "desktop/TMainWindow.h"
#include "desktop/TQuantityDialog.h"
#include "desktop/TTotalsPanel.h"
#include "server/EmbeddedServer.h"
#include "support/UblSample.h"

namespace tavrek::desktop {
namespace {

using testing::TypeText;

// A step that cannot go on: the journey stops at its line.
struct TStepError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void Need(bool condition, const QString& what) {
    if (!condition) throw TStepError(what.toStdString());
}

// One line of a journey: its words, quoted ones kept whole; the last word takes the rest of the line.
QStringList Words(const QString& line, int count) {
    QStringList words;
    int at = 0;
    while (words.size() + 1 < count) {
        while (at < line.size() && line[at] == ' ') ++at;
        if (at >= line.size()) break;
        const bool quoted = line[at] == '"';
        const int end = quoted ? line.indexOf('"', at + 1) : line.indexOf(' ', at);
        const int stop = end < 0 ? line.size() : end;
        words << line.mid(at + (quoted ? 1 : 0), stop - at - (quoted ? 1 : 0));
        at = stop + 1;
    }
    QString rest = line.mid(at).trimmed();
    if (rest.size() >= 2 && rest.startsWith('"') && rest.endsWith('"') && rest.count('"') == 2) rest = rest.mid(1, rest.size() - 2);
    if (words.size() < count) words << rest;
    while (words.size() < count) words << QString();
    return words;
}

// Whether a stored value reads as the expected text, or is that number; "(empty)" and "(set)" ask whether there is one.
bool Matches(const Variant& value, const QString& expected) {
    if (expected == "(empty)") return value.IsEmpty();
    if (expected == "(set)") return !value.IsEmpty();
    if (QString::fromStdString(value.AsString()) == expected) return true;
    bool number = false;
    const double wanted = expected.toDouble(&number);
    return number && std::abs(value.AsFloat() - wanted) < 1e-9;
}

// A buyer's journey through the client on a fresh demo company, read from a script in
// tests/golden/desktop: every step goes through the widgets a person touches, by their names.
class Journey : public testing::DemoClientTest, public ::testing::WithParamInterface<std::string> {
protected:
    using TStep = std::function<void(const QStringList&)>;
    struct TVerb {
        int Words;
        TStep Run;
    };

    void Play(const QString& path);

    TFormHostWidget& Host() {
        Need(host_ != nullptr, "no form in front");
        return *host_;
    }
    void SetHost(TFormHostWidget* host) {
        Need(host != nullptr, "no form opened");
        host_ = host;
        grid_ = host->Grid("dbgDetail") != nullptr ? "dbgDetail" : "dbgMaster";
    }
    TDataGrid& Grid() {
        TDataGrid* grid = Host().Grid(grid_.toStdString());
        Need(grid != nullptr, "no grid " + grid_);
        return *grid;
    }
    QWidget& Widget(const QString& name) {
        auto* widget = Host().findChild<QWidget*>(name);
        Need(widget != nullptr, "no widget " + name);
        return *widget;
    }
    QLineEdit& Edit(const QString& name) {
        QWidget& control = Widget(name);
        auto* edit = qobject_cast<QLineEdit*>(&control);
        if (edit == nullptr) edit = control.findChild<QLineEdit*>();
        Need(edit != nullptr, "no edit " + name);
        return *edit;
    }
    int Column(const QString& caption) {
        bool index = false;
        const int column = caption.toInt(&index);
        if (index) return column;
        QStringList captions;
        for (int c = 0; c < Grid().Model().columnCount(); ++c) captions << Grid().Model().headerData(c, Qt::Horizontal).toString();
        Need(captions.contains(caption), "no column " + caption + " among " + captions.join(", "));
        return static_cast<int>(captions.indexOf(caption));
    }
    // A row by its number, or the first whose record has FIELD=VALUE[,FIELD=VALUE].
    int Row(const QString& which) {
        if (!which.contains('=')) return which.toInt();
        for (int row = 0; row < Grid().Model().rowCount(); ++row) {
            bool all = true;
            for (const QString& condition : which.split(',')) {
                const QStringList pair = condition.split('=');
                all = all && Matches(testing::LineValue(Grid().Model(), row, pair[0].toUtf8().constData()), pair[1]);
            }
            if (all) return row;
        }
        throw TStepError(("no row " + which).toStdString());
    }
    QLineEdit* CellEditor() {
        for (QLineEdit* editor : Grid().View().viewport()->findChildren<QLineEdit*>())
            if (editor->isVisible()) return editor;
        return nullptr;
    }
    // A closed dialog leaves the main window inactive offscreen: the user clicks back into it.
    void ClickIntoWindow() {
        client->Window().activateWindow();
        Need(QTest::qWaitForWindowActive(&client->Window()), "the main window is not active");
    }
    void FocusGrid() {
        if (QLineEdit* editor = CellEditor()) QTest::keyClick(editor, Qt::Key_Escape);
        ClickIntoWindow();
        Grid().View().setFocus();
    }
    void Press(QWidget& widget, const QString& keys) {
        const QKeySequence sequence = QKeySequence::fromString(keys, QKeySequence::PortableText);
        Need(!sequence.isEmpty(), "no key " + keys);
        const QKeyCombination key = sequence[0];
        QTest::keyClick(&widget, key.key(), key.keyboardModifiers());
        QTest::qWait(20);
    }
    void ClickAt(QWidget& widget, QPoint where) {
        QTest::mouseClick(&widget, Qt::LeftButton, {}, where);
        QTest::qWait(20);
    }
    const QString& Pdf() {
        const QString& file = client->Window().LastPrintedFile();
        if (pdfFile_ != file) pdfText_ = testing::PdfText(pdfFile_ = file);
        return pdfText_;
    }
    QString Query(const QString& sql) {
        const TRequestResult result = Direct().Database().Select(sql.toStdString());
        QStringList rows;
        for (const TVariantArray& row : result.Rows) {
            QStringList values;
            for (const Variant& value : row) values << QString::fromStdString(value.AsString());
            rows << values.join('|');
        }
        return rows.join(" ; ");
    }

    void Check(bool ok, const QString& what) {
        if (!ok) ADD_FAILURE() << what.toStdString();
    }
    void Same(const QString& actual, const QString& expected, const QString& what) {
        Check(actual == expected, what + ": \"" + actual + "\", not \"" + expected + "\"");
    }
    void Value(const Variant& value, const QString& expected, const QString& what) {
        Check(Matches(value, expected), what + ": \"" + QString::fromStdString(value.AsString()) + "\", not \"" + expected + "\"");
    }

    std::map<QString, TVerb> Verbs();
    std::map<QString, TVerb> Expectations();
    std::map<QString, TVerb> Answers();

    TFormHostWidget* host_ = nullptr;
    QString grid_;
    std::map<QString, QPointer<TFormHostWidget>> named_;
    QString pdfFile_, pdfText_;
};

std::map<QString, Journey::TVerb> Journey::Verbs() {
    return {
        // Another person sits down at the same client: the forms open stay, the rights are his.
        {"sign-in", {2, [this](const QStringList& w) {
             Need(SignIn(client->Server(), {}, w[0].toStdString(), w[1].toStdString()) == 0,
                  QString::fromStdString(client->Server().LastRefusalText()));
             // The buttons follow the new rights at the hosts' next refresh of their actions.
             QTest::qWait(600);
         }}},
        {"menu", {1, [this](const QStringList& w) {
             QAction* item = nullptr;
             QStringList items;
             for (QAction* action : client->Window().PurchaseMenu().findChildren<QAction*>()) {
                 items << action->text().remove('&');
                 if (items.back() == w[0]) item = action;
             }
             Need(item != nullptr, "no menu item " + w[0] + " among " + items.join(", "));
             ClickIntoWindow();
             item->trigger();
             QTest::qWait(20);
             SetHost(ActiveHost());
         }}},
        {"open", {1, [this](const QStringList& w) {
             Need(client->Window().OpenForm(w[0].toStdString()), "did not open " + w[0]);
             QTest::qWait(20);
             SetHost(ActiveHost());
         }}},
        {"form", {1, [this](const QStringList& w) {
             SetHost(ActiveHost());
             Need(QString::fromStdString(Host().Form().ClassName()) == w[0],
                  "in front: " + QString::fromStdString(Host().Form().ClassName()) + ", not " + w[0]);
         }}},
        {"name", {1, [this](const QStringList& w) { named_[w[0]] = &Host(); }}},
        {"use", {1, [this](const QStringList& w) {
             Need(!named_[w[0]].isNull(), "closed: " + w[0]);
             SetHost(named_[w[0]]);
             client->Window().ActivateForm(Host().Form());
             QTest::qWait(20);
         }}},
        {"close", {0, [this](const QStringList&) {
             for (QMdiSubWindow* window : client->Window().Mdi().subWindowList())
                 if (TMainWindow::HostOf(window) == host_) window->close();
             QTest::qWait(20);
             host_ = nullptr;
         }}},
        {"maximize", {0, [this](const QStringList&) { client->Window().Mdi().activeSubWindow()->showMaximized(); }}},
        {"action", {1, [this](const QStringList& w) {
             testing::TriggerAction(Host(), w[0]);
             QTest::qWait(20);
         }}},
        {"click", {1, [this](const QStringList& w) {
             QWidget& button = Widget(w[0]);
             Need(button.isEnabled(), "disabled: " + w[0]);
             ClickAt(button, QPoint(button.height() / 2, button.height() / 2));
         }}},
        {"type", {2, [this](const QStringList& w) { testing::TypeIntoField(Host(), w[0].toUtf8().constData(), w[1]); }}},
        // A date set as a person steps one with the arrow keys: the year, the month, then the day.
        {"type-date", {2, [this](const QStringList& w) {
             auto* date = Widget(w[0]).findChild<QDateEdit*>();
             if (date == nullptr) date = qobject_cast<QDateEdit*>(&Widget(w[0]));
             Need(date != nullptr, "no date field " + w[0]);
             const QDate wanted = QDate::fromString(w[1], QStringLiteral("dd.MM.yyyy"));
             Need(wanted.isValid(), "not a date: " + w[1]);
             ClickIntoWindow();
             date->setFocus();
             const std::pair<QDateTimeEdit::Section, int (QDate::*)() const> parts[] = {
                 {QDateTimeEdit::YearSection, &QDate::year}, {QDateTimeEdit::MonthSection, &QDate::month},
                 {QDateTimeEdit::DaySection, &QDate::day}};
             for (const auto& [section, part] : parts) {
                 date->setCurrentSection(section);
                 for (int step = 0; step < 400 && (date->date().*part)() != (wanted.*part)(); ++step)
                     QTest::keyClick(date, (date->date().*part)() < (wanted.*part)() ? Qt::Key_Up : Qt::Key_Down);
             }
             QTest::keyClick(date, Qt::Key_Tab);
             QTest::qWait(20);
         }}},
        {"key-in", {2, [this](const QStringList& w) {
             ClickIntoWindow();
             ClickAt(Edit(w[0]), Edit(w[0]).rect().center());
             Press(Edit(w[0]), w[1]);
             QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
         }}},
        // A list of choices is stepped through with the arrow keys until it shows the text.
        {"combo", {2, [this](const QStringList& w) {
             auto* combo = qobject_cast<QComboBox*>(&Widget(w[0]));
             if (combo == nullptr) combo = Widget(w[0]).findChild<QComboBox*>();
             Need(combo != nullptr, "no list of choices " + w[0]);
             ClickIntoWindow();
             combo->setFocus();
             for (int step = 0; step < combo->count() && combo->currentText() != w[1]; ++step) Press(*combo, "Down");
             for (int step = 0; step < combo->count() && combo->currentText() != w[1]; ++step) Press(*combo, "Up");
             Same(combo->currentText(), w[1], "choice of " + w[0]);
         }}},
        {"grid", {1, [this](const QStringList& w) {
             grid_ = w[0];
             FocusGrid();
         }}},
        {"key", {1, [this](const QStringList& w) {
             QLineEdit* editor = CellEditor();
             Press(editor != nullptr ? static_cast<QWidget&>(*editor) : Grid().View(), w[0]);
         }}},
        // The first key opens the cell's editor, the rest go to it, Enter commits.
        {"typecell", {1, [this](const QStringList& w) {
             Grid().View().setFocus();
             QTest::keyClick(&Grid().View(), w[0].at(0).toLatin1());
             QLineEdit* editor = CellEditor();
             Need(editor != nullptr, "no cell editor opened");
             TypeText(*editor, w[0].mid(1));
             QTest::keyClick(editor, Qt::Key_Return);
             QTest::qWait(20);
         }}},
        // Types into the open cell editor, which must be in the column, and leaves it with a key.
        {"edit", {3, [this](const QStringList& w) {
             QLineEdit* editor = CellEditor();
             Need(editor != nullptr, "no cell editor open");
             Same(QString::number(Grid().View().currentIndex().column()), QString::number(Column(w[0])), "editor column");
             TypeText(*editor, w[2]);
             Press(*editor, w[1]);
         }}},
        // The cell's editor opens after what the previous cell started has settled.
        {"cell", {3, [this](const QStringList& w) {
             testing::TypeIntoCell(Grid().View(), Grid().Model().index(Row(w[0]), Column(w[1])), w[2], 600);
         }}},
        {"click-cell", {2, [this](const QStringList& w) {
             FocusGrid();
             TGridView& view = Grid().View();
             ClickAt(*view.viewport(), view.visualRect(Grid().Model().index(Row(w[0]), Column(w[1]))).center());
         }}},
        // Away from the check box itself: the whole cell takes the click.
        {"click-check", {1, [this](const QStringList& w) {
             TGridView& view = Grid().View();
             ClickAt(*view.viewport(), view.visualRect(Grid().Model().index(Row(w[0]), 0)).topRight() + QPoint(-4, 4));
         }}},
        {"select-row", {1, [this](const QStringList& w) {
             Grid().View().setFocus();
             Grid().View().selectRow(Row(w[0]));
         }}},
        {"open-row", {1, [this](const QStringList& w) { SetHost(OpenRow(Grid(), Row(w[0]))); }}},
        {"dclick-row", {1, [this](const QStringList& w) {
             TGridView& view = Grid().View();
             const QModelIndex cell = Grid().Model().index(Row(w[0]), 1);
             view.setCurrentIndex(cell);
             QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(cell).center());
             QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(cell).center());
             QTest::qWait(20);
             SetHost(ActiveHost());
         }}},
        // The list narrows as the text is typed, without Enter.
        {"search", {1, [this](const QStringList& w) {
             TypeText(Edit("SearchText"), w[0]);
             QTest::qWait(50);
         }}},
        // Clicks a row of a list of the editor's side panel, by the list's caption.
        {"panel", {2, [this](const QStringList& w) {
             client->Window().Mdi().setActiveSubWindow(qobject_cast<QMdiSubWindow*>(Host().parentWidget()));
             QTableWidget* table = nullptr;
             for (QGroupBox* box : Widget("pFloat").findChildren<QGroupBox*>())
                 if (box->title().trimmed() == w[0]) table = box->findChild<QTableWidget*>();
             Need(table != nullptr, "no side panel list " + w[0]);
             ClickAt(*table->viewport(), table->visualItemRect(table->item(w[1].toInt(), 0)).center());
             SetHost(ActiveHost());
         }}},
        {"page", {1, [this](const QStringList& w) {
             QTabBar* tabs = Host().Pages()->tabBar();
             ClickAt(*tabs, tabs->tabRect(w[0].toInt()).center());
         }}},
        // Closing the main window: whether it closed, and how many questions it asked.
        {"quit", {2, [this](const QStringList& w) {
             const qsizetype asked = answerer.Shown().size();
             Same(client->Window().close() ? "closes" : "refused", w[0], "quit");
             Same(QString::number(answerer.Shown().size() - asked), w[1], "questions on quitting");
         }}},
        {"screenshot", {1, [this](const QStringList& w) { Screenshot(w[0]); }}},
        // A click on the bar or point of a row of a chart, where the chart draws it.
        {"click-chart", {2, [this](const QStringList& w) {
             auto* chart = Host().findChild<TChartWidget*>(w[0]);
             Need(chart != nullptr, "no chart " + w[0]);
             Need(w[1].toInt() < chart->DrawnRows(), "the chart draws " + QString::number(chart->DrawnRows()) + " rows");
             ClickAt(*chart->viewport(), chart->PositionOfRow(w[1].toInt()));
             SetHost(ActiveHost());
         }}},
        {"ubl", {3, [this](const QStringList& w) {
             tavrek::testing::TUblSample invoice;
             invoice.Number = w[1].toStdString();
             for (const QString& line : w[2].split('|')) {
                 const QStringList f = line.split(';');
                 invoice.Lines.push_back({f[0].toStdString(), f[1].toStdString(), f[2].toDouble(), f[3].toDouble(), f[4].toDouble(), 0, ""});
             }
             std::filesystem::create_directories(std::filesystem::path(w[0].toStdString()).parent_path());
             std::ofstream(w[0].toStdString()) << invoice.Xml();
         }}},
    };
}

std::map<QString, Journey::TVerb> Journey::Answers() {
    const auto button = [this](QMessageBox::StandardButton code) {
        return TVerb{0, [this, code](const QStringList&) { answerer.ExpectMessage(code); }};
    };
    return {
        {"answer ok", button(QMessageBox::Ok)},
        {"answer yes", button(QMessageBox::Yes)},
        {"answer no", button(QMessageBox::No)},
        {"answer cancel", button(QMessageBox::Cancel)},
        {"answer choose", {1, [this](const QStringList& w) {
             answerer.Expect([search = w[0]](QWidget& dialog) { testing::ChooseTheOnlyRow(dialog, search); });
         }}},
        // A selection form shown as a dialog: the row showing the text is chosen and confirmed.
        {"answer pick", {1, [this](const QStringList& w) {
             answerer.Expect([text = w[0]](QWidget& dialog) {
                 auto* host = dialog.findChild<TFormHostWidget*>();
                 ASSERT_NE(host, nullptr) << "not a selection form";
                 TDataGrid* grid = host->Grid("dbgMaster");
                 ASSERT_NE(grid, nullptr);
                 int found = -1;
                 for (int row = 0; row < grid->Model().rowCount() && found < 0; ++row)
                     for (int column = 0; column < grid->Model().columnCount(); ++column)
                         if (grid->Model().data(grid->Model().index(row, column)).toString() == text) found = row;
                 ASSERT_GE(found, 0) << "no row " << text.toStdString();
                 grid->View().setFocus();
                 grid->View().setCurrentIndex(grid->Model().index(found, 0));
                 for (QPushButton* button : dialog.findChildren<QPushButton*>())
                     if (button->text() == QStringLiteral("Потвърди")) QTest::keyClick(button, Qt::Key_Space);
             });
         }}},
        // The file dialog of a save: the file is named and the dialog accepted.
        {"answer save-file", {1, [this](const QStringList& w) {
             answerer.Expect([file = w[0]](QWidget& dialog) {
                 auto& files = dynamic_cast<QFileDialog&>(dialog);
                 files.selectFile(file);
                 QMetaObject::invokeMethod(&files, "accept");
             });
         }}},
        {"answer number", {1, [this](const QStringList& w) {
             answerer.Expect([number = w[0]](QWidget& dialog) {
                 auto& input = dynamic_cast<QInputDialog&>(dialog);
                 input.setTextValue(number);
                 input.accept();
             });
         }}},
        // The file dialog: the file is chosen as if typed into its name box.
        {"answer file", {1, [this](const QStringList& w) {
             answerer.Expect([path = w[0]](QWidget& dialog) {
                 auto* files = qobject_cast<QFileDialog*>(&dialog);
                 ASSERT_NE(files, nullptr) << "not a file dialog";
                 files->selectFile(path);
                 // Through QDialog: QFileDialog keeps its accept protected.
                 static_cast<QDialog*>(files)->accept();
             });
         }}},
        // The quantity dialog: its proposal must be the one given; it is confirmed as proposed.
        {"answer quantity", {1, [this](const QStringList& w) {
             answerer.Expect([proposed = w[0].toDouble()](QWidget& dialog) {
                 auto* quantity = qobject_cast<desktop::TQuantityDialog*>(&dialog);
                 ASSERT_NE(quantity, nullptr) << "not a quantity dialog";
                 EXPECT_EQ(quantity->Editor().value(), proposed);
                 QTest::keyClick(&quantity->Editor(), Qt::Key_Return);
             });
         }}},
        {"answer annul", {1, [this](const QStringList& w) {
             answerer.Expect([why = w[0]](QWidget& dialog) {
                 auto* reason = dialog.findChild<QLineEdit*>("edtAnnulDescription");
                 ASSERT_NE(reason, nullptr);
                 TypeText(*reason, why);
                 QTest::keyClick(&dialog, Qt::Key_Return);
             });
         }}},
        // A list of options whose flag must come ticked.
        {"answer option-flagged", {1, [this](const QStringList& w) {
             answerer.Expect([row = w[0].toInt()](QWidget& dialog) {
                 auto* options = dialog.findChild<QListWidget*>("lstOptions");
                 ASSERT_NE(options, nullptr);
                 auto* flag = dialog.findChild<QCheckBox*>("chkFlag");
                 EXPECT_TRUE(flag != nullptr && flag->isChecked());
                 options->setCurrentRow(row);
                 QTest::keyClick(&dialog, Qt::Key_Return);
             });
         }}},
    };
}

std::map<QString, Journey::TVerb> Journey::Expectations() {
    return {
        {"expect answered", {0, [this](const QStringList&) {
             Check(answerer.AllAnswered(), "a dialog did not come: " + answerer.Shown().join("; "));
         }}},
        {"expect message", {1, [this](const QStringList& w) {
             Check(ShownMessage(w[0]), "no message \"" + w[0] + "\" among: " + answerer.Shown().join("; "));
         }}},
        {"expect last-message", {1, [this](const QStringList& w) {
             Same(answerer.Shown().isEmpty() ? QString() : answerer.Shown().last(), w[0], "last message");
         }}},
        {"expect rows", {1, [this](const QStringList& w) {
             (void)QTest::qWaitFor([&] { return Grid().Model().rowCount() == w[0].toInt(); }, 2000);
             Same(QString::number(Grid().Model().rowCount()), w[0], "rows of " + grid_);
         }}},
        {"expect line", {3, [this](const QStringList& w) {
             Value(testing::LineValue(Grid().Model(), Row(w[0]), w[1].toUtf8().constData()), w[2], "line " + w[0] + " " + w[1]);
         }}},
        {"expect cell", {3, [this](const QStringList& w) {
             Same(Grid().Model().data(Grid().Model().index(Row(w[0]), Column(w[1]))).toString(), w[2], "cell " + w[0] + " " + w[1]);
         }}},
        {"expect field", {2, [this](const QStringList& w) {
             Value(Host().Form().cdsMaster.FieldByName(w[0].toStdString()).Value(), w[1], "field " + w[0]);
         }}},
        {"expect text", {2, [this](const QStringList& w) {
             (void)QTest::qWaitFor([&] { return Edit(w[0]).text() == w[1]; }, 1000);
             Same(Edit(w[0]).text(), w[1], "text of " + w[0]);
         }}},
        {"expect tooltip", {2, [this](const QStringList& w) {
             Check(Widget(w[0]).toolTip().contains(w[1]), "tool tip of " + w[0] + ": " + Widget(w[0]).toolTip());
         }}},
        // A posted document's fields do not look like edits.
        {"expect readonly", {1, [this](const QStringList& w) {
             Check(Edit(w[0]).isReadOnly(), "editable: " + w[0]);
             Check(Edit(w[0]).palette().color(QPalette::Base) != QApplication::palette().color(QPalette::Base),
                   "looks like an edit: " + w[0]);
         }}},
        {"expect focus", {1, [this](const QStringList& w) { Check(QApplication::focusWidget() == &Edit(w[0]), "no focus on " + w[0]); }}},
        {"expect column", {1, [this](const QStringList& w) {
             Same(QString::number(Grid().View().currentIndex().column()), QString::number(Column(w[0])), "current column");
         }}},
        {"expect no-editor", {0, [this](const QStringList&) { Check(CellEditor() == nullptr, "a cell editor is open"); }}},
        {"expect selected", {1, [this](const QStringList& w) {
             QLineEdit* editor = CellEditor();
             Need(editor != nullptr, "no cell editor open");
             Same(editor->selectedText(), w[0], "selected in the cell");
         }}},
        {"expect total", {2, [this](const QStringList& w) {
             Need(Host().Totals() != nullptr && Host().Totals()->isVisible(), "no totals shown");
             Same(Host().Totals()->Text(w[0]), w[1], "total " + w[0]);
         }}},
        {"expect local-total", {2, [this](const QStringList& w) {
             Need(Host().Totals() != nullptr && Host().Totals()->isVisible(), "no totals shown");
             Same(Host().Totals()->Text(w[0], true), w[1], "local total " + w[0]);
         }}},
        {"expect footer", {2, [this](const QStringList& w) { Same(Grid().Footer().Text(Column(w[0])), w[1], "footer " + w[0]); }}},
        // STATE: present, enabled, disabled, hidden (or absent).
        {"expect action", {2, [this](const QStringList& w) {
             QAction* action = testing::ToolAction(Host(), w[0]);
             if (w[1] == "hidden") return Check(action == nullptr || !action->isVisible(), "shown: " + w[0]);
             Need(action != nullptr, "no action " + w[0]);
             if (w[1] != "present") Same(action->isEnabled() ? "enabled" : "disabled", w[1], w[0]);
         }}},
        // No command button is captioned by a symbol alone.
        {"expect words", {0, [this](const QStringList&) {
             for (const QAction* action : Host().ToolBar().actions())
                 Check(!action->isVisible() || action->text().contains(QRegularExpression("\\p{L}{3}")),
                       "captioned by a symbol: " + action->objectName() + " " + action->text());
         }}},
        // Every name beside a code is read whole.
        {"expect labels-fit", {1, [this](const QStringList& w) {
             for (QLabel* label : Host().Pages()->widget(0)->findChildren<QLabel*>(w[0]))
                 Check(label->width() >= label->fontMetrics().horizontalAdvance(label->text()), "cut: " + label->text());
         }}},
        {"expect pdf-name", {1, [this](const QStringList& w) {
             const QString file = QFileInfo(client->Window().LastPrintedFile()).fileName();
             Check(file.startsWith(w[0]), "printed into " + file);
         }}},
        {"expect pdf", {1, [this](const QStringList& w) {
             Check(Pdf().contains(QRegularExpression(w[0])), "not printed: " + w[0] + "\n" + Pdf());
         }}},
        {"expect no-pdf", {1, [this](const QStringList& w) { Check(!Pdf().contains(w[0]), "printed: " + w[0]); }}},
        // SQL => the rows it returns, values split by |, rows by " ; ".
        {"expect sql", {1, [this](const QStringList& w) {
             const qsizetype arrow = w[0].indexOf("=>");
             Need(arrow > 0, "no => in " + w[0]);
             Same(Query(w[0].left(arrow)), w[0].mid(arrow + 2).trimmed(), w[0].left(arrow));
         }}},
        {"expect file-size", {2, [this](const QStringList& w) {
             Same(QString::number(QFileInfo(w[0]).size()), w[1], "size of " + w[0]);
         }}},
        {"expect open-forms", {1, [this](const QStringList& w) {
             Same(QString::number(client->Window().OpenForms().size()), w[0], "open forms");
         }}},
        {"expect closed", {1, [this](const QStringList& w) { Check(named_[w[0]].isNull(), "still open: " + w[0]); }}},
        {"expect chart-rows", {2, [this](const QStringList& w) {
             auto* chart = Host().findChild<TChartWidget*>(w[0]);
             Need(chart != nullptr, "no chart " + w[0]);
             Same(QString::number(chart->DrawnRows()), w[1], "rows drawn by " + w[0]);
         }}},
        // FILE CELL TEXT: the cell of the first sheet of an .xlsx file holds the text or number.
        {"expect xlsx", {3, [this](const QStringList& w) {
             const QString sheet = testing::XlsxSheet(w[0]);
             const QRegularExpression cell("<c r=\"" + w[1] + "\"[^>]*>(?:<is><t[^>]*>([^<]*)</t></is>|<v>([^<]*)</v>)");
             const QRegularExpressionMatch found = cell.match(sheet);
             Same(found.hasMatch() ? found.captured(1) + found.captured(2) : QString("(no cell)"), w[2], w[0] + " " + w[1]);
         }}},
        {"expect in-front", {1, [this](const QStringList& w) { Check(ActiveHost() == named_[w[0]], "not in front: " + w[0]); }}},
    };
}

void Journey::Play(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    std::map<QString, TVerb> verbs = Verbs();
    verbs.merge(Expectations());
    verbs.merge(Answers());
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    lines << QString();
    QSize size(1400, 860);
    QStringList arrange;
    QString scenario;
    bool started = false;
    for (int number = 0; number < lines.size() && !HasFatalFailure(); ++number) {
        const QString line =
            lines[number].trimmed().replace("$DIR", folder.path()).replace("$DATA", QStringLiteral(TAVREK_TEST_DATA_DIR "/data"));
        SCOPED_TRACE(QStringLiteral("%1:%2: %3").arg(path).arg(number + 1).arg(line).toStdString());
        if (line.startsWith("> ")) {
            scenario += line.mid(2) + '\n';
            continue;
        }
        if (line.isEmpty() || line.startsWith('#')) continue;
        if (line.startsWith("window ")) {
            size = QSize(Words(line, 3)[1].toInt(), Words(line, 3)[2].toInt());
            continue;
        }
        if (line.startsWith("arrange ")) {
            arrange << line.mid(8);
            continue;
        }
        try {
            if (!started) {
                StartClient(size, [&arrange](server::EmbeddedServer& server) {
                    for (const QString& step : arrange) {
                        TVariantArray keys;
                        if (step.startsWith("post ")) Need(server.PostPurchase(step.mid(5).toStdString(), keys) >= 0,
                                                          QString::fromStdString(server.LastRefusalText()));
                        else server.Database().Exec(step.toStdString());
                    }
                });
                started = true;
            }
            if (!scenario.isEmpty()) RunScenario(std::exchange(scenario, QString()).toUtf8().constData());
            const QStringList head = Words(line, 3);
            auto verb = verbs.find(head[0] + ' ' + head[1]);
            if (verb == verbs.end()) verb = verbs.find(head[0]);
            ASSERT_NE(verb, verbs.end()) << "no such step";
            const int skip = verb->first.contains(' ') ? 2 : 1;
            verb->second.Run(Words(line, skip + verb->second.Words).mid(skip));
            ExpectNoFailures();
        } catch (const std::exception& error) {
            FAIL() << error.what();
        }
    }
    EXPECT_TRUE(answerer.AllAnswered()) << "a dialog the journey answers never came";
}

std::vector<std::string> JourneyScripts() {
    std::vector<std::string> names;
    for (const QFileInfo& script : QDir(TAVREK_TEST_DATA_DIR "/golden/desktop").entryInfoList({"*.txt"}, QDir::Files, QDir::Name))
        names.push_back(script.completeBaseName().toStdString());
    return names;
}

TEST_P(Journey, RunsAsScripted) { Play(QStringLiteral(TAVREK_TEST_DATA_DIR "/golden/desktop/%1.txt").arg(QString::fromStdString(GetParam()))); }

INSTANTIATE_TEST_SUITE_P(Scripts, Journey, ::testing::ValuesIn(JourneyScripts()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// The same journeys on a desktop of an office: the company is served by tavrek-server and
// the client holds no database address, only the server's.
class NetJourney : public Journey {
protected:
    NetJourney() { ServeThroughNetwork(); }
};

TEST_P(NetJourney, RunsAsScripted) { Play(QStringLiteral(TAVREK_TEST_DATA_DIR "/golden/desktop/%1.txt").arg(QString::fromStdString(GetParam()))); }

INSTANTIATE_TEST_SUITE_P(Scripts, NetJourney,
                         ::testing::Values("invoice_entered_saved_posted_and_printed", "lists_invoice_list_newest_first",
                                           "order_received_through_its_buffer", "invoice_bad_input_refused"));

}  // namespace
}  // namespace tavrek::desktop
