#include <QApplication>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "TDialogAnswerer.h"
#include "desktop/TQtDialogs.h"
#include "desktop/TQuantityDialog.h"
#include "desktop/TSelectorDialog.h"

namespace tavrek::desktop {
namespace {

using testing::TDialogAnswerer;

TEST(QtDialogsTest, MessageBoxesShowTheAskedIconAndButtonsAndAnswerByCode) {
    testing::TestApp();
    struct TCase {
        TMsgDlgType Type;
        TMsgDlgButtons Buttons;
        QMessageBox::StandardButton Click;
        QMessageBox::Icon Icon;
        QString ShownButtons;
        int Result;
    };
    const auto list = [](std::initializer_list<QMessageBox::StandardButton> buttons) {
        QStringList out;
        for (auto b : buttons) out << QString::number(b);
        return out.join(',');
    };
    const std::vector<TCase> cases = {
        {TMsgDlgType::mtConfirmation, mbYesNo, QMessageBox::Yes, QMessageBox::Question,
         list({QMessageBox::Yes, QMessageBox::No}), mrYes},
        {TMsgDlgType::mtConfirmation, mbYesNo, QMessageBox::No, QMessageBox::Question,
         list({QMessageBox::Yes, QMessageBox::No}), mrNo},
        {TMsgDlgType::mtError, mbOK, QMessageBox::Ok, QMessageBox::Critical, list({QMessageBox::Ok}), mrOk},
        {TMsgDlgType::mtWarning, mbYes | mbNo | mbCancel, QMessageBox::Cancel, QMessageBox::Warning,
         list({QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}), mrCancel},
        {TMsgDlgType::mtInformation, 0, QMessageBox::Ok, QMessageBox::Information, list({QMessageBox::Ok}), mrOk},
    };
    TQtDialogs dialogs;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Result);
        TDialogAnswerer answerer;
        answerer.ExpectMessage(c.Click);
        EXPECT_EQ(dialogs.MessageDlgEx("Текст", c.Type, c.Buttons), c.Result);
        ASSERT_EQ(answerer.Shown().size(), 1);
        EXPECT_EQ(answerer.Shown()[0], QStringLiteral("%1|Текст|%2").arg(c.Icon).arg(c.ShownButtons));
    }
}

TEST(QtDialogsTest, QuantityDialogStartsFromTheValueAndStopsAtTheMaximum) {
    testing::TestApp();
    struct TCase {
        double Start, Maximum;
        double Entered;
        bool Accept;
        bool Confirmed;
        double Result;
    };
    const std::vector<TCase> cases = {
        {3.0, 5.0, 4.5, true, true, 4.5},
        {3.0, 5.0, 9.0, true, true, 5.0},
        {3.0, 5.0, 4.0, false, false, 3.0},
    };
    TQtDialogs dialogs;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Entered);
        TDialogAnswerer answerer;
        double shownStart = -1, shownMaximum = -1;
        answerer.Expect([&](QWidget& dialog) {
            auto& quantity = static_cast<TQuantityDialog&>(dialog);
            shownStart = quantity.Editor().value();
            shownMaximum = quantity.Editor().maximum();
            quantity.Editor().setValue(c.Entered);
            c.Accept ? quantity.accept() : quantity.reject();
        });
        double value = c.Start;
        EXPECT_EQ(dialogs.InputQuantity("Количество", value, c.Maximum), c.Confirmed);
        EXPECT_DOUBLE_EQ(value, c.Result);
        EXPECT_DOUBLE_EQ(shownStart, c.Start);
        EXPECT_DOUBLE_EQ(shownMaximum, c.Maximum);
    }
}

// Typed into the search box, a key walks the filtered rows listed by code and Enter takes
// the current one, without the focus leaving the box.
TEST(QtDialogsTest, SelectorIsDrivenFromTheSearchBoxByKeys) {
    testing::TestApp();
    auto rows = std::make_unique<TClientDataSet>("N_Contragent");
    rows->AddField("Code", TFieldType::ftString);
    rows->AddField("Name", TFieldType::ftString);
    rows->CreateDataSet();
    for (const auto& [code, name] : std::vector<std::pair<const char*, const char*>>{
             {"V003", "Алфа Трейд"}, {"V001", "Доставчик Алфа"}, {"V002", "Бета ООД"}})
        rows->AppendLoaded({code, name});
    rows->FieldByName("Code").DisplayLabel = "Код";
    rows->FieldByName("Code").DisplayWidth = 80;
    rows->FieldByName("Name").DisplayLabel = "Наименование";
    TSelectorDialog dialog("Избор", std::move(rows), true);
    dialog.show();
    EXPECT_EQ(dialog.View().horizontalHeader()->sectionResizeMode(1), QHeaderView::Stretch);
    EXPECT_EQ(dialog.View().model()->index(0, 0).data().toString(), "V001") << "listed by code";
    EXPECT_EQ(dialog.View().model()->headerData(0, Qt::Vertical).toInt(), 1) << "numbered as listed";
    dialog.SearchBox().setText("алфа");
    EXPECT_EQ(dialog.VisibleRows(), 2);
    QTest::keyClick(&dialog.SearchBox(), Qt::Key_Down);
    QTest::keyClick(&dialog.SearchBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    TRequestResult chosen = dialog.Chosen();
    EXPECT_EQ(chosen.Columns, (std::vector<std::string>{"Code", "Name"}));
    ASSERT_EQ(chosen.Rows.size(), 1u);
    EXPECT_EQ(chosen.Rows[0][0].AsString(), "V003");
    dialog.View().selectAll();
    EXPECT_EQ(dialog.Chosen().Rows.size(), 2u) << "several rows of the filter";
}

}  // namespace
}  // namespace tavrek::desktop
