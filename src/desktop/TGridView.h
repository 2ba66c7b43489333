#pragma once

#include <QTableView>
#include <functional>

namespace tavrek::desktop {

// The table of a grid with the keys of line entry, as in a register: Tab, Enter and
// Shift+Tab go through the cells a user fills on a line (its stops), Tab or Enter past the
// last stop of the last line, Insert, and Down on the last line append a line; Ctrl+Delete
// deletes one; F2 on a lookup column opens its selector. The grid decides nothing: it asks
// through its signals.
class TGridView : public QTableView {
    Q_OBJECT
public:
    explicit TGridView(QWidget* parent = nullptr);

    // Whether a column opens a selector; set by the grid's owner.
    std::function<bool(int column)> IsLookupColumn;
    // Whether an editable column is a stop of Tab and Enter; unset, every editable one is.
    std::function<bool(int column)> IsStopColumn;
    // The first stop of a row (the insert row after an append).
    QModelIndex FirstEditable(int row) const;
    // The next stop after a cell in reading order (step 1) or before it (step -1); invalid
    // when there is none.
    QModelIndex NextEditable(const QModelIndex& from, int step) const;

signals:
    void AppendRequested();
    void DeleteRequested();
    void SelectorRequested(const QModelIndex& index, const QString& typed);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool OwnsKey(const QKeyEvent& key) const;
    bool IsStop(const QModelIndex& index) const;
    // Moves to the next or previous stop; forward from the last one appends a line.
    void Advance(int step);
};

}  // namespace tavrek::desktop
