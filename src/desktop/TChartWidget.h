#pragma once

#include <QChartView>

namespace tavrek {
struct TChart;
class TClientDataSet;
}  // namespace tavrek

namespace tavrek::desktop {

// Draws a chart of a form (bars or lines over the visible rows of its dataset) and hands a
// click on a bar or a point back to the form as the row's position.
class TChartWidget : public QChartView {
    Q_OBJECT
public:
    TChartWidget(TChart& chart, TClientDataSet& dataSet, QWidget* parent = nullptr);

    // Draws the rows anew when the form refilled them since the last drawing.
    void Refresh();
    // Where on the widget the bar or point of a row is drawn; for tests that click it.
    QPoint PositionOfRow(int row) const;
    int DrawnRows() const { return static_cast<int>(values_.size()); }

signals:
    void RowClicked(int row);

private:
    void Draw();
    void DrawBars();
    void DrawLines();

    TChart& chart_;
    TClientDataSet& dataSet_;
    int drawnVersion_ = -1;
    std::vector<double> values_;
    std::vector<QPointF> points_;  // chart coordinates of each row's bar top or point
};

}  // namespace tavrek::desktop
