#include "desktop/TFormActions.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <algorithm>

#include "base/forms/TActionList.h"
#include "base/forms/TMenu.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

// "Ctrl+Enter" is either Enter key, the main one first: it is the one menus and tooltips
// name. A plain Enter stays the keypad's: the main one belongs to the edit or grid in focus.
QList<QKeySequence> ShortCutsOf(const std::string& text) {
    if (text == "Ins") return {QKeySequence(Qt::Key_Insert)};
    const QKeySequence key = QKeySequence::fromString(ToQ(text), QKeySequence::PortableText);
    if (key.isEmpty() || key[0].key() != Qt::Key_Enter || key[0].keyboardModifiers() == Qt::NoModifier) return {key};
    return {QKeySequence(key[0].keyboardModifiers() | Qt::Key_Return), key};
}

struct TActionIcon {
    const char* Action;
    const char* Theme;
    QStyle::StandardPixmap Fallback;
};

// The desktop's icons for the commands every form shares; a desktop without an icon theme
// gets the style's own.
const TActionIcon kIcons[] = {
    {"acSave", "document-save", QStyle::SP_DialogSaveButton},
    {"acRefresh", "view-refresh", QStyle::SP_BrowserReload},
    {"acInsertRecord", "document-new", QStyle::SP_FileIcon},
    {"acDeleteRecord", "edit-delete", QStyle::SP_TrashIcon},
    {"acPrint", "document-print", QStyle::SP_FileDialogDetailedView},
    {"acPostDocument", "document-send", QStyle::SP_DialogApplyButton},
    {"acPostAndPrintDocument", "document-print-preview", QStyle::SP_DialogYesButton},
    {"acAnnulDocument", "edit-undo", QStyle::SP_DialogCancelButton},
    {"acReCalcDocument", "accessories-calculator", QStyle::SP_BrowserReload},
};

QIcon IconOf(const std::string& action) {
    for (const TActionIcon& icon : kIcons)
        if (action == icon.Action)
            return QIcon::fromTheme(QString::fromLatin1(icon.Theme),
                                    QApplication::style()->standardIcon(icon.Fallback));
    return {};
}

// A caption of symbols only ("$") says nothing on a button: the button names the command,
// by its hint or by the words for the symbol.
struct TSymbolCaption {
    const char* Symbol;
    const char* Words;
};

const TSymbolCaption kSymbolCaptions[] = {{"$", "Валутен курс"}};

QString ButtonText(const TAction& action) {
    const QString caption = ToQ(action.Caption);
    if (std::any_of(caption.begin(), caption.end(), [](QChar c) { return c.isLetter(); })) return caption;
    if (!action.Hint.empty()) return ToQ(action.Hint);
    for (const TSymbolCaption& symbol : kSymbolCaptions)
        if (action.Caption == symbol.Symbol) return QString::fromUtf8(symbol.Words);
    return caption;
}

QString ToolTipOf(const TAction& action, const QAction& qaction) {
    const QString hint = ToQ(action.Hint.empty() ? action.Caption : action.Hint);
    if (qaction.shortcut().isEmpty()) return hint;
    return QStringLiteral("%1 (%2)").arg(hint, qaction.shortcut().toString(QKeySequence::NativeText));
}

}  // namespace

TFormActions::TFormActions(TActionList& actions, TRunner runner, QObject* parent)
    : QObject(parent), actions_(actions), runner_(std::move(runner)) {
    for (const auto& action : actions_.Actions()) {
        auto* qaction = new QAction(ButtonText(*action), this);
        qaction->setObjectName(ToQ(action->Name));
        qaction->setIcon(IconOf(action->Name));
        if (!action->ShortCut.empty()) {
            qaction->setShortcuts(ShortCutsOf(action->ShortCut));
            qaction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        TAction* target = action.get();
        connect(qaction, &QAction::triggered, this, [this, target] { runner_([target] { target->Execute(); }); });
        qactions_.push_back(qaction);
    }
    Sync();
}

QAction* TFormActions::Find(const TAction& action) const {
    const auto& all = actions_.Actions();
    for (size_t i = 0; i < all.size() && i < qactions_.size(); ++i)
        if (all[i].get() == &action) return qactions_[i];
    return nullptr;
}

void TFormActions::Sync() {
    actions_.UpdateActions();
    const auto& all = actions_.Actions();
    for (size_t i = 0; i < all.size() && i < qactions_.size(); ++i) {
        const TAction& action = *all[i];
        QAction& qaction = *qactions_[i];
        const QString caption = ButtonText(action);
        if (qaction.text() != caption) qaction.setText(caption);
        // A tool button would drop a caption's trailing "...".
        if (qaction.iconText() != caption) qaction.setIconText(caption);
        const QString tip = ToolTipOf(action, qaction);
        if (qaction.toolTip() != tip) qaction.setToolTip(tip);
        qaction.setEnabled(action.Enabled);
        qaction.setVisible(action.Visible && !action.Caption.empty());
        qaction.setCheckable(action.Checked);
        qaction.setChecked(action.Checked);
    }
}

QMenu* TFormActions::CreateMenu(TMenuItem& root, QWidget* parent) {
    auto* menu = new QMenu(ToQ(root.Caption().empty() ? root.Name : root.Caption()), parent);
    menu->setObjectName(ToQ(root.Name));
    connect(menu, &QMenu::aboutToShow, this, [this, menu, &root] { FillMenu(*menu, root); });
    return menu;
}

void TFormActions::FillMenu(QMenu& menu, TMenuItem& root) {
    Sync();
    menu.clear();
    for (const auto& item : root.Items()) {
        if (!item->Visible()) continue;
        if (item->Separator) {
            menu.addSeparator();
        } else if (!item->Items().empty()) {
            QMenu* sub = menu.addMenu(ToQ(item->Caption()));
            FillMenu(*sub, *item);
        } else if (item->Action != nullptr && Find(*item->Action) != nullptr) {
            menu.addAction(Find(*item->Action));
        } else {
            QAction* qaction = menu.addAction(ToQ(item->Caption()));
            qaction->setObjectName(ToQ(item->Name));
            qaction->setEnabled(item->Enabled());
            TMenuItem* target = item.get();
            connect(qaction, &QAction::triggered, this, [this, target] { runner_([target] { target->Click(); }); });
        }
    }
}

}  // namespace tavrek::desktop
