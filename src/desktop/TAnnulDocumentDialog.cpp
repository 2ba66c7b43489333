#include "desktop/TAnnulDocumentDialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

namespace tavrek::desktop {

TAnnulDocumentDialog::TAnnulDocumentDialog(const QDate& date, const QString& description, QWidget* parent)
    : QDialog(parent), date_(new QDateEdit(date, this)), description_(new QLineEdit(description, this)) {
    setObjectName(QStringLiteral("fEdAnnulDocument"));
    setWindowTitle(QStringLiteral("Анулиране на документ"));
    date_->setObjectName(QStringLiteral("edtAnnulDate"));
    date_->setCalendarPopup(true);
    date_->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    description_->setObjectName(QStringLiteral("edtAnnulDescription"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Анулиране"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Дата на анулиране:"), date_);
    layout->addRow(QStringLiteral("Основание:"), description_);
    layout->addRow(buttons);
}

QDate TAnnulDocumentDialog::Date() const { return date_->date(); }

QString TAnnulDocumentDialog::Description() const { return description_->text(); }

}  // namespace tavrek::desktop
