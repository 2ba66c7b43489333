#include "desktop/TGridFooter.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QTableView>

#include "desktop/TDataSetModel.h"

namespace tavrek::desktop {

TGridFooter::TGridFooter(QTableView& view, TDataSetModel& model, QWidget* parent)
    : QWidget(parent), view_(view), model_(model) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    auto repaint = [this] { update(); };
    connect(view_.horizontalHeader(), &QHeaderView::sectionResized, this, repaint);
    connect(view_.horizontalHeader(), &QHeaderView::sectionMoved, this, repaint);
    connect(view_.horizontalScrollBar(), &QScrollBar::valueChanged, this, repaint);
    connect(&model_, &QAbstractItemModel::dataChanged, this, repaint);
    connect(&model_, &QAbstractItemModel::rowsInserted, this, repaint);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, repaint);
    connect(&model_, &QAbstractItemModel::modelReset, this, repaint);
}

QString TGridFooter::Text(int column) const {
    return FooterText(model_.Columns().at(static_cast<size_t>(column)), model_.DataSet());
}

bool TGridFooter::HasContent() const {
    for (const TColumnLayout& columnLayout : model_.Columns())
        if (!columnLayout.FooterAggregate.isEmpty() || !columnLayout.FooterText.isEmpty()) return true;
    return false;
}

QSize TGridFooter::sizeHint() const { return {100, fontMetrics().height() + 8}; }

void TGridFooter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.setPen(palette().mid().color());
    painter.drawLine(rect().topLeft(), rect().topRight());
    painter.setPen(palette().windowText().color());
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QHeaderView& header = *view_.horizontalHeader();
    const int left = view_.frameWidth() + view_.verticalHeader()->width();
    for (int column = 0; column < model_.columnCount(); ++column) {
        if (header.isSectionHidden(column)) continue;
        const QString text = Text(column);
        if (text.isEmpty()) continue;
        const QRect cell(left + header.sectionViewportPosition(column) + 3, 0, header.sectionSize(column) - 6,
                         height());
        painter.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, text);
    }
}

}  // namespace tavrek::desktop
