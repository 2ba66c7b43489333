#include "QtTestApp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

namespace tavrek::desktop::testing {
namespace {

QStringList& Collected() {
    static QStringList warnings;
    return warnings;
}

void Collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    // The offscreen platform's note about a missing runtime folder is not a fault.
    if (message.startsWith(QStringLiteral("QStandardPaths"))) return;
    if (type == QtWarningMsg || type == QtCriticalMsg) Collected().append(message);
}

}  // namespace

QApplication& TestApp() {
    // Lives until the process ends: destroyed among the other statics at exit it would
    // outlive the platform objects it still refers to.
    static QApplication* app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_desktop";
        static char* argv[] = {name, nullptr};
        // What the client keeps between runs (window sizes, column widths) stays in the run.
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        return new QApplication(argc, argv);
    }();
    return *app;
}

void TypeText(QWidget& widget, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(&widget, &release);
    }
}

TWarningCollector::TWarningCollector() {
    Collected().clear();
    qInstallMessageHandler(Collect);
}

TWarningCollector::~TWarningCollector() { qInstallMessageHandler(nullptr); }

const QStringList& TWarningCollector::Warnings() const { return Collected(); }

}  // namespace tavrek::desktop::testing
