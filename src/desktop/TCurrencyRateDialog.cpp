#include "desktop/TCurrencyRateDialog.h"

#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrek::desktop {

TCurrencyRateDialog::TCurrencyRateDialog(const QString& currency, const QString& rate, bool readOnly, QWidget* parent)
    : QDialog(parent), rate_(new QLineEdit(rate, this)) {
    setObjectName(QStringLiteral("fChangeCurrencyRate"));
    setWindowTitle(QStringLiteral("Валутен курс"));
    auto* currencyLabel = new QLabel(currency, this);
    currencyLabel->setObjectName(QStringLiteral("lblCurrency"));
    rate_->setObjectName(QStringLiteral("edtRate"));
    rate_->setReadOnly(readOnly);
    auto* validator = new QDoubleValidator(0.0, 1e9, 6, rate_);
    validator->setLocale(QLocale::c());
    rate_->setValidator(validator);
    auto* buttons = new QDialogButtonBox(readOnly ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel,
                                         this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
    if (!readOnly) buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Валута:"), currencyLabel);
    layout->addRow(QStringLiteral("Курс (евро за единица валута):"), rate_);
    layout->addRow(buttons);
}

QString TCurrencyRateDialog::Rate() const { return rate_->text(); }

}  // namespace tavrek::desktop
