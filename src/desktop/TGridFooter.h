#pragma once

#include <QWidget>

class QTableView;

namespace tavrek::desktop {

class TDataSetModel;

// The footer line under a grid: per column the value of the column's aggregate (or a
// fixed text), kept under its column while columns are resized or scrolled. Values are
// read when painted, so a change costs one repaint.
class TGridFooter : public QWidget {
    Q_OBJECT
public:
    TGridFooter(QTableView& view, TDataSetModel& model, QWidget* parent = nullptr);

    // The text the footer shows under a column (empty when it has none).
    QString Text(int column) const;
    bool HasContent() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QTableView& view_;
    TDataSetModel& model_;
};

}  // namespace tavrek::desktop
