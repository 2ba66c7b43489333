#include "desktop/TClientApp.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "base/errors/TELException.h"
#include "base/forms/TFormRegistry.h"
#include "base/session/TSignIn.h"
#include "base/session/Tdm.h"
#include "desktop/TFormHostWidget.h"
#include "desktop/TLoginDialog.h"
#include "desktop/TMainWindow.h"
#include "desktop/TQtDialogs.h"
#include "desktop/ValueText.h"
#include "frame/uPurchasePackage.h"
#include "net/TRemoteServer.h"
#include "others/uOthersPackage.h"
#include "scenario/TDemoDocuments.h"
#include "server/EmbeddedServer.h"
#include "server/db/TDbSession.h"
#include "server/demo/TDemoCompany.h"

namespace tavrek::desktop {

namespace {

// The first line of the file, or an error for the user.
QString ReadPasswordFile(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("Файлът с паролата %1 не може да бъде прочетен").arg(path);
        return {};
    }
    return QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
}

}  // namespace

TClientOptions TClientOptions::Parse(const QStringList& arguments) {
    TClientOptions options;
    QString passwordFile;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        QString* target = name == "--company" ? &options.CompanyFile
                          : name == "--server" ? &options.Server
                          : name == "--form"  ? &options.Form
                          : name == "--screenshot" ? &options.Screenshot
                          : name == "--user" ? &options.User
                          : name == "--password-file" ? &passwordFile
                                                   : nullptr;
        if (target == nullptr) {
            options.Error = QStringLiteral("Непознат параметър: %1").arg(name);
        } else if (i + 1 >= arguments.size()) {
            options.Error = QStringLiteral("Липсва стойност след %1").arg(name);
        } else {
            *target = arguments[++i];
            continue;
        }
        break;
    }
    if (!passwordFile.isEmpty()) options.Password = ReadPasswordFile(passwordFile, options.Error);
    else options.Password = qEnvironmentVariable("TAVREK_PASSWORD");
    return options;
}

TClientApp::TClientApp(TClientOptions options) : options_(std::move(options)) {}

TClientApp::~TClientApp() {
    // Nobody is asked to sign in again for a client that is closing.
    if (remote_) remote_->SetSessionRenewal({});
    // The window frees its forms while the session still reaches the server.
    window_.reset();
    if (server_ || remote_) PurchasePackageShutdown();
    // The session ends with the client; a server gone already ends it by its idle time.
    if (remote_) try {
            remote_->Logout();
        } catch (const std::exception&) {
        }
    dm().SetFormHost(nullptr);
    dm().SetDialogs(nullptr);
    dm().SetServer(nullptr);
}

QString TClientApp::DefaultCompanyFile() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return QDir(folder.isEmpty() ? QDir::homePath() + "/.tavrek" : folder).filePath(QStringLiteral("demo.tavrek"));
}

void TClientApp::Report(const QString& text) const {
    std::fprintf(stderr, "tavrek-purchase: %s\n", text.toLocal8Bit().constData());
    if (options_.Screenshot.isEmpty()) QMessageBox::critical(nullptr, QStringLiteral("Tavrek — Покупки"), text);
}

void TClientApp::OpenCompany(const std::string& path) {
    if (!server::IsPostgresAddress(path)) {
        // Clients started at once on a new company wait for the first one to build it.
        QDir().mkpath(QFileInfo(ToQ(path)).absolutePath());
        QLockFile building(ToQ(path + ".lock"));
        building.setStaleLockTime(0);
        building.lock();
        if (!QFileInfo::exists(ToQ(path))) CreateDemoCompanyFile(path);
    }
    server_ = std::make_unique<server::EmbeddedServer>(path);
}

// Built beside its place and moved there whole: a start that fails half-way leaves no
// company without its sample documents behind.
void TClientApp::CreateDemoCompanyFile(const std::string& path) {
    const std::string building = path + ".new";
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(building + suffix);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        server::CreateDemoCompany(building);
        server::EmbeddedServer server(building);
        server::SignInDemoUser(server);
        scenario::AddDemoDocuments(server);
        dm().SetServer(nullptr);
    } catch (...) {
        dm().SetServer(nullptr);
        QApplication::restoreOverrideCursor();
        throw;
    }
    QApplication::restoreOverrideCursor();
    std::filesystem::rename(building, path);
}

IAppServer& TClientApp::AppServer() const {
    if (remote_) return *remote_;
    return *server_;
}

bool TClientApp::Start() {
    if (!options_.Error.isEmpty()) {
        Report(options_.Error);
        return false;
    }
    const QString file = options_.CompanyFile.isEmpty() ? DefaultCompanyFile() : options_.CompanyFile;
    try {
        if (!options_.Server.isEmpty()) remote_ = std::make_unique<net::TRemoteServer>(FromQ(options_.Server));
        else OpenCompany(FromQ(file));
    } catch (const std::exception& e) {
        server_.reset();
        remote_.reset();
        dm().SetServer(nullptr);
        Report(QStringLiteral("Фирмената база %1 не може да бъде отворена:\n%2")
                   .arg(options_.Server.isEmpty() ? file : options_.Server, ToQ(e.what())));
        return false;
    }
    const QString company = remote_ ? options_.Server
                            : server::IsPostgresAddress(FromQ(file)) ? file
                                                                    : QFileInfo(file).fileName();
    bool signedIn = false;
    try {
        signedIn = SignInUser(company);
    } catch (const std::exception& e) {
        Report(QStringLiteral("Сървърът %1 не отговаря:\n%2").arg(company, ToQ(e.what())));
    }
    if (!signedIn) {
        server_.reset();
        remote_.reset();
        dm().SetServer(nullptr);
        return false;
    }
    if (remote_) remote_->SetSessionRenewal([this] { return RenewSession(); });
    window_ = std::make_unique<TMainWindow>();
    dialogs_ = std::make_unique<TQtDialogs>(window_.get());
    dm().SetDialogs(dialogs_.get());
    dm().SetFormHost(window_.get());
    PurchasePackageStartup();
    OthersPackageStartup();
    window_->BuildPurchaseMenu();
    window_->setWindowTitle(QStringLiteral("Tavrek — Покупки — %1").arg(company));
    window_->ShowSession(CompanyName(), ToQ(LocalData().UserLogin), QDate::currentDate());
    return true;
}

bool TClientApp::SignInUser(const QString& company) {
    // A screenshot has no person to ask: without a user it is taken as the demo company's
    // administrator, which a company that changed his password refuses.
    if (!options_.Screenshot.isEmpty() && options_.User.isEmpty()) {
        const server::TDemoUser& admin = server::DemoUsers().front();
        options_.User = QString::fromUtf8(admin.Login);
        options_.Password = QString::fromUtf8(admin.Password);
    }
    if (!options_.User.isEmpty() && !options_.Password.isEmpty()) {
        if (SignIn(AppServer(), {}, FromQ(options_.User), FromQ(options_.Password)) == 0) return true;
        Report(QStringLiteral("Потребителят %1 не може да влезе: %2")
                   .arg(options_.User, ToQ(AppServer().LastRefusalText())));
        return false;
    }
    if (!options_.Screenshot.isEmpty()) {
        Report(QStringLiteral("Снимката се прави без човек: посочете --user и --password-file "
                              "или TAVREK_PASSWORD."));
        return false;
    }
    TLoginDialog login(AppServer(), options_.User, company);
    return login.exec() == QDialog::Accepted;
}

bool TClientApp::RenewSession() {
    TLoginDialog login(*remote_, ToQ(LocalData().UserLogin), options_.Server, window_.get());
    login.AskAgain(QStringLiteral("Сесията изтече — влезте отново"));
    // The form that called waits with the busy cursor; the person types under the usual one.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const bool renewed = login.exec() == QDialog::Accepted;
    QApplication::restoreOverrideCursor();
    return renewed;
}

QString TClientApp::CompanyName() const {
    TRequestResult company;
    const TFilter filter = TFilter().Add("C_CompanySetup.Id", "=", LocalData().CompanyId);
    if (AppServer().RequestValue(0, "C_CompanySetup", "Name", filter, company) > 0) return ToQ(company.Value(0, 0).AsString());
    return ToQ(LocalData().CompanyId);
}

bool TClientApp::TakeScreenshot(const QString& path) {
    window_->show();
    QMdiSubWindow* shown = window_->Mdi().activeSubWindow();
    if (shown == nullptr && !window_->Mdi().subWindowList().isEmpty()) shown = window_->Mdi().subWindowList().back();
    if (shown != nullptr) shown->showMaximized();
    // The host's clock would show what the form did since it opened; the shot does not wait for it.
    if (TFormHostWidget* host = TMainWindow::HostOf(shown)) host->RefreshAll();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    const QPixmap shot = window_->grab();
    if (!shot.save(path, "PNG")) {
        Report(QStringLiteral("Снимката не може да бъде записана в %1").arg(path));
        return false;
    }
    return true;
}

// A form that asks something while it opens would wait forever for a person: the question
// is photographed beside the screenshot (NAME-dialog.png) and then cancelled.
void TClientApp::PhotographOpeningDialogs(const QString& path) {
    auto* watch = new QTimer(window_.get());
    QObject::connect(watch, &QTimer::timeout, [path] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) return;
        const QFileInfo target(path);
        modal->grab().save(target.dir().filePath(target.completeBaseName() + "-dialog.png"), "PNG");
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
    });
    watch->start(300);
}

int TClientApp::Run() {
    if (!Start()) return 1;
    if (!options_.Screenshot.isEmpty()) {
        PhotographOpeningDialogs(options_.Screenshot);
        // Shown first, as for a person: the form opens into the work area it will be seen in.
        window_->show();
        const bool opened = options_.Form.isEmpty() || window_->OpenFromMenu(FromQ(options_.Form));
        return opened && TakeScreenshot(options_.Screenshot) ? 0 : 1;
    }
    // The form asked for opens into the work area the person sees.
    window_->show();
    if (!options_.Form.isEmpty()) window_->OpenFromMenu(FromQ(options_.Form));
    return QApplication::exec();
}

}  // namespace tavrek::desktop
