#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace tavrek {
class TDocumentTotals;
}

class QGridLayout;
class QLabel;

namespace tavrek::desktop {

// The totals of a document under its lines, always in sight: without VAT, the VAT of each
// rate and with VAT, in document and local currency, the line being typed included. Numbers
// as a Bulgarian reads them. Refresh sets only the texts that changed.
class TTotalsPanel : public QWidget {
    Q_OBJECT
public:
    TTotalsPanel(const TDocumentTotals& totals, QWidget* parent = nullptr);

    void Refresh();
    // The text shown under a column caption ("Без ДДС", "ДДС 20 %", "С ДДС") in the document's
    // currency or the local one; empty when there is no such column.
    QString Text(const QString& caption, bool local = false) const;

private:
    void SetColumns(const QStringList& captions);

    const TDocumentTotals& totals_;
    QGridLayout* grid_;
    QStringList captions_;
    std::vector<QLabel*> values_;  // per column: document currency, then local
};

}  // namespace tavrek::desktop
