#pragma once

#include <QStyledItemDelegate>

namespace tavrek::desktop {

class TDataSetModel;
class TGridView;

// Cell editors of a grid: numbers are taken only when they are numbers in the session's
// precision (otherwise the user is told what is wrong and the cell keeps its value); lookup
// columns carry a "…" button for their selector; Enter commits and moves to the next
// editable cell; a click anywhere in a check cell switches it (a value other than 1 becomes 1).
class TCellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TCellEditorDelegate(TDataSetModel& model, TGridView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    TDataSetModel& model_;
    TGridView& view_;
    // The release that ends a double click is no second click.
    bool afterDoubleClick_ = false;
};

}  // namespace tavrek::desktop
