#include "desktop/TQuantityDialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

#include "desktop/ValueText.h"

namespace tavrek::desktop {

TQuantityDialog::TQuantityDialog(const QString& caption, double value, double maximum, QWidget* parent)
    : QDialog(parent), editor_(new QDoubleSpinBox(this)) {
    setWindowTitle(caption.isEmpty() ? tr("Количество") : caption);
    editor_->setDecimals(3);
    editor_->setLocale(Bulgarian());
    editor_->setRange(0.0, maximum > 0.0 ? maximum : 1e12);
    editor_->setValue(value);
    editor_->selectAll();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Потвърди"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QFormLayout(this);
    layout->addRow(tr("Количество:"), editor_);
    if (maximum > 0.0) layout->addRow(tr("Максимум:"), new QLabel(DisplayText(Variant(maximum), TFieldType::ftFloat, TNumberKind::nkQuantity), this));
    layout->addRow(buttons);
}

double TQuantityDialog::Value() const { return editor_->value(); }

}  // namespace tavrek::desktop
