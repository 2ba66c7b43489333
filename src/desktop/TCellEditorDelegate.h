#pragma once

#include <QStyledItemDelegate>

namespace tavrek::desktop {

class TDataSetModel;
class TGridView;

// Cell editors of a grid: numbers are taken only when they are numbers in the session's
// precision; lookup columns carry a "…" button (and F2) for their selector. Enter and Tab
// commit and go on to the next entry cell; Up and Down commit and move (Down on the last line
// adds one). A value refused, with its message, keeps the editor open on the cell in error,
// its text selected for the correction. The current cell is framed; a click anywhere in a check
// cell switches it (a value other than 1 becomes 1).
class TCellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TCellEditorDelegate(TDataSetModel& model, TGridView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Commits the editor; false (the editor kept, its text selected) when the value was refused.
    bool Commit(QWidget* editor);
    void LeaveTo(QWidget* editor, int step);
    void MoveRow(QWidget* editor, int key);

    TDataSetModel& model_;
    TGridView& view_;
    // The release that ends a double click is no second click.
    bool afterDoubleClick_ = false;
    // Set while a typed value is judged: the message it may show takes the focus, which must
    // not close the editor.
    mutable bool judging_ = false;
    mutable bool refused_ = false;
};

}  // namespace tavrek::desktop
