#pragma once

#include <QFrame>
#include <functional>
#include <vector>

#include "base/forms/TDocumentTotals.h"

class QGridLayout;
class QLabel;

namespace tavrek::desktop {

// The totals of a document under its lines, always in sight: one row per VAT rate, the
// document's total and, in a foreign currency, the total in local currency, each as
// without VAT, VAT and with VAT. It shows what its source gives, in the Bulgarian way of
// writing numbers; its cells are named "Row.Column" (Total.VAT, Local.Gross, Rate20.Base).
class TTotalsPanel : public QFrame {
    Q_OBJECT
public:
    TTotalsPanel(std::function<TDocumentTotals()> source, QWidget* parent = nullptr);

    void Refresh();
    // The text of a cell by its name; empty when the panel shows no such cell.
    QString Text(const QString& cell) const;

private:
    void Rebuild(const TDocumentTotals& totals);
    void AddRow(int row, const QString& name, const QString& caption, bool bold);
    void ShowSums(const QString& name, double base, double vat, double gross);

    std::function<TDocumentTotals()> source_;
    QGridLayout* grid_;
    std::vector<QLabel*> cells_;
    std::vector<double> shownRates_;
    bool shownLocal_ = false;
    QString shownCurrency_;
};

}  // namespace tavrek::desktop
