#pragma once

#include <QTableView>
#include <functional>

namespace tavrek::desktop {

// The table of a grid with the keys of line entry: Insert, and Down on the last row, append a
// line; Ctrl+Delete deletes one; Enter and Tab move across the cells a person fills (the
// entry columns), skipping those filled for him; F2 on a lookup column opens its selector.
// The current cell is framed. The grid decides nothing: it asks through its signals.
class TGridView : public QTableView {
    Q_OBJECT
public:
    explicit TGridView(QWidget* parent = nullptr);

    // Whether a column opens a selector; set by the grid's owner.
    std::function<bool(int column)> IsLookupColumn;
    // Whether Tab and Enter stop at a column's editable cells; unset: at every editable cell.
    std::function<bool(int column)> IsEntryColumn;
    // The first entry cell of a row (the insert row after an append).
    QModelIndex FirstEditable(int row) const;
    // The entry cell after (step 1) or before (-1) a cell; invalid at the end.
    QModelIndex NextEditable(const QModelIndex& from, int step) const;

signals:
    void AppendRequested();
    void DeleteRequested();
    void SelectorRequested(const QModelIndex& index, const QString& typed);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    bool OwnsKey(const QKeyEvent& key) const;
    bool IsStop(const QModelIndex& index) const;
};

}  // namespace tavrek::desktop
