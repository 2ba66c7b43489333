#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QTableView>
#include <QTableWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "DemoClientTest.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBase.h"
#include "base/session/LocalData.h"
#include "desktop/TDataGrid.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TLoginDialog.h"
#include "desktop/TMainWindow.h"
#include "desktop/TSidePanelWidget.h"
#include "server/EmbeddedServer.h"
#include "server/SqlValue.h"
#include "server/db/TDbSession.h"

namespace tavrek::desktop {
namespace {

class ClientAppTest : public testing::DemoClientTest {
protected:
    // The editor the screenshot shows when the package has it, else the first form there is.
    static QString ShownForm() {
        if (FormRegistry().FindClass("TfEdPurchase") != nullptr) return "TfEdPurchase";
        return FormRegistry().Empty() ? QString() : QString::fromStdString(FormRegistry().Classes().front().ClassName);
    }
};

// Each form opens over the ones before it, in front and inside the work area, with its
// commands readable: drop-downs in Bulgarian, no caption cut, nothing a form cannot do.
TEST_F(ClientAppTest, EveryRegisteredFormOpensInFrontInsideTheWorkAreaAndAllClose) {
    StartClient({1280, 800});
    ASSERT_FALSE(FormRegistry().Empty());
    TMainWindow& window = client->Window();
    const std::map<std::string, QStringList> notOffered = {
        {"TfEdPurchOffer", {"acPostDocument", "acPostAndPrintDocument", "acAddAdvancePayment"}},
        {"TfEdPurchOrder", {"acPostDocument", "acPostAndPrintDocument"}},
        {"TfBrPurchOffer", {"acPostDocument", "acPostAndPrintDocument"}},
        {"TfBrPurchOrderBufer", {"acPostDocument", "acPostAndPrintDocument"}},
    };
    for (const TFormClassInfo& info : FormRegistry().Classes()) {
        SCOPED_TRACE(info.ClassName);
        ASSERT_TRUE(window.OpenForm(info.ClassName));
        QApplication::processEvents();
        QMdiSubWindow* front = window.Mdi().activeSubWindow();
        ASSERT_NE(front, nullptr);
        ASSERT_EQ(TMainWindow::HostOf(front)->Form().ClassName(), info.ClassName);
        EXPECT_EQ(window.Mdi().subWindowList(QMdiArea::StackingOrder).last(), front);
        EXPECT_TRUE(window.Mdi().viewport()->rect().contains(front->geometry())) << front->geometry().width();
        EXPECT_TRUE(TMainWindow::HostOf(front)->isAncestorOf(QApplication::focusWidget())) << "the keys go to the form";
        EXPECT_EQ(qobject_cast<QToolButton*>(QApplication::focusWidget()), nullptr);
        for (const QToolButton* button : TMainWindow::HostOf(front)->ToolBar().findChildren<QToolButton*>()) {
            if (!button->isVisible()) continue;
            EXPECT_TRUE(button->text().contains(QRegularExpression("[А-Яа-я$]"))) << button->text().toStdString();
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
            EXPECT_FALSE(notOffered.contains(info.ClassName) &&
                         notOffered.at(info.ClassName).contains(button->objectName()))
                << button->objectName().toStdString();
        }
        const TSidePanelWidget& panel = *TMainWindow::HostOf(front)->SidePanel();
        for (const QTableWidget* list : panel.findChildren<QTableWidget*>()) {
            EXPECT_LE(list->mapTo(&panel, QPoint(list->width(), 0)).x(), panel.width());
            for (int row = 0; row < list->rowCount(); ++row)
                EXPECT_LE(list->fontMetrics().horizontalAdvance(list->item(row, 0)->text()), list->columnWidth(0))
                    << list->item(row, 0)->text().toStdString();
        }
        ExpectNoFailures();
    }
    EXPECT_TRUE(window.CloseAllForms());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.Mdi().subWindowList().isEmpty());
    ExpectNoFailures();
}

// The status bar names the session. The windows are reached from the "Прозорци" menu and by
// keys; cascade and tile keep them inside the work area; F10 and Alt with a letter open the menus.
TEST_F(ClientAppTest, WindowsAreReachedFromTheirMenuAndTheKeyboard) {
    StartClient({1100, 700});
    TMainWindow& window = client->Window();
    const std::pair<const char*, QString> session[] = {
        {"lblCompany", "Фирма: Демо Търговия ЕООД"},
        {"lblUser", "Потребител: admin"},
        {"lblWorkDate", "Работна дата: " + QDate::currentDate().toString("dd.MM.yyyy") + " г."}};
    for (const auto& [label, text] : session) {
        ASSERT_NE(window.findChild<QLabel*>(label), nullptr) << label;
        EXPECT_EQ(window.findChild<QLabel*>(label)->text(), text);
    }
    const QStringList forms = {"TfBrPurchase", "TfEdPurchOrder", "TfEdPurchase"};
    for (const QString& form : forms) ASSERT_NE(OpenFromMenu(form), nullptr);
    const auto frontForm = [&window] { return QString::fromStdString(window.ActiveHost()->Form().ClassName()); };
    const auto listed = [&window] {
        emit window.WindowMenu().aboutToShow();
        QStringList entries;
        for (const QAction* action : window.WindowMenu().actions())
            if (action->objectName().startsWith("window"))
                entries << (action->isChecked() ? "*" : "") + action->text().section(' ', 1);
        return entries;
    };
    EXPECT_EQ(listed(), (QStringList{"Фактури за покупка", "Поръчка за покупка", "*Фактура за покупка"}));
    // The keys of the daily commands stand beside them in the menus and in their tooltips.
    const std::pair<QAction*, const char*> commands[] = {
        {testing::ToolAction(*window.ActiveHost(), "acSave"), "Ctrl+S"},
        {testing::ToolAction(*window.ActiveHost(), "acPrint"), "Ctrl+P"},
        {testing::ToolAction(*window.ActiveHost(), "acPostDocument"), "Ctrl+Return"},
        {testing::ToolAction(*window.ActiveHost(), "acReCalcDocument"), "F9"},
        {window.findChild<QAction*>("acCloseWindow"), "Ctrl+F4"},
        {window.findChild<QAction*>("acNextWindow"), "Ctrl+Tab"},
    };
    for (const auto& [command, key] : commands) {
        ASSERT_NE(command, nullptr) << key;
        EXPECT_EQ(command->shortcut().toString(QKeySequence::PortableText), key);
        if (command->parent() != &window) {
            EXPECT_TRUE(command->toolTip().endsWith(QStringLiteral("(%1)").arg(key))) << key;
        }
    }
    window.WindowMenu().findChild<QAction*>("window1")->trigger();
    EXPECT_EQ(frontForm(), "TfBrPurchase");
    const struct {
        Qt::KeyboardModifiers Modifiers;
        const char* Front;
    } keys[] = {{Qt::ControlModifier, "TfEdPurchOrder"},
                {Qt::ControlModifier, "TfEdPurchase"},
                {Qt::ControlModifier, "TfBrPurchase"},
                {Qt::ControlModifier | Qt::ShiftModifier, "TfEdPurchase"}};
    for (const auto& key : keys) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, key.Modifiers);
        EXPECT_EQ(frontForm(), key.Front);
    }
    for (void (TMainWindow::*arrange)() : {&TMainWindow::CascadeWindows, &TMainWindow::TileWindows}) {
        (window.*arrange)();
        for (const QMdiSubWindow* shown : window.Mdi().subWindowList())
            EXPECT_TRUE(window.Mdi().viewport()->rect().contains(shown->geometry())) << shown->windowTitle().toStdString();
    }
    EXPECT_EQ(frontForm(), "TfEdPurchase") << "arranging keeps the window in front";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(listed(), (QStringList{"*Фактури за покупка", "Поръчка за покупка"})) << "the one used before comes to the front";

    const struct {
        Qt::Key Key;
        QString Text;
        Qt::KeyboardModifiers Modifiers;
        QMenu* Opens;
    } menus[] = {{Qt::Key_F10, "", Qt::NoModifier, &window.PurchaseMenu()},
                 {Qt::Key(u'П'), "п", Qt::AltModifier, &window.PurchaseMenu()},
                 {Qt::Key(u'Р'), "р", Qt::AltModifier, &window.WindowMenu()}};
    for (const auto& menu : menus) {
        QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), menu.Key, menu.Text, menu.Modifiers);
        QTest::qWait(20);
        EXPECT_EQ(QApplication::activePopupWidget(), menu.Opens) << menu.Key;
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
        window.menuBar()->setActiveAction(nullptr);
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    ExpectNoFailures();
}

// A form opens again as its user left it: its size, kept within the area, and the widths of
// its columns; another user has his own.
TEST_F(ClientAppTest, AFormReopensAsItsUserLeftIt) {
    StartClient({1100, 700});
    TMainWindow& window = client->Window();
    const auto reopen = [&](const char* user = "ADMIN") {
        window.Mdi().currentSubWindow()->close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        LocalData().UserId = user;
        return OpenFromMenu("TfBrPurchase");
    };
    TFormHostWidget* list = OpenFromMenu("TfBrPurchase");
    ASSERT_NE(list, nullptr);
    window.Mdi().currentSubWindow()->resize(700, 400);
    list->Grid("dbgMaster")->View().setColumnWidth(1, 155);
    list = reopen();
    EXPECT_EQ(window.Mdi().currentSubWindow()->size(), QSize(700, 400));
    EXPECT_EQ(list->Grid("dbgMaster")->View().columnWidth(1), 155);

    window.Mdi().currentSubWindow()->resize(1090, 690);
    window.resize(900, 600);
    QTest::qWait(20);
    EXPECT_TRUE(window.Mdi().viewport()->rect().contains(window.Mdi().currentSubWindow()->geometry()))
        << "a smaller main window takes its windows in";
    list = reopen();
    EXPECT_TRUE(window.Mdi().viewport()->rect().contains(window.Mdi().currentSubWindow()->geometry()));

    list = reopen("BUYER2");
    EXPECT_NE(window.Mdi().currentSubWindow()->size(), QSize(700, 400));
    EXPECT_NE(list->Grid("dbgMaster")->View().columnWidth(1), 155);
    ExpectNoFailures();
}

// The session ended on the server while the person typed: a save asks him to sign in again as
// himself. Cancelled, the save is refused and the input stays in the form; signed in, it is saved.
TEST_F(ClientAppTest, AnEndedSessionAsksToSignInAgainAndTheInputSurvives) {
    ServeThroughNetwork(std::chrono::seconds(1));
    StartClient({1100, 700});
    TFormHostWidget* invoice = OpenFromMenu("TfEdPurchase");
    ASSERT_NE(invoice, nullptr);
    testing::TriggerAction(*invoice, "acInsertRecord");
    testing::TypeIntoField(*invoice, "N_SubDocument_Code", "520");
    testing::TypeIntoField(*invoice, "VendorInvoiceNo", "Д-77");
    std::this_thread::sleep_for(std::chrono::milliseconds(1300));
    const auto signIn = [this](const char* password) {
        answerer.Expect([password](QWidget& dialog) {
            auto* login = qobject_cast<TLoginDialog*>(&dialog);
            ASSERT_NE(login, nullptr) << dialog.objectName().toStdString();
            EXPECT_EQ(login->objectName(), "dlgLogin");
            EXPECT_TRUE(login->windowTitle().contains("Сесията изтече")) << login->windowTitle().toStdString();
            EXPECT_EQ(login->UserEdit().text(), "admin");
            EXPECT_TRUE(login->UserEdit().isReadOnly());
            if (password == nullptr) return login->reject();
            login->PasswordEdit().setText(password);
            QTest::keyClick(&login->PasswordEdit(), Qt::Key_Return);
        });
    };
    const auto saved = [this] {
        return server::SelectRows(Direct().Database(), "SELECT COUNT(*) FROM D_PurchHeader WHERE VendorInvoiceNo = 'Д-77'")
            .Value()
            .AsInteger();
    };
    signIn(nullptr);
    testing::TriggerAction(*invoice, "acSave");
    EXPECT_TRUE(answerer.AllAnswered());
    EXPECT_EQ(client->Window().statusBar()->currentMessage(),
              QString::fromStdString(Direct().GetMessageText("err_SessionExpired")));
    EXPECT_EQ(saved(), 0);
    EXPECT_EQ(invoice->Form().cdsMaster.FieldByName("VendorInvoiceNo").AsString(), "Д-77");
    guard.Session().ErrorLog().Clear();

    signIn("demo-admin");
    testing::TriggerAction(*invoice, "acSave");
    EXPECT_TRUE(answerer.AllAnswered()) << answerer.Shown().join("; ").toStdString();
    EXPECT_EQ(saved(), 1);
    ExpectNoFailures();
}

TEST_F(ClientAppTest, AFirstStartFindsTheSampleDocumentsInTheLists) {
    TClientApp client(Options());
    ASSERT_TRUE(client.Start());
    EXPECT_FALSE(QFile::exists(Options().CompanyFile + ".new"));
    const std::pair<QString, int> lists[] = {
        {"TfBrPostedPurchInvoice", 11}, {"TfBrPurchase", 1}, {"TfBrPostPurchCrMemo", 3}, {"TfBrSaleOrder", 14}};
    for (const auto& [form, rows] : lists) {
        SCOPED_TRACE(form.toStdString());
        ASSERT_TRUE(client.Window().OpenForm(form.toStdString()));
        QApplication::processEvents();
        const QTableView* grid = client.Window().ActiveHost()->findChild<QTableView*>();
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->model()->rowCount(), rows);
        client.Window().Mdi().closeAllSubWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ExpectNoFailures();
}

// The groups are reached by their underlined letters, each its own.
TEST_F(ClientAppTest, PurchaseMenuListsTheFormsByGroup) {
    TClientApp client(Options());
    ASSERT_TRUE(client.Start());
    QStringList groups, keys;
    for (QAction* action : client.Window().PurchaseMenu().actions()) {
        groups << QString(action->text()).remove('&');
        keys << QKeySequence::mnemonic(action->text()).toString();
    }
    for (const QString& group : groups)
        EXPECT_TRUE(QStringList({"Документи", "Осчетоводени документи", "Глобални документи", "Снабдяване",
                                 "Списъци", "Настройки", "Номенклатури и справки", "Справки"})
                        .contains(group))
            << group.toStdString();
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), groups.size());
    EXPECT_FALSE(keys.contains(QString()));
    int listed = 0;
    for (QAction* action : client.Window().PurchaseMenu().actions()) listed += action->menu()->actions().size();
    EXPECT_EQ(listed, static_cast<int>(FormRegistry().Classes().size()));
}

TEST_F(ClientAppTest, ScreenshotWritesAPngOfTheForm) {
    const QString png = folder.filePath("shot.png");
    TClientApp probe(Options());
    ASSERT_TRUE(probe.Start());
    const QString form = ShownForm();
    TClientApp client(Options(form, png));
    EXPECT_EQ(client.Run(), 0);
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800);
    if (!form.isEmpty()) {
        ASSERT_NE(client.Window().Mdi().activeSubWindow(), nullptr);
        EXPECT_TRUE(client.Window().Mdi().activeSubWindow()->isMaximized());
    }
}

TEST_F(ClientAppTest, ClientsStartedTogetherOnANewCompanyAllOpenIt) {
    std::vector<std::unique_ptr<QProcess>> clients;
    for (const char* form : {"TfBrPurchase", "TfBrPostedPurchInvoice", "TfBrPurchCrMemo"}) {
        clients.push_back(std::make_unique<QProcess>());
        clients.back()->setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TAVREK_PASSWORD", "demo-admin");
        clients.back()->setProcessEnvironment(environment);
        clients.back()->start(TAVREK_CLIENT_PATH, {"--company", Options().CompanyFile, "--user", "admin", "--form", form,
                                                   "--screenshot", folder.filePath(QString(form) + ".png")});
    }
    for (auto& started : clients) {
        ASSERT_TRUE(started->waitForFinished(120000));
        EXPECT_EQ(started->exitCode(), 0) << started->readAll().toStdString();
    }
    server::EmbeddedServer company(Options().CompanyFile.toStdString());
    EXPECT_GT(server::SelectRows(company.Database(), "SELECT COUNT(*) FROM D_PurchInvoiceHeader").Value().AsInteger(), 0);
}

TEST_F(ClientAppTest, ADamagedOrForeignFileIsRefusedAndLeftUntouched) {
    const QString garbage = folder.filePath("garbage.tavrek");
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a company database\n");
    file.close();
    const QString foreign = folder.filePath("foreign.tavrek");
    server::TDbSession(foreign.toStdString())
        .Exec("CREATE TABLE Notes (Text TEXT); INSERT INTO Notes VALUES ('x')");
    for (const QString& path : {garbage, foreign}) {
        SCOPED_TRACE(path.toStdString());
        QFile before(path);
        ASSERT_TRUE(before.open(QIODevice::ReadOnly));
        const QByteArray bytes = before.readAll();
        TClientOptions options = Options({}, folder.filePath("never.png"));
        options.CompanyFile = path;
        TClientApp client(options);
        EXPECT_FALSE(client.Start());
        EXPECT_EQ(dm().ServerOrNull(), nullptr);
        QFile after(path);
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), bytes);
        EXPECT_FALSE(QFile::exists(path + "-wal"));
    }
}

TEST_F(ClientAppTest, CommandLineIsReadOrRefused) {
    struct TCase {
        QStringList Arguments;
        QString Company, Form, Screenshot, User, Password;
        bool Error;
    };
    const QString passwordFile = folder.filePath("password.txt");
    QFile password(passwordFile);
    ASSERT_TRUE(password.open(QIODevice::WriteOnly));
    password.write("тайна 1\r\nsecond line\n");
    password.close();
    const std::vector<TCase> cases = {
        {{"p", "--company", "a.tavrek", "--form", "22", "--screenshot", "s.png"}, "a.tavrek", "22", "s.png", "", "", false},
        {{"p", "--form", "TfEdPurchase"}, "", "TfEdPurchase", "", "", "", false},
        {{"p", "--user", "buyer", "--password-file", passwordFile}, "", "", "", "buyer", "тайна 1", false},
        {{"p", "--user", "buyer", "--password-file", folder.filePath("none.txt")}, "", "", "", "buyer", "", true},
        {{"p", "--form"}, "", "", "", "", "", true},
        {{"p", "--colour", "red"}, "", "", "", "", "", true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TClientOptions options = TClientOptions::Parse(c.Arguments);
        EXPECT_EQ(options.CompanyFile, c.Company);
        EXPECT_EQ(options.Form, c.Form);
        EXPECT_EQ(options.Screenshot, c.Screenshot);
        EXPECT_EQ(options.User, c.User);
        if (c.Password.size() > 0 || c.Error) {
            EXPECT_EQ(options.Password, c.Password);
        }
        EXPECT_EQ(!options.Error.isEmpty(), c.Error);
    }
}

}  // namespace
}  // namespace tavrek::desktop
