#include <QApplication>

#include "desktop/TClientApp.h"

int main(int argc, char* argv[]) {
    const tavrek::desktop::TClientOptions options = tavrek::desktop::TClientOptions::Parse([&] {
        QStringList arguments;
        for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
        return arguments;
    }());
    // A screenshot needs no display.
    if (!options.Screenshot.isEmpty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavrek-purchase"));
    QApplication::setOrganizationName(QStringLiteral("Tavrek"));
    tavrek::desktop::TClientApp client(options);
    return client.Run();
}
