#pragma once

#include <QDialog>

class QLineEdit;

namespace tavrek::desktop {

// The currency rate of a document: local units per unit of the currency, editable or only
// shown.
class TCurrencyRateDialog : public QDialog {
    Q_OBJECT
public:
    TCurrencyRateDialog(const QString& currency, const QString& rate, bool readOnly, QWidget* parent = nullptr);

    QString Rate() const;
    QLineEdit& RateEdit() const { return *rate_; }

private:
    QLineEdit* rate_;
};

}  // namespace tavrek::desktop
