#include "desktop/TTotalsPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLocale>

#include "base/session/LocalData.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

const QLocale& Bulgarian() {
    static const QLocale locale(QLocale::Bulgarian, QLocale::Bulgaria);
    return locale;
}

QString AmountText(double amount) { return Bulgarian().toString(amount, 'f', LocalData().AmountDecimals); }

QString RateName(double percent) { return QStringLiteral("Rate") + QString::number(percent); }

const char* const kColumns[] = {"Base", "VAT", "Gross"};

}  // namespace

TTotalsPanel::TTotalsPanel(std::function<TDocumentTotals()> source, QWidget* parent)
    : QFrame(parent), source_(std::move(source)), grid_(new QGridLayout(this)) {
    setObjectName(QStringLiteral("TotalsPanel"));
    setFrameShape(QFrame::StyledPanel);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    grid_->setContentsMargins(8, 4, 8, 4);
    grid_->setHorizontalSpacing(16);
    grid_->setVerticalSpacing(2);
    Refresh();
}

void TTotalsPanel::AddRow(int row, const QString& name, const QString& caption, bool bold) {
    QFont font = this->font();
    font.setBold(bold);
    auto* label = new QLabel(caption, this);
    label->setFont(font);
    grid_->addWidget(label, row, 0);
    for (int column = 0; column < 3; ++column) {
        auto* cell = new QLabel(this);
        cell->setObjectName(name + '.' + kColumns[column]);
        cell->setFont(font);
        cell->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cell->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000 000,00")));
        grid_->addWidget(cell, row, column + 1);
        cells_.push_back(cell);
    }
}

// Rows change only when a rate comes or goes, or the currency does.
void TTotalsPanel::Rebuild(const TDocumentTotals& totals) {
    while (QLayoutItem* item = grid_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    cells_.clear();
    shownRates_.clear();
    int row = 0;
    const char* const headers[] = {"Без ДДС", "ДДС", "С ДДС"};
    for (int column = 0; column < 3; ++column) {
        auto* header = new QLabel(QString::fromUtf8(headers[column]), this);
        header->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid_->addWidget(header, row, column + 1);
    }
    for (const TDocumentTotals::TRate& rate : totals.Rates) {
        AddRow(++row, RateName(rate.Percent), QStringLiteral("ДДС %1 %").arg(Bulgarian().toString(rate.Percent)), false);
        shownRates_.push_back(rate.Percent);
    }
    AddRow(++row, QStringLiteral("Total"), QStringLiteral("Общо (%1)").arg(ToQ(totals.Currency)), true);
    if (totals.ShowsLocal) AddRow(++row, QStringLiteral("Local"), QStringLiteral("Общо (%1)").arg(ToQ(totals.LocalCurrency)), true);
    shownLocal_ = totals.ShowsLocal;
    shownCurrency_ = ToQ(totals.Currency);
}

void TTotalsPanel::ShowSums(const QString& name, double base, double vat, double gross) {
    const double values[] = {base, vat, gross};
    for (int column = 0; column < 3; ++column)
        if (auto* cell = findChild<QLabel*>(name + '.' + kColumns[column])) cell->setText(AmountText(values[column]));
}

void TTotalsPanel::Refresh() {
    const TDocumentTotals totals = source_();
    std::vector<double> rates;
    for (const TDocumentTotals::TRate& rate : totals.Rates) rates.push_back(rate.Percent);
    if (cells_.empty() || rates != shownRates_ || totals.ShowsLocal != shownLocal_ || ToQ(totals.Currency) != shownCurrency_)
        Rebuild(totals);
    for (const TDocumentTotals::TRate& rate : totals.Rates)
        ShowSums(RateName(rate.Percent), rate.Base, rate.VAT, rate.Base + rate.VAT);
    ShowSums(QStringLiteral("Total"), totals.Document.Base, totals.Document.VAT, totals.Document.Gross);
    if (totals.ShowsLocal) ShowSums(QStringLiteral("Local"), totals.Local.Base, totals.Local.VAT, totals.Local.Gross);
}

QString TTotalsPanel::Text(const QString& cell) const {
    const auto* label = findChild<QLabel*>(cell);
    return label != nullptr ? label->text() : QString();
}

}  // namespace tavrek::desktop
