#include "desktop/TChartWidget.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <map>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormDescription.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

// Bars past these are not told apart on a chart beside a table; the table holds them all,
// largest first.
constexpr int kMostBars = 20;
constexpr int kMostPoints = 500;

QString CategoryText(const TField& field) {
    return field.DataType() == TFieldType::ftDateTime ? DateText(ToQDate(field.Value().AsDateTime()))
                                                      : ToQ(field.AsString());
}

}  // namespace

TChartWidget::TChartWidget(TChart& chart, TClientDataSet& dataSet, QWidget* parent)
    : QChartView(parent), chart_(chart), dataSet_(dataSet) {
    setObjectName(ToQ(chart.Name));
    setRenderHint(QPainter::Antialiasing);
    setMinimumWidth(320);
    // The view's own chart: a chart set in its place would leave this one to nobody.
    QChart* drawn = QChartView::chart();
    drawn->legend()->setVisible(chart.Kind == TChartKind::ckLine && !chart.SeriesField.empty());
    drawn->setLocalizeNumbers(true);
    drawn->setLocale(Bulgarian());
    Refresh();
}

void TChartWidget::Refresh() {
    if (drawnVersion_ == chart_.Version || !dataSet_.Active()) return;
    drawnVersion_ = chart_.Version;
    Draw();
}

void TChartWidget::Draw() {
    QChart& drawn = *chart();
    drawn.removeAllSeries();
    // A removed axis is the caller's to delete.
    for (QAbstractAxis* axis : drawn.axes()) {
        drawn.removeAxis(axis);
        delete axis;
    }
    values_.clear();
    points_.clear();
    drawn.setTitle(ToQ(chart_.Title));
    if (chart_.Kind == TChartKind::ckBar) DrawBars();
    else DrawLines();
}

void TChartWidget::DrawBars() {
    auto* set = new QBarSet(ToQ(chart_.Title));
    QStringList categories;
    const TBookmark at = dataSet_.GetBookmark();
    dataSet_.DisableControls();
    for (dataSet_.First(); !dataSet_.Eof() && categories.size() < kMostBars; dataSet_.Next()) {
        categories << CategoryText(dataSet_.FieldByName(chart_.CategoryField));
        values_.push_back(dataSet_.FieldByName(chart_.ValueField).AsFloat());
        *set << values_.back();
    }
    if (dataSet_.BookmarkValid(at)) dataSet_.GotoBookmark(at);
    dataSet_.EnableControls();
    auto* series = new QBarSeries();
    series->append(set);
    chart()->addSeries(series);
    auto* x = new QBarCategoryAxis();
    x->append(categories);
    x->setLabelsAngle(categories.size() > 5 ? -60 : 0);
    auto* y = new QValueAxis();
    y->setLabelFormat("%.0f");
    const double top = values_.empty() ? 0 : *std::max_element(values_.begin(), values_.end());
    y->setRange(std::min(0.0, values_.empty() ? 0 : *std::min_element(values_.begin(), values_.end())), top > 0 ? top * 1.1 : 1);
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    for (size_t i = 0; i < values_.size(); ++i) points_.emplace_back(static_cast<double>(i), values_[i] / 2);
    connect(set, &QBarSet::clicked, this, [this](int index) { emit RowClicked(index); });
}

// One line per value of the series field (one line without one); a date category lays the
// points out in time, any other category one step a row.
void TChartWidget::DrawLines() {
    const bool byDate = dataSet_.FieldByName(chart_.CategoryField).DataType() == TFieldType::ftDateTime;
    std::map<QString, QLineSeries*> lines;
    QStringList categories;
    std::vector<std::pair<QLineSeries*, QPointF>> drawnPoints;
    const TBookmark at = dataSet_.GetBookmark();
    dataSet_.DisableControls();
    for (dataSet_.First(); !dataSet_.Eof() && static_cast<int>(values_.size()) < kMostPoints; dataSet_.Next()) {
        const QString name = chart_.SeriesField.empty() ? ToQ(chart_.Title) : ToQ(dataSet_.FieldByName(chart_.SeriesField).AsString());
        QLineSeries*& line = lines[name];
        if (line == nullptr) {
            line = new QLineSeries();
            line->setName(name);
            line->setPointsVisible(true);
        }
        const TField& category = dataSet_.FieldByName(chart_.CategoryField);
        const double x = byDate ? static_cast<double>(QDateTime(ToQDate(category.Value().AsDateTime()), QTime(12, 0)).toMSecsSinceEpoch())
                                : static_cast<double>(categories.size());
        categories << CategoryText(category);
        values_.push_back(dataSet_.FieldByName(chart_.ValueField).AsFloat());
        line->append(x, values_.back());
        points_.emplace_back(x, values_.back());
        drawnPoints.emplace_back(line, points_.back());
    }
    if (dataSet_.BookmarkValid(at)) dataSet_.GotoBookmark(at);
    dataSet_.EnableControls();
    QAbstractAxis* x = nullptr;
    if (byDate) {
        auto* dates = new QDateTimeAxis();
        dates->setFormat("dd.MM.yyyy");
        x = dates;
    } else {
        auto* steps = new QBarCategoryAxis();
        steps->append(categories);
        steps->setLabelsAngle(categories.size() > 6 ? -60 : 0);
        x = steps;
    }
    auto* y = new QValueAxis();
    y->setLabelFormat("%.2f");
    chart()->addAxis(x, Qt::AlignBottom);
    chart()->addAxis(y, Qt::AlignLeft);
    for (auto& [name, line] : lines) {
        chart()->addSeries(line);
        line->attachAxis(x);
        line->attachAxis(y);
        connect(line, &QXYSeries::clicked, this, [this, drawnPoints, line](const QPointF& clicked) {
            int nearest = -1;
            double distance = 0;
            for (size_t i = 0; i < drawnPoints.size(); ++i) {
                if (drawnPoints[i].first != line) continue;
                const double d = std::abs(drawnPoints[i].second.x() - clicked.x());
                if (nearest < 0 || d < distance) nearest = static_cast<int>(i), distance = d;
            }
            if (nearest >= 0) emit RowClicked(nearest);
        });
    }
    if (!values_.empty()) {
        const auto [low, high] = std::minmax_element(values_.begin(), values_.end());
        const double margin = std::max(1.0, (*high - *low) * 0.1);
        y->setRange(std::min(0.0, *low - margin), *high + margin);
    }
    if (byDate && !points_.empty()) {
        const auto [first, last] = std::minmax_element(points_.begin(), points_.end(),
                                                       [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
        const qint64 day = 86400000;
        static_cast<QDateTimeAxis*>(x)->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(first->x()) - day),
                                                  QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(last->x()) + day));
    }
}

QPoint TChartWidget::PositionOfRow(int row) const {
    if (row < 0 || static_cast<size_t>(row) >= points_.size() || chart()->series().isEmpty()) return {};
    const QPointF scene = chart()->mapToPosition(points_[static_cast<size_t>(row)], chart()->series().front());
    return mapFromScene(chart()->mapToScene(scene));
}

}  // namespace tavrek::desktop
