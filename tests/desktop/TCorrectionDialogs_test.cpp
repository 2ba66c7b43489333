#include <QCheckBox>
#include <QDateEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "TDialogAnswerer.h"
#include "desktop/TQtDialogs.h"

namespace tavrek::desktop {
namespace {

using testing::TDialogAnswerer;

template <class T>
T& Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) throw std::runtime_error(std::string("no child ") + name);
    return *child;
}

TEST(CorrectionDialogsTest, TheAnnulmentDialogProposesTheDateAndReturnsWhatWasTyped) {
    testing::TestApp();
    TQtDialogs dialogs;
    for (bool confirm : {true, false}) {
        SCOPED_TRACE(confirm);
        TDialogAnswerer answerer;
        QDate shown;
        answerer.Expect([&](QWidget& dialog) {
            shown = Child<QDateEdit>(dialog, "edtAnnulDate").date();
            Child<QDateEdit>(dialog, "edtAnnulDate").setDate(QDate(2026, 12, 5));
            Child<QLineEdit>(dialog, "edtAnnulDescription").setText(QStringLiteral("Грешна цена"));
            QTest::keyClick(&dialog, confirm ? Qt::Key_Return : Qt::Key_Escape);
        });
        TDateTime date = TDateTime::FromDate(2026, 11, 30);
        std::string description;
        EXPECT_EQ(dialogs.AnnulDocument(date, description), confirm);
        EXPECT_EQ(shown, QDate(2026, 11, 30));
        EXPECT_EQ(date, confirm ? TDateTime::FromDate(2026, 12, 5) : TDateTime::FromDate(2026, 11, 30));
        EXPECT_EQ(description, confirm ? "Грешна цена" : "");
    }
}

TEST(CorrectionDialogsTest, TheChangeIsWhatWasHandedOverLessTheAmountDue) {
    testing::TestApp();
    const struct {
        double due, received, typed;
        const char* change;
    } cases[] = {{24.60, 24.60, 50.0, "25,40"}, {-150.0, -150.0, -100.0, "50,00"}, {10.0, 10.0, 10.0, "0,00"}};
    TQtDialogs dialogs;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.change);
        TDialogAnswerer answerer;
        QString before, after, due;
        answerer.Expect([&](QWidget& dialog) {
            due = Child<QLabel>(dialog, "lblDue").text();
            before = Child<QLabel>(dialog, "lblChange").text();
            Child<QDoubleSpinBox>(dialog, "edtReceived").setValue(c.typed);
            after = Child<QLabel>(dialog, "lblChange").text();
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        dialogs.ChangeCalculation(c.due, c.received);
        EXPECT_EQ(due, QString::number(c.due, 'f', 2).replace('.', ','));
        EXPECT_EQ(before, QStringLiteral("0,00"));
        EXPECT_EQ(after, QString::fromLatin1(c.change));
    }
}

TEST(CorrectionDialogsTest, TheCurrencyRateIsEditedOrOnlyShown) {
    testing::TestApp();
    TQtDialogs dialogs;
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        TDialogAnswerer answerer;
        bool shownReadOnly = false;
        answerer.Expect([&](QWidget& dialog) {
            QLineEdit& rate = Child<QLineEdit>(dialog, "edtRate");
            shownReadOnly = rate.isReadOnly();
            if (!readOnly) {
                rate.selectAll();
                QTest::keyClicks(&rate, "1.96");
            }
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        std::string rate = "1.95583";
        EXPECT_TRUE(dialogs.CurrencyRate("EUR", rate, readOnly));
        EXPECT_EQ(shownReadOnly, readOnly);
        EXPECT_EQ(rate, readOnly ? "1.95583" : "1.96");
    }
}

TEST(CorrectionDialogsTest, AnOptionIsChosenFromTheLinesOfTheOptionsText) {
    testing::TestApp();
    TQtDialogs dialogs;
    for (int pick : {1, -1}) {
        SCOPED_TRACE(pick);
        TDialogAnswerer answerer;
        int shown = 0;
        answerer.Expect([&](QWidget& dialog) {
            QListWidget& options = Child<QListWidget>(dialog, "lstOptions");
            shown = options.count();
            if (pick < 0) {
                QTest::keyClick(&dialog, Qt::Key_Escape);
                return;
            }
            options.setCurrentRow(pick);
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
        EXPECT_EQ(dialogs.ChooseOption("Кредитно известие", "Без връзка\r\nВръщане от продажба\r\n"), pick);
        EXPECT_EQ(shown, 2);
    }
}

// The check box under the options starts as proposed; its state counts only when an option
// is chosen.
TEST(CorrectionDialogsTest, AFlagBesideTheOptionsIsReturnedOnlyWithAChoice) {
    testing::TestApp();
    TQtDialogs dialogs;
    const struct {
        bool proposed;
        bool click;
        bool cancel;
        int chosen;
        bool flag;
    } cases[] = {{true, false, false, 0, true}, {true, true, false, 0, false}, {false, true, false, 0, true},
                 {false, true, true, -1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.proposed) + std::to_string(c.click) + std::to_string(c.cancel));
        TDialogAnswerer answerer;
        QString caption;
        answerer.Expect([&](QWidget& dialog) {
            QCheckBox& box = Child<QCheckBox>(dialog, "chkFlag");
            caption = box.text();
            if (c.click) box.click();
            QTest::keyClick(&dialog, c.cancel ? Qt::Key_Escape : Qt::Key_Return);
        });
        bool flag = c.proposed;
        EXPECT_EQ(dialogs.ChooseOptionWithFlag("Кредитно известие", "Без връзка", "Приспадане от фактура 77", flag),
                  c.chosen);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(caption, QString::fromUtf8("Приспадане от фактура 77"));
    }
}

}  // namespace
}  // namespace tavrek::desktop
