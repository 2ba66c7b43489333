#include "desktop/TCellEditorDelegate.h"

#include <utility>

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

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
    const TColumnLayout& column = model_.Columns().at(static_cast<size_t>(index.column()));
    if (line != nullptr && column.Kind != TNumberKind::nkNone) {
        const QString problem = NumberInputError(line->text(), InputDecimals(column.Kind, column.Decimals));
        if (!problem.isEmpty()) {
            MessageDlgEx(FromQ(problem), TMsgDlgType::mtError, mbOK);
            return;
        }
    }
    QStyledItemDelegate::setModelData(editor, model, index);
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
    if (editor != nullptr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit commitData(editor);
            emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace tavrek::desktop
