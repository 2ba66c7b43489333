#include "DemoClientTest.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <sstream>
#include <stdexcept>

#include "desktop/TDataGrid.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TMainWindow.h"
#include "desktop/TSelectorDialog.h"
#include "net/TServiceHost.h"
#include "scenario/IScenarioStore.h"
#include "scenario/TScenarioRunner.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::desktop::testing {

DemoClientTest::DemoClientTest() { QSettings().clear(); }

TClientOptions DemoClientTest::Options(const QString& form, const QString& screenshot) const {
    TClientOptions options;
    options.CompanyFile = folder.filePath("demo.tavrek");
    options.Form = form;
    options.Screenshot = screenshot;
    options.User = "admin";
    options.Password = "demo-admin";
    return options;
}

// A journey starts on a company without the sample documents, from a state it knows.
void DemoClientTest::StartClient(QSize size, const std::function<void(server::EmbeddedServer&)>& arrange) {
    const std::string company = Options().CompanyFile.toStdString();
    if (!QFile::exists(Options().CompanyFile)) server::CreateDemoCompany(company);
    TClientOptions options = Options();
    if (network_) {
        StartService(company);
        if (arrange) arrange(Direct());
        options.Server = serviceAddress_;
    }
    client = std::make_unique<TClientApp>(options);
    if (!client->Start()) throw std::runtime_error("the demo company did not open");
    if (arrange && !network_) arrange(client->Server());
    ShowWindow(size);
}

void DemoClientTest::StartService(const std::string& company) {
    direct_ = std::make_unique<server::EmbeddedServer>(company);
    server::SignInDemoUser(*direct_);
    net::TServiceOptions options;
    options.Company = company;
    options.LoginRefusalDelay = std::chrono::milliseconds(0);
    options.SessionIdle = sessionIdle_;
    auto host = std::make_shared<net::TServiceHost>(options, net::TNetAddress{"127.0.0.1", 0}, serviceLog_);
    serviceAddress_ = QString::fromStdString(host->Bound().ToString());
    service_ = host;
}

server::EmbeddedServer& DemoClientTest::Direct() { return direct_ ? *direct_ : client->Server(); }

void DemoClientTest::StartClient(QSize size, const TClientOptions& options) {
    if (!QFile::exists(options.CompanyFile)) server::CreateDemoCompany(options.CompanyFile.toStdString());
    client = std::make_unique<TClientApp>(options);
    if (!client->Start()) throw std::runtime_error("nobody signed in to the demo company");
    ShowWindow(size);
}

void DemoClientTest::ShowWindow(QSize size) {
    client->Window().resize(size);
    client->Window().show();
    client->Window().activateWindow();
    if (!QTest::qWaitForWindowActive(&client->Window())) throw std::runtime_error("the main window is not active");
}

void DemoClientTest::RunScenario(const char* text) {
    std::istringstream lines(text);
    scenario::TEmbeddedStore store(Direct());
    scenario::TScenarioRunner runner(client->AppServer(), store);
    for (const scenario::TScenarioResult& result : runner.Run(scenario::ReadScenario(lines)))
        if (!result.Ok) throw std::runtime_error(scenario::ResultLine("journey", result));
}

TFormHostWidget* DemoClientTest::ActiveHost() { return client->Window().ActiveHost(); }

TFormHostWidget* DemoClientTest::OpenRow(TDataGrid& grid, int row) {
    grid.View().setFocus();
    grid.View().setCurrentIndex(grid.Model().index(row, 1));
    QTest::keyClick(&grid.View(), Qt::Key_Return);
    QTest::qWait(20);
    return ActiveHost();
}

void DemoClientTest::ExpectNoFailures() {
    EXPECT_TRUE(answerer.Unexpected().isEmpty()) << answerer.Unexpected().join("; ").toStdString();
    answerer.ClearUnexpected();
    for (const TErrorLogEntry& entry : guard.Session().ErrorLog().Entries())
        ADD_FAILURE() << entry.Operation << ": " << entry.Message;
    guard.Session().ErrorLog().Clear();
}

bool DemoClientTest::ShownMessage(const QString& part) const {
    for (const QString& shown : answerer.Shown())
        if (shown.contains(part)) return true;
    return false;
}

TFormHostWidget* DemoClientTest::OpenFromMenu(const QString& className) {
    QAction* item = nullptr;
    for (QAction* action : client->Window().PurchaseMenu().findChildren<QAction*>())
        if (action->objectName() == className) item = action;
    if (item == nullptr) return nullptr;
    // A closed dialog leaves the main window inactive offscreen: the user clicks back into it.
    client->Window().activateWindow();
    if (!QTest::qWaitForWindowActive(&client->Window())) return nullptr;
    item->trigger();
    QTest::qWait(20);
    return client->Window().ActiveHost();
}

void DemoClientTest::Screenshot(const QString& name) {
    if (QMdiSubWindow* active = client->Window().Mdi().activeSubWindow()) active->showMaximized();
    QTest::qWait(50);
    // The README's pictures are renewed on request only: a test run leaves the sources as they are.
    const QString docs = qEnvironmentVariableIsSet("TAVREK_UPDATE_DOCS") ? QStringLiteral(TAVREK_TEST_DATA_DIR "/../docs")
                                                                         : folder.path();
    QDir().mkpath(docs);
    EXPECT_TRUE(client->Window().grab().save(QDir(docs).filePath(name), "PNG")) << name.toStdString();
}

void TypeIntoField(TFormHostWidget& host, const char* field, const QString& text) {
    QWidget* control = host.findChild<QWidget*>(field);
    ASSERT_NE(control, nullptr) << field;
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (edit == nullptr) edit = control->findChild<QLineEdit*>();
    ASSERT_NE(edit, nullptr) << field;
    // A closed dialog leaves the main window inactive offscreen: the user clicks back into it.
    host.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.window()));
    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    TypeText(*edit, text);
    QTest::keyClick(edit, Qt::Key_Tab);
    QTest::qWait(10);
}

void ChooseTheOnlyRow(QWidget& dialog, const QString& search) {
    auto& selector = dynamic_cast<TSelectorDialog&>(dialog);
    if (!search.isEmpty()) TypeText(selector.SearchBox(), search);
    ASSERT_EQ(selector.VisibleRows(), 1);
    selector.View().selectRow(0);
    QTest::keyClick(&selector.View(), Qt::Key_Return);
    if (selector.isVisible()) selector.accept();
}

QString PdfText(const QString& path) {
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(20000)) return {};
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QString XlsxSheet(const QString& path) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QStringLiteral("xl/worksheets/sheet1.xml")});
    if (!unzip.waitForFinished(20000)) return {};
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

QAction* ToolAction(TFormHostWidget& host, const QString& name) {
    for (QAction* action : host.ToolBar().actions())
        if (action->objectName() == name) return action;
    return nullptr;
}

void TriggerAction(TFormHostWidget& host, const QString& name) {
    QAction* found = ToolAction(host, name);
    ASSERT_NE(found, nullptr) << name.toStdString();
    ASSERT_TRUE(found->isEnabled()) << name.toStdString();
    found->trigger();
    QTest::qWait(20);
}

Variant LineValue(const TDataSetModel& model, int row, const char* field) {
    TClientDataSet& lines = model.DataSet();
    const int raw = model.RawIndexOfRow(row);
    return raw < 0 ? lines.FieldByName(field).Value() : lines.RawRecord(raw)[lines.FieldByName(field).Index()];
}

void TypeIntoCell(QTableView& view, const QModelIndex& cell, const QString& text, int waitBeforeTyping) {
    view.setCurrentIndex(cell);
    view.edit(cell);
    if (waitBeforeTyping > 0) QTest::qWait(waitBeforeTyping);
    auto* editor = view.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    TypeText(*editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The commit is queued, and so is the refresh of the form that follows it.
    QTest::qWait(20);
}

}  // namespace tavrek::desktop::testing
