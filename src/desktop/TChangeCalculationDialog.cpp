#include "desktop/TChangeCalculationDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include "base/util/Utils.h"
#include "desktop/ValueText.h"

namespace tavrek::desktop {

TChangeCalculationDialog::TChangeCalculationDialog(double due, double received, QWidget* parent)
    : QDialog(parent), due_(due), received_(new QDoubleSpinBox(this)), change_(new QLabel(this)) {
    setObjectName(QStringLiteral("fChangeCalculation"));
    setWindowTitle(QStringLiteral("Изчисляване на ресто"));
    auto* dueLabel = new QLabel(NumberText(due, 2), this);
    dueLabel->setObjectName(QStringLiteral("lblDue"));
    received_->setObjectName(QStringLiteral("edtReceived"));
    received_->setLocale(Bulgarian());
    received_->setDecimals(2);
    received_->setRange(-1e12, 1e12);
    received_->setValue(received);
    change_->setObjectName(QStringLiteral("lblChange"));
    connect(received_, &QDoubleSpinBox::valueChanged, this, [this] { ShowChange(); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("Затвори"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::accept);
    auto* layout = new QFormLayout(this);
    layout->addRow(QStringLiteral("Дължимо:"), dueLabel);
    layout->addRow(QStringLiteral("Получено:"), received_);
    layout->addRow(QStringLiteral("Ресто:"), change_);
    layout->addRow(buttons);
    ShowChange();
}

QString TChangeCalculationDialog::ChangeText() const { return change_->text(); }

void TChangeCalculationDialog::ShowChange() {
    change_->setText(NumberText(RoundUp(received_->value() - due_, 2), 2));
}

}  // namespace tavrek::desktop
