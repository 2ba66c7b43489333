#include "desktop/TCellEditorDelegate.h"

#include <utility>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

#include "base/ui/Messages.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TGridView.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {

TCellEditorDelegate::TCellEditorDelegate(TDataSetModel& model, TGridView& view)
    : QStyledItemDelegate(&view), model_(model), view_(view) {}

QWidget* TCellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr || !view_.IsLookupColumn || !view_.IsLookupColumn(index.column())) return editor;
    QAction* choose = line->addAction(QIcon(), QLineEdit::TrailingPosition);
    choose->setText(QStringLiteral("…"));
    choose->setToolTip(QStringLiteral("Избор от списък (F2)"));
    choose->setObjectName(QStringLiteral("acChoose"));
    const QPersistentModelIndex cell(index);
    connect(choose, &QAction::triggered, &view_, [this, line, cell] {
        const QString typed = line->text();
        emit const_cast<TCellEditorDelegate*>(this)->closeEditor(line, QAbstractItemDelegate::RevertModelCache);
        emit view_.SelectorRequested(cell, typed);
    });
    return editor;
}

void TCellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (judging_ || line == nullptr) {
        if (line == nullptr) QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const TColumnLayout& column = model_.Columns().at(static_cast<size_t>(index.column()));
    const QString typed = line->text();
    // Text left as it was is no new value: nothing to judge, nothing to run.
    if (typed == index.data(Qt::EditRole).toString()) {
        refused_ = false;
        return;
    }
    judging_ = true;
    const QString problem =
        column.Kind == TNumberKind::nkNone ? QString() : NumberInputError(typed, InputDecimals(column.Kind, column.Decimals));
    if (!problem.isEmpty()) {
        MessageDlgEx(FromQ(problem), TMsgDlgType::mtError, mbOK);
        refused_ = true;
    } else {
        refused_ = !model->setData(index, typed, Qt::EditRole);
    }
    judging_ = false;
}

bool TCellEditorDelegate::Commit(QWidget* editor) {
    QPointer<QWidget> guard(editor);
    refused_ = false;
    emit commitData(editor);
    if (!refused_ || guard.isNull()) return true;
    // The message took the window's focus: the cell in error gets it back.
    view_.window()->activateWindow();
    editor->setFocus(Qt::OtherFocusReason);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) line->selectAll();
    return false;
}

void TCellEditorDelegate::LeaveTo(QWidget* editor, int step) {
    if (!Commit(editor)) return;
    const bool more = view_.NextEditable(view_.currentIndex(), step).isValid();
    emit closeEditor(editor, more ? (step > 0 ? EditNextItem : EditPreviousItem) : NoHint);
}

// The row keys leave the cell as the grid's own keys would once the cell is closed.
void TCellEditorDelegate::MoveRow(QWidget* editor, int key) {
    if (!Commit(editor)) return;
    emit closeEditor(editor, NoHint);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&view_, &press);
}

bool TCellEditorDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) {
    const bool checkCell = (model->flags(index) & Qt::ItemIsUserCheckable) != 0;
    const bool mouse = event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseButtonDblClick;
    if (!checkCell || !mouse || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    if (event->type() == QEvent::MouseButtonDblClick) {
        afterDoubleClick_ = true;
        return true;
    }
    if (std::exchange(afterDoubleClick_, false)) return true;
    const bool checked = model->data(index, Qt::EditRole).toInt() == 1;
    model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    return true;
}

// Enter commits the cell and goes on to the next editable one, as Tab does.
bool TCellEditorDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr) return QStyledItemDelegate::eventFilter(object, event);
    if (judging_ && (event->type() == QEvent::FocusOut || event->type() == QEvent::Hide)) return true;
    if (event->type() != QEvent::KeyPress) return QStyledItemDelegate::eventFilter(object, event);
    const auto& key = *static_cast<QKeyEvent*>(event);
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return QStyledItemDelegate::eventFilter(object, event);
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab: LeaveTo(editor, 1); return true;
        case Qt::Key_Backtab: LeaveTo(editor, -1); return true;
        case Qt::Key_Up:
        case Qt::Key_Down: MoveRow(editor, key.key()); return true;
        case Qt::Key_F2:
            if (auto* choose = editor->findChild<QAction*>(QStringLiteral("acChoose"))) {
                choose->trigger();
                return true;
            }
            break;
        default: break;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void TCellEditorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    if (index != view_.currentIndex()) return;
    painter->save();
    QPen frame(view_.palette().color(QPalette::Active, QPalette::Highlight).darker(140));
    frame.setWidth(2);
    painter->setPen(frame);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    painter->restore();
}

}  // namespace tavrek::desktop
