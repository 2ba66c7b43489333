#pragma once

#include <QString>
#include <QStringList>

class QApplication;

namespace tavrek::desktop::testing {

// The one QApplication of the test program, offscreen unless a platform was chosen.
QApplication& TestApp();

// Collects Qt warnings while alive (the model tester reports through them).
class TWarningCollector {
public:
    TWarningCollector();
    ~TWarningCollector();
    const QStringList& Warnings() const;
};

}  // namespace tavrek::desktop::testing
