#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include "server/db/TDbSession.h"
#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "TDialogAnswerer.h"
#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBase.h"
#include "base/session/Tdm.h"
#include "desktop/TClientApp.h"
#include "desktop/TMainWindow.h"

namespace tavrek::desktop {
namespace {

using testing::TDialogAnswerer;

class ClientAppTest : public ::testing::Test {
protected:
    TClientOptions Options(const QString& extraForm = {}, const QString& screenshot = {}) const {
        TClientOptions options;
        options.CompanyFile = folder.filePath("demo.tavrek");
        options.Form = extraForm;
        options.Screenshot = screenshot;
        return options;
    }
    // The editor the screenshot shows when the package has it, else the first form there is.
    static QString ShownForm() {
        if (FormRegistry().FindClass("TfEdPurchase") != nullptr) return "TfEdPurchase";
        return FormRegistry().Empty() ? QString() : QString::fromStdString(FormRegistry().Classes().front().ClassName);
    }

    QApplication& app = testing::TestApp();
    TSessionGuard guard;
    QTemporaryDir folder;
    // Cancels a dialog nobody expected (a company that failed to open, say) instead of hanging.
    TDialogAnswerer answerer;
};

TEST_F(ClientAppTest, EveryRegisteredFormOpensOnTheDemoCompanyAndCloses) {
    TClientApp client(Options());
    ASSERT_TRUE(client.Start());
    ASSERT_FALSE(FormRegistry().Empty());
    TMainWindow& window = client.Window();
    for (const TFormClassInfo& info : FormRegistry().Classes()) {
        SCOPED_TRACE(info.ClassName);
        ASSERT_TRUE(window.OpenForm(info.ClassName));
        QApplication::processEvents();
        ASSERT_EQ(window.Mdi().subWindowList().size(), 1);
        window.Mdi().closeAllSubWindows();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.Mdi().subWindowList().isEmpty());
        EXPECT_TRUE(answerer.Unexpected().isEmpty()) << answerer.Unexpected().join(", ").toStdString();
        answerer.ClearUnexpected();
        for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
            ADD_FAILURE() << entry.Operation << ": " << entry.Message;
        guard.Session().ErrorLog().Clear();
    }
}

TEST_F(ClientAppTest, PurchaseMenuListsTheFormsByGroup) {
    TClientApp client(Options());
    ASSERT_TRUE(client.Start());
    QStringList groups;
    for (QAction* action : client.Window().PurchaseMenu().actions()) groups << action->text();
    for (const QString& group : groups)
        EXPECT_TRUE(QStringList({"Документи", "Осчетоводени документи", "Глобални документи", "Снабдяване",
                                 "Списъци", "Настройки"})
                        .contains(group))
            << group.toStdString();
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
        QString Company, Form, Screenshot;
        bool Error;
    };
    const std::vector<TCase> cases = {
        {{"p", "--company", "a.tavrek", "--form", "22", "--screenshot", "s.png"}, "a.tavrek", "22", "s.png", false},
        {{"p", "--form", "TfEdPurchase"}, "", "TfEdPurchase", "", false},
        {{"p", "--form"}, "", "", "", true},
        {{"p", "--colour", "red"}, "", "", "", true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Arguments.join(' ').toStdString());
        const TClientOptions options = TClientOptions::Parse(c.Arguments);
        EXPECT_EQ(options.CompanyFile, c.Company);
        EXPECT_EQ(options.Form, c.Form);
        EXPECT_EQ(options.Screenshot, c.Screenshot);
        EXPECT_EQ(!options.Error.isEmpty(), c.Error);
    }
}

}  // namespace
}  // namespace tavrek::desktop
