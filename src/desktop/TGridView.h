#pragma once

#include <QTableView>
#include <functional>

namespace tavrek::desktop {

// The table of a grid with the keys of line entry: Insert, and Down on the last row, append a
// line; Ctrl+Delete deletes one; Enter and Tab move across the editable columns; F2 on a
// lookup column opens its selector. The grid decides nothing: it asks through its signals.
class TGridView : public QTableView {
    Q_OBJECT
public:
    explicit TGridView(QWidget* parent = nullptr);

    // Whether a column opens a selector; set by the grid's owner.
    std::function<bool(int column)> IsLookupColumn;
    // The first editable cell of a row (the insert row after an append).
    QModelIndex FirstEditable(int row) const;

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
    QModelIndex NextEditable(const QModelIndex& from, int step) const;
};

}  // namespace tavrek::desktop
