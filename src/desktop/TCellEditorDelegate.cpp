#include "desktop/TCellEditorDelegate.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPainter>
#include <QPointer>

#include "base/ui/Messages.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TGridView.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {

TCellEditorDelegate::TCellEditorDelegate(TDataSetModel& model, TGridView& view)
    : QStyledItemDelegate(&view), model_(model), view_(view) {}

bool TCellEditorDelegate::IsLookup(const QModelIndex& index) const {
    return view_.IsLookupColumn && view_.IsLookupColumn(index.column());
}

QWidget* TCellEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr || !IsLookup(index)) return editor;
    QAction* choose = line->addAction(QIcon(), QLineEdit::TrailingPosition);
    choose->setText(QStringLiteral("…"));
    choose->setToolTip(QStringLiteral("Избор от списък (F2)"));
    choose->setObjectName(QStringLiteral("acChoose"));
    const QPersistentModelIndex cell(index);
    auto* self = const_cast<TCellEditorDelegate*>(this);
    connect(choose, &QAction::triggered, &view_, [self, line, cell] { self->OpenSelector(*line, cell); });
    return editor;
}

void TCellEditorDelegate::OpenSelector(QLineEdit& line, const QModelIndex& cell) {
    const QPersistentModelIndex index(cell);
    const QString typed = line.text();
    emit closeEditor(&line, QAbstractItemDelegate::RevertModelCache);
    emit view_.SelectorRequested(index, typed);
}

void TCellEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    const auto* line = qobject_cast<QLineEdit*>(editor);
    const TColumnLayout& column = model_.Columns().at(static_cast<size_t>(index.column()));
    if (line != nullptr && column.Kind != TNumberKind::nkNone) {
        const QString problem = NumberInputError(line->text(), InputDecimals(column.Kind, column.Decimals));
        if (!problem.isEmpty()) {
            refused_ = true;
            MessageDlgEx(FromQ(problem), TMsgDlgType::mtError, mbOK);
            return;
        }
    }
    const QByteArray property = editor->metaObject()->userProperty().name();
    if (!model->setData(index, editor->property(property.constData()), Qt::EditRole)) refused_ = true;
}

bool TCellEditorDelegate::Commit(QWidget* editor) {
    QPointer<QWidget> open(editor);
    auto* line = qobject_cast<QLineEdit*>(editor);
    const QString typed = line != nullptr ? line->text() : QString();
    refused_ = false;
    committing_ = true;
    emit commitData(editor);
    committing_ = false;
    if (!refused_ || open.isNull()) return !refused_;
    // The message closed, the cell in error gets the keys again with what was typed in it.
    // A refusal that restored the record also refilled the editor from it.
    editor->activateWindow();
    editor->setFocus();
    if (line != nullptr) {
        line->setText(typed);
        line->selectAll();
    }
    return false;
}

bool TCellEditorDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* editor = qobject_cast<QWidget*>(object);
    if (editor == nullptr) return QStyledItemDelegate::eventFilter(object, event);
    if (committing_ && event->type() == QEvent::FocusOut) return false;
    if (event->type() != QEvent::KeyPress) return QStyledItemDelegate::eventFilter(object, event);
    const auto& key = *static_cast<QKeyEvent*>(event);
    const QModelIndex cell = view_.currentIndex();
    switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            if (Commit(editor)) emit closeEditor(editor, QAbstractItemDelegate::EditNextItem);
            return true;
        case Qt::Key_Backtab:
            if (Commit(editor)) emit closeEditor(editor, QAbstractItemDelegate::EditPreviousItem);
            return true;
        case Qt::Key_Insert:
            if (Commit(editor)) {
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                emit view_.AppendRequested();
            }
            return true;
        case Qt::Key_F2:
            if (auto* line = qobject_cast<QLineEdit*>(editor); line != nullptr && IsLookup(cell)) {
                OpenSelector(*line, cell);
                return true;
            }
            break;
        default: break;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// The current cell reads as the field being filled, framed inside its highlighted row, also
// while the grid has no editor open or has lost the focus.
void TCellEditorDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index != view_.currentIndex()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem cell(option);
    cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    QStyledItemDelegate::paint(painter, cell, index);
    painter->save();
    painter->setPen(QPen(option.palette.color(QPalette::Active, QPalette::Highlight), 2));
    painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
    painter->restore();
}

}  // namespace tavrek::desktop
