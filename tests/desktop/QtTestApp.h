#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

#include "base/data/Variant.h"

class QApplication;
class QWidget;

namespace tavrek::desktop::testing {

// The one QApplication of the test program, offscreen unless a platform was chosen; its
// settings are kept in a folder of the run.
QApplication& TestApp();

// Types text into a widget key by key; unlike QTest::keyClicks it takes Cyrillic too.
void TypeText(QWidget& widget, const QString& text);

// Collects Qt warnings while alive (the model tester reports through them).
class TWarningCollector {
public:
    TWarningCollector();
    ~TWarningCollector();
    const QStringList& Warnings() const;
};

}  // namespace tavrek::desktop::testing

// Readable failure messages for the values the tests compare.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace tavrek {
inline void PrintTo(const Variant& value, std::ostream* out) { *out << value.DebugString(); }
}  // namespace tavrek
