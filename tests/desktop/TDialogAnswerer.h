#pragma once

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <deque>
#include <functional>

class QTimer;

namespace tavrek::desktop::testing {

// Answers the modal dialogs the client opens, in the order a test expects them. A dialog
// that nobody expected is recorded and cancelled, so the test fails instead of hanging.
class TDialogAnswerer : public QObject {
public:
    TDialogAnswerer();
    ~TDialogAnswerer() override;

    using TAnswer = std::function<void(QWidget& dialog)>;
    void Expect(TAnswer answer);
    // Clicks a standard button of the next message box.
    void ExpectMessage(QMessageBox::StandardButton button);

    // What each message box showed: "<icon>|<text>|<buttons>" (button codes, in ascending order).
    const QStringList& Shown() const { return shown_; }
    const QStringList& Unexpected() const { return unexpected_; }
    bool AllAnswered() const { return expected_.empty(); }
    void ClearUnexpected() { unexpected_.clear(); }

private:
    void Poll();

    QTimer* timer_;
    std::deque<TAnswer> expected_;
    QStringList shown_;
    QStringList unexpected_;
};

}  // namespace tavrek::desktop::testing
