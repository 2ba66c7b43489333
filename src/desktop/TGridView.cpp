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
    const bool editing = state() == EditingState;
    switch (event->key()) {
        case Qt::Key_Insert: emit AppendRequested(); return;
        case Qt::Key_Delete:
            if (ctrl) {
                emit DeleteRequested();
                return;
            }
            break;
        case Qt::Key_Down:
            if (!editing && (!current.isValid() || current.row() == model()->rowCount() - 1)) {
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
        case Qt::Key_Tab:
            if (!editing && !ctrl) {
                Advance(1);
                return;
            }
            break;
        case Qt::Key_Backtab:
            if (!editing) {
                Advance(-1);
                return;
            }
            break;
        default: break;
    }
    QTableView::keyPressEvent(event);
}

void TGridView::Advance(int step) {
    const QModelIndex next = NextEditable(currentIndex(), step);
    if (next.isValid()) setCurrentIndex(next);
    else if (step > 0 && IsStop(currentIndex())) emit AppendRequested();
}

QModelIndex TGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveNext || action == MovePrevious) {
        const QModelIndex next = NextEditable(currentIndex(), action == MoveNext ? 1 : -1);
        return next.isValid() ? next : currentIndex();
    }
    return QTableView::moveCursor(action, modifiers);
}

// A cell left forward from the last stop of the last line records it and opens a new line.
void TGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    if (hint != QAbstractItemDelegate::EditNextItem || NextEditable(currentIndex(), 1).isValid()) {
        QTableView::closeEditor(editor, hint);
        return;
    }
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    emit AppendRequested();
}

bool TGridView::IsStop(const QModelIndex& index) const {
    return index.isValid() && !isColumnHidden(index.column()) && (index.flags() & Qt::ItemIsEditable) &&
           (!IsStopColumn || IsStopColumn(index.column()));
}

QModelIndex TGridView::FirstEditable(int row) const {
    for (int column = 0; column < model()->columnCount(); ++column)
        if (IsStop(model()->index(row, column))) return model()->index(row, column);
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
