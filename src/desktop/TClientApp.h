#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

namespace tavrek {
class IAppServer;
}
namespace tavrek::server {
class EmbeddedServer;
}
namespace tavrek::net {
class TRemoteServer;
}

namespace tavrek::desktop {

class TMainWindow;
class TQtDialogs;

// What the command line asks for.
struct TClientOptions {
    // A company file or a postgresql://user@host:port/dbname address; empty: the default
    // company file in the user's data folder.
    QString CompanyFile;
    // HOST:PORT of a tavrek-server that holds the company instead; then no company file is opened.
    QString Server;
    QString Form;         // class name or form number to open at start
    QString Screenshot;   // PNG to render the main window into, then exit
    // Who signs in: with both, without asking (--password-file, else TAVREK_PASSWORD);
    // otherwise the login dialog asks, proposing the user.
    QString User;
    QString Password;
    QString Error;        // a bad command line, for the user

    static TClientOptions Parse(const QStringList& arguments);
};

// The running client: the company's embedded server with the user signed in, the Qt
// dialogs and the main window as the session's form host. Construct after QApplication.
class TClientApp {
public:
    explicit TClientApp(TClientOptions options);
    ~TClientApp();

    // The default company file, created with the demo company on first start.
    static QString DefaultCompanyFile();

    // Opens the company and the main window; false (after telling the user) when the
    // company file cannot be used, which is then left as it was.
    bool Start();
    // Start, then the event loop, or the screenshot; the process exit code.
    int Run();
    // Renders the main window, with the form asked for, into the PNG file.
    bool TakeScreenshot(const QString& path);

    TMainWindow& Window() const { return *window_; }
    server::EmbeddedServer& Server() const { return *server_; }
    // The server the client works with: the embedded one, or the network server's proxy.
    IAppServer& AppServer() const;

private:
    void OpenCompany(const std::string& path);
    // Signs in the user of the options, or the one the login dialog asks for; false when
    // nobody signed in (told to the user when the options' user was refused).
    bool SignInUser(const QString& company);
    // The login dialog again for the user whose session the network server ended; true once
    // he signed in again.
    bool RenewSession();
    static void CreateDemoCompanyFile(const std::string& path);
    void Report(const QString& text) const;
    // The name of the session's company, for the status bar.
    QString CompanyName() const;
    void PhotographOpeningDialogs(const QString& path);

    TClientOptions options_;
    std::unique_ptr<server::EmbeddedServer> server_;
    std::unique_ptr<net::TRemoteServer> remote_;
    std::unique_ptr<TQtDialogs> dialogs_;
    std::unique_ptr<TMainWindow> window_;
};

}  // namespace tavrek::desktop
