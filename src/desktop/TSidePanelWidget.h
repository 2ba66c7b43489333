#pragma once

#include <QWidget>
#include <functional>

#include "base/forms/TFormDescription.h"

class QLabel;
class QVBoxLayout;

namespace tavrek::desktop {

// The side panel of a form (pFloat): its text and its clickable lists of captions and
// values. Refresh rebuilds only what changed, so the host may call it after every edit.
class TSidePanelWidget : public QWidget {
    Q_OBJECT
public:
    using TRunner = std::function<void(const std::function<void()>&)>;

    TSidePanelWidget(TSidePanel& panel, TRunner runner, QWidget* parent = nullptr);

    void Refresh();
    QString ShownText() const;

private:
    QString Snapshot() const;
    void Rebuild();

    TSidePanel& panel_;
    TRunner runner_;
    QLabel* text_;
    QWidget* lists_;
    QString shown_;
};

}  // namespace tavrek::desktop
