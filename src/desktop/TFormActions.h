#pragma once

#include <QObject>
#include <functional>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace tavrek {
class TAction;
class TActionList;
class TMenuItem;
}  // namespace tavrek

namespace tavrek::desktop {

// The Qt side of a form's action list: one QAction per TAction, kept in step with the
// action's caption, hint, shortcut, enabled, visible and checked state. Triggering a
// QAction runs the TAction through the host's runner, which commits pending edits first
// and refreshes the form after. Popup menus are built from the form's menu items each
// time they open.
class TFormActions : public QObject {
    Q_OBJECT
public:
    using TRunner = std::function<void(const std::function<void()>&)>;

    TFormActions(TActionList& actions, TRunner runner, QObject* parent = nullptr);

    const std::vector<QAction*>& QActions() const { return qactions_; }
    QAction* Find(const TAction& action) const;
    // Runs every action's Update, then copies the states to the QActions.
    void Sync();
    // A menu over the items of root, rebuilt when it opens.
    QMenu* CreateMenu(TMenuItem& root, QWidget* parent);
    void FillMenu(QMenu& menu, TMenuItem& root);

private:
    TActionList& actions_;
    TRunner runner_;
    std::vector<QAction*> qactions_;
};

}  // namespace tavrek::desktop
