#include "QtTestApp.h"

#include <QApplication>
#include <memory>

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
    static std::unique_ptr<QApplication> app = [] {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "test_desktop";
        static char* argv[] = {name, nullptr};
        return std::make_unique<QApplication>(argc, argv);
    }();
    return *app;
}

TWarningCollector::TWarningCollector() {
    Collected().clear();
    qInstallMessageHandler(Collect);
}

TWarningCollector::~TWarningCollector() { qInstallMessageHandler(nullptr); }

const QStringList& TWarningCollector::Warnings() const { return Collected(); }

}  // namespace tavrek::desktop::testing
