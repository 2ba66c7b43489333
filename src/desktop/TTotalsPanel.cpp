#include "desktop/TTotalsPanel.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>

#include "base/forms/TDocumentTotals.h"
#include "base/session/LocalData.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

const char* const kRows[] = {"Във валутата на документа", "В местна валута"};

QString Amount(double value) { return NumberText(value, LocalData().AmountDecimals); }

QString RateCaption(double percent) { return QStringLiteral("ДДС %1 %").arg(Bulgarian().toString(percent, 'g', 4)); }

QString ValueName(int column, int row) { return QStringLiteral("total_%1_%2").arg(column).arg(row); }

void SetText(QLabel& label, const QString& text) {
    if (label.text() != text) label.setText(text);
}

}  // namespace

TTotalsPanel::TTotalsPanel(const TDocumentTotals& totals, QWidget* parent)
    : QWidget(parent), totals_(totals), grid_(new QGridLayout(this)) {
    setObjectName(QStringLiteral("totalsPanel"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid_->setContentsMargins(6, 4, 6, 4);
    grid_->setHorizontalSpacing(18);
    grid_->setVerticalSpacing(2);
    for (int row = 0; row < 2; ++row) grid_->addWidget(new QLabel(QString::fromUtf8(kRows[row]), this), row + 1, 0);
    grid_->setColumnStretch(0, 1);
    Refresh();
}

void TTotalsPanel::SetColumns(const QStringList& captions) {
    for (int column = static_cast<int>(captions_.size()); column > 0; --column)
        for (int row = 0; row < 3; ++row)
            if (QLayoutItem* item = grid_->itemAtPosition(row, column)) {
                QWidget* label = item->widget();
                grid_->removeWidget(label);
                delete label;
            }
    values_.clear();
    captions_ = captions;
    QFont bold = font();
    bold.setBold(true);
    for (int column = 1; column <= static_cast<int>(captions_.size()); ++column) {
        auto* caption = new QLabel(captions_[column - 1], this);
        caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid_->addWidget(caption, 0, column);
        for (int row = 1; row < 3; ++row) {
            auto* value = new QLabel(this);
            value->setObjectName(ValueName(column, row));
            value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            if (column == static_cast<int>(captions_.size())) value->setFont(bold);
            grid_->addWidget(value, row, column);
            values_.push_back(value);
        }
    }
}

void TTotalsPanel::Refresh() {
    setVisible(totals_.Available());
    if (!totals_.Available()) return;
    const TDocumentTotals::TFigures figures = totals_.Figures();
    QStringList captions{QStringLiteral("Без ДДС")};
    QList<QPair<double, double>> values{{figures.Value, figures.ValueLCY}};
    for (const TDocumentTotals::TRate& rate : figures.Rates) {
        captions << RateCaption(rate.Percent);
        values.append({rate.VAT, rate.VATLCY});
    }
    if (figures.Rates.size() > 1) {
        captions << QStringLiteral("ДДС общо");
        values.append({figures.VAT, figures.VATLCY});
    }
    captions << QStringLiteral("С ДДС");
    values.append({figures.Gross, figures.GrossLCY});
    if (captions != captions_) SetColumns(captions);
    for (size_t column = 0; column < static_cast<size_t>(values.size()) && 2 * column + 1 < values_.size(); ++column) {
        SetText(*values_[2 * column], Amount(values[static_cast<qsizetype>(column)].first));
        SetText(*values_[2 * column + 1], Amount(values[static_cast<qsizetype>(column)].second));
    }
}

QString TTotalsPanel::Text(const QString& caption, bool local) const {
    const int column = static_cast<int>(captions_.indexOf(caption)) + 1;
    const auto* label = column > 0 ? findChild<QLabel*>(ValueName(column, local ? 2 : 1), Qt::FindDirectChildrenOnly) : nullptr;
    return label == nullptr ? QString() : label->text();
}

}  // namespace tavrek::desktop
