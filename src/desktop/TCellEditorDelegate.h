#pragma once

#include <QStyledItemDelegate>

class QLineEdit;

namespace tavrek::desktop {

class TDataSetModel;
class TGridView;

// Cell editors of a grid: numbers are taken only when they are numbers in the session's
// precision; a value refused (not a number, or by the form) leaves the editor open on its
// cell with the text selected for correction, and the cursor stays. Lookup columns carry a
// "…" button and F2 for their selector; Enter, Tab and Shift+Tab commit and move between
// the grid's stops; Insert commits and adds a line. The current cell is framed.
class TCellEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    TCellEditorDelegate(TDataSetModel& model, TGridView& view);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    // Writes the editor's text into its cell; false when it was refused, the editor then
    // keeping the focus and its text.
    bool Commit(QWidget* editor);
    bool IsLookup(const QModelIndex& index) const;
    void OpenSelector(QLineEdit& line, const QModelIndex& cell);

    TDataSetModel& model_;
    TGridView& view_;
    // Set while a commit runs: a message it shows takes the focus, which must not close the editor.
    bool committing_ = false;
    mutable bool refused_ = false;
};

}  // namespace tavrek::desktop
