#include "desktop/TGridView.h"

#include <QKeyEvent>

namespace tavrek::desktop {

TGridView::TGridView(QWidget* parent) : QTableView(parent) { setTabKeyNavigation(true); }

bool TGridView::OwnsKey(const QKeyEvent& key) const {
    const bool ctrl = key.modifiers() & Qt::ControlModifier;
    return key.key() == Qt::Key_Insert || key.key() == Qt::Key_F2 || (ctrl && key.key() == Qt::Key_Delete);
}

// The grid's keys win over the form's shortcuts (Ins is a new document, Ctrl+Del deletes it).
bool TGridView::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && OwnsKey(*static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void TGridView::keyPressEvent(QKeyEvent* event) {
    const QModelIndex current = currentIndex();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
        case Qt::Key_Insert: emit AppendRequested(); return;
        case Qt::Key_Delete:
            if (ctrl) {
                emit DeleteRequested();
                return;
            }
            break;
        case Qt::Key_Down:
            if (state() != EditingState && (!current.isValid() || current.row() == model()->rowCount() - 1)) {
                emit AppendRequested();
                return;
            }
            break;
        case Qt::Key_F2:
            if (current.isValid() && IsLookupColumn && IsLookupColumn(current.column())) {
                emit SelectorRequested(current, QString());
                return;
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (state() != EditingState) {
                const QModelIndex next = NextEditable(current, 1);
                if (next.isValid()) setCurrentIndex(next);
                return;
            }
            break;
        default: break;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex TGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveNext || action == MovePrevious) {
        const QModelIndex next = NextEditable(currentIndex(), action == MoveNext ? 1 : -1);
        return next.isValid() ? next : currentIndex();
    }
    return QTableView::moveCursor(action, modifiers);
}

bool TGridView::IsStop(const QModelIndex& index) const {
    return !isColumnHidden(index.column()) && (index.flags() & Qt::ItemIsEditable) &&
           (!IsEntryColumn || IsEntryColumn(index.column()));
}

QModelIndex TGridView::FirstEditable(int row) const {
    for (int column = 0; column < model()->columnCount(); ++column) {
        const QModelIndex index = model()->index(row, column);
        if (IsStop(index)) return index;
    }
    return model()->index(row, 0);
}

QModelIndex TGridView::NextEditable(const QModelIndex& from, int step) const {
    const int columns = model()->columnCount(), rows = model()->rowCount();
    if (!from.isValid() || columns == 0) return {};
    for (int cell = from.row() * columns + from.column() + step; cell >= 0 && cell < rows * columns; cell += step) {
        const QModelIndex index = model()->index(cell / columns, cell % columns);
        if (IsStop(index)) return index;
    }
    return {};
}

}  // namespace tavrek::desktop
