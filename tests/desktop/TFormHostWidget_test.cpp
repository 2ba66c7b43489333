#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "THostTestForm.h"
#include "base/session/Tdm.h"
#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TDbFieldControl.h"
#include "desktop/TFormActions.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TGridFooter.h"
#include "desktop/TMainWindow.h"
#include "desktop/TQtDialogs.h"
#include "desktop/TSidePanelWidget.h"

namespace tavrek::desktop {
namespace {

using testing::TDialogAnswerer;
using testing::THostTestForm;

class FormHostTest : public ::testing::Test {
protected:
    FormHostTest() {
        dm().SetDialogs(&dialogs);
        dm().SetFormHost(&window);
        auto owned = std::make_unique<THostTestForm>();
        form = owned.get();
        form->Show();
        window.ShowForm(std::move(owned));
        host = window.HostOf(*form);
        window.show();
    }

    QTableView& LinesView() const { return host->Grid("dbgLines")->View(); }
    QAction* ToolAction(const QString& caption) const {
        for (QAction* action : host->ToolBar().actions())
            if (action->text() == caption) return action;
        return nullptr;
    }
    QApplication& app = testing::TestApp();
    TSessionGuard guard;
    TMainWindow window;
    TQtDialogs dialogs{&window};
    TDialogAnswerer answerer;
    THostTestForm* form = nullptr;
    TFormHostWidget* host = nullptr;
};

TEST_F(FormHostTest, HeaderEditsWriteTheirFieldsThroughTheForm) {
    struct TCase {
        const char* Field;
        std::function<void(TDbFieldControl&)> Edit;
        Variant Expected;
    };
    const auto typeText = [](const QString& text) {
        return [text](TDbFieldControl& control) {
            auto* edit = qobject_cast<QLineEdit*>(&control.Editor());
            edit->setFocus();
            edit->selectAll();
            testing::TypeText(*edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
    };
    const auto clickCheck = [](TDbFieldControl& control) {
        qobject_cast<QCheckBox*>(&control.Editor())->click();
    };
    const std::vector<TCase> cases = {
        {"DocNo", typeText("Ф-100"), Variant("Ф-100")},
        {"Discount", typeText("2,5"), Variant(2.5)},
        {"Closed", clickCheck, Variant(int64_t{1})},
        {"Closed", clickCheck, Variant(int64_t{0})},
        {"DocDate",
         [](TDbFieldControl& control) {
             auto* edit = qobject_cast<QDateEdit*>(&control.Editor());
             edit->setDate(QDate(2026, 4, 15));
             edit->setCurrentSection(QDateTimeEdit::DaySection);
             QTest::keyClick(edit, Qt::Key_Tab);
             EXPECT_EQ(edit->currentSection(), QDateTimeEdit::DaySection) << "Tab leaves the date, not its day";
             emit edit->editingFinished();
         },
         Variant(TDateTime::FromDate(2026, 4, 15))},
        {"Kind", [](TDbFieldControl& control) { emit qobject_cast<QComboBox*>(&control.Editor())->activated(1); },
         Variant("B")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Field);
        TDbFieldControl* control = host->FieldControl(c.Field);
        ASSERT_NE(control, nullptr);
        c.Edit(*control);
        EXPECT_EQ(form->cdsMaster.FieldByName(c.Field).Value(), c.Expected)
            << form->cdsMaster.FieldByName(c.Field).Value().DebugString();
    }
    EXPECT_EQ(host->FieldControl("Closed")->ShownText(), "0");
    EXPECT_EQ(host->FieldControl("Discount")->ShownText(), "2,50");
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
}

TEST_F(FormHostTest, BadHeaderInputIsRefusedWithAMessage) {
    answerer.ExpectMessage(QMessageBox::Ok);
    auto* edit = qobject_cast<QLineEdit*>(&host->FieldControl("Discount")->Editor());
    edit->setFocus();
    testing::TypeText(*edit, "абв");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(answerer.AllAnswered());
    ASSERT_EQ(answerer.Shown().size(), 1);
    EXPECT_TRUE(answerer.Shown()[0].startsWith(QString::number(QMessageBox::Critical)));
    EXPECT_DOUBLE_EQ(form->cdsMaster.FieldByName("Discount").AsFloat(), 0.0);
    EXPECT_EQ(edit->text(), "0,00");
    EXPECT_TRUE(qobject_cast<QLineEdit*>(&host->FieldControl("Total")->Editor())->isReadOnly());
}

TEST_F(FormHostTest, TypingAQuantityUpdatesTheLineFooterAndHeader) {
    // The host's clock refreshes the form while the user types; the typing must survive it.
    testing::TypeIntoCell(LinesView(), LinesView().model()->index(1, 1), "4", 600);
    EXPECT_DOUBLE_EQ(form->cdsLines.RawRecord(1)[3].AsFloat(), 10.0);
    EXPECT_EQ(LinesView().model()->index(1, 3).data().toString(), "10,00");
    EXPECT_EQ(host->Grid("dbgLines")->Footer().Text(3), "15,00");
    EXPECT_EQ(host->FieldControl("Total")->ShownText(), "15,00");
    EXPECT_TRUE(answerer.Unexpected().isEmpty());
}

TEST_F(FormHostTest, QuestionAnsweredNoLeavesTheLinesAndYesClearsThem) {
    QAction* clear = ToolAction("Изчистване на редовете");
    ASSERT_NE(clear, nullptr);
    ASSERT_TRUE(clear->isEnabled());
    answerer.ExpectMessage(QMessageBox::No);
    clear->trigger();
    EXPECT_EQ(form->cdsLines.RecordCount(), 3);
    ASSERT_EQ(answerer.Shown().size(), 1);
    EXPECT_EQ(answerer.Shown()[0], QStringLiteral("%1|Да бъдат ли изтрити всички редове?|%2,%3")
                                       .arg(QMessageBox::Question)
                                       .arg(QMessageBox::Yes)
                                       .arg(QMessageBox::No));
    answerer.ExpectMessage(QMessageBox::Yes);
    clear->trigger();
    EXPECT_EQ(form->cdsLines.RecordCount(), 0);
    EXPECT_FALSE(clear->isEnabled());
    EXPECT_EQ(LinesView().model()->rowCount(), 0);
}

TEST_F(FormHostTest, LinePopupShowsTheFormsItemsAndRunsThem) {
    QMenu menu;
    host->Actions().FillMenu(menu, form->pmLine);
    QStringList shown;
    for (QAction* action : menu.actions()) shown << (action->isSeparator() ? "-" : action->text());
    EXPECT_EQ(shown, (QStringList{"Изчистване на редовете", "-", "Собствен"}));
    menu.actions().last()->trigger();
    EXPECT_TRUE(form->OwnItemClicked);
    form->acClearLines.Visible = false;
    host->Actions().FillMenu(menu, form->pmLine);
    EXPECT_EQ(menu.actions().size(), 2);
}

TEST_F(FormHostTest, SidePanelFollowsTheLineAfterItsDelay) {
    LinesView().setCurrentIndex(LinesView().model()->index(2, 0));
    EXPECT_EQ(form->cdsLines.RecNo(), 3);
    EXPECT_TRUE(host->SidePanel()->ShownText().isEmpty());
    QTest::qWait(400);
    EXPECT_EQ(host->SidePanel()->ShownText(), "Ред: C");
}

TEST_F(FormHostTest, WalkingTheLinesShowsTheHourglassAndDisablesTheGrid) {
    std::vector<bool> waiting, gridEnabled;
    form->OnWalkStep = [&] {
        waiting.push_back(QApplication::overrideCursor() != nullptr &&
                          QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        gridEnabled.push_back(host->Grid("dbgLines")->isEnabled());
    };
    ToolAction("Обхождане")->trigger();
    EXPECT_EQ(waiting, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(gridEnabled, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(host->Grid("dbgLines")->isEnabled());
}

TEST_F(FormHostTest, PagesAreTabsThatTheFormMayHide) {
    QTabWidget* pages = host->Pages();
    ASSERT_NE(pages, nullptr);
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), "Основни");
    EXPECT_EQ(pages->tabText(1), "Други");
    form->Description.FindPage("tsOther")->Visible = false;
    host->RefreshAll();
    EXPECT_FALSE(pages->isTabVisible(1));
}

TEST_F(FormHostTest, AGridWithACaptionIsFramedUnderIt) {
    auto* frame = qobject_cast<QGroupBox*>(host->Grid("dbgLines")->parentWidget());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), "Редове");
}

TEST_F(FormHostTest, MultiSelectedLinesReachTheFormAsBookmarks) {
    QTableView& view = LinesView();
    view.selectionModel()->select(view.model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.selectionModel()->select(view.model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ASSERT_EQ(form->dbgLines.SelectedRows.size(), 2u);
    EXPECT_EQ(form->dbgLines.SelectedRows[0], form->cdsLines.RawBookmark(0));
    EXPECT_EQ(form->dbgLines.SelectedRows[1], form->cdsLines.RawBookmark(2));
}

TEST_F(FormHostTest, ClosingTheWindowClosesTheFormWithoutErrors) {
    ASSERT_EQ(window.OpenForms().size(), 1u);
    window.Mdi().closeAllSubWindows();
    EXPECT_TRUE(window.OpenForms().empty());
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.HostOf(*form), nullptr);
    EXPECT_TRUE(guard.Session().ErrorLog().Entries().empty());
}

}  // namespace
}  // namespace tavrek::desktop
