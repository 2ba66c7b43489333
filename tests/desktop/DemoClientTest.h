#pragma once

#include <QModelIndex>
#include <QSize>
#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "QtTestApp.h"
#include "TDialogAnswerer.h"
#include "base/session/Tdm.h"
#include "desktop/TClientApp.h"
#include "net/TServiceOptions.h"

class QAction;
class QApplication;
class QTableView;

namespace tavrek::desktop {
class TDataGrid;
class TDataSetModel;
class TFormHostWidget;
}  // namespace tavrek::desktop

namespace tavrek::desktop::testing {

// The client a person starts, on a fresh demo company in a temporary folder, with its
// session and an answerer that cancels any dialog the test did not expect.
class DemoClientTest : public ::testing::Test {
protected:
    // Each test starts from a client no user has arranged yet.
    DemoClientTest();

    // The demo company file of this test, and options to start a client on it.
    TClientOptions Options(const QString& form = {}, const QString& screenshot = {}) const;
    // Starts the client, signed in as the administrator unless the options say otherwise;
    // arrange writes to the company before the main window shows.
    void StartClient(QSize size, const std::function<void(server::EmbeddedServer&)>& arrange = {});
    void StartClient(QSize size, const TClientOptions& options);
    // The clients started from here on work through a tavrek-server service of the company in
    // the test process, over loopback, as a desktop of an office does.
    void ServeThroughNetwork(std::chrono::seconds sessionIdle = net::TServiceOptions().SessionIdle) {
        network_ = true;
        sessionIdle_ = sessionIdle;
    }
    // The company's server for the test's own reads and arrangements: the client's embedded
    // one, or one beside the network service.
    server::EmbeddedServer& Direct();
    void ShowWindow(QSize size);
    // Types, saves and posts the documents of a scenario text on the client's company before
    // the journey starts; a step that fails throws.
    void RunScenario(const char* text);
    // The host of the form in front.
    TFormHostWidget* ActiveHost();
    // Enter on a row of a list, as a person opens a document; the host of what it opened.
    TFormHostWidget* OpenRow(TDataGrid& grid, int row = 0);
    // Fails for every dialog nobody expected and every error the session logged, then forgets them.
    void ExpectNoFailures();
    // Whether a message box showed a text containing part.
    bool ShownMessage(const QString& part) const;
    // Opens a form the way a person does: its item of the "Покупки" menu; the form's host.
    TFormHostWidget* OpenFromMenu(const QString& className);
    // The main window with its active form maximized, as PNG; into docs/NAME for the README
    // when TAVREK_UPDATE_DOCS is set.
    void Screenshot(const QString& name);

    QApplication& app = TestApp();
    TSessionGuard guard;
    QTemporaryDir folder;
    TDialogAnswerer answerer;

private:
    void StartService(const std::string& company);

    bool network_ = false;
    std::chrono::seconds sessionIdle_{};
    std::unique_ptr<server::EmbeddedServer> direct_;
    std::ostringstream serviceLog_;
    std::shared_ptr<void> service_;
    QString serviceAddress_;

protected:
    std::unique_ptr<TClientApp> client;
};

// The text of a PDF file as pdftotext lays it out.
QString PdfText(const QString& path);
// The first sheet's XML of an .xlsx file, as unzip reads it out.
QString XlsxSheet(const QString& path);
// The tool bar action of a form host by its object name.
QAction* ToolAction(TFormHostWidget& host, const QString& name);
// Triggers a tool bar action of a form host, which must be there and enabled, and lets it run.
void TriggerAction(TFormHostWidget& host, const QString& name);
// A field of the record a grid row shows (the record being inserted for a row past the stored ones).
Variant LineValue(const TDataSetModel& model, int row, const char* field);
// Types into a header field of a form, over its content, and leaves it with Tab.
void TypeIntoField(TFormHostWidget& host, const char* field, const QString& text);
// Answers a selector dialog: narrows it by the search text when given, expects one row left
// and takes it with Enter.
void ChooseTheOnlyRow(QWidget& dialog, const QString& search = {});
// Opens the cell's editor, types the text over its content and commits it with Enter.
void TypeIntoCell(QTableView& view, const QModelIndex& cell, const QString& text, int waitBeforeTyping = 0);

}  // namespace tavrek::desktop::testing
