#include "desktop/TOptionDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrek::desktop {

TOptionDialog::TOptionDialog(const QString& title, const QStringList& options, QWidget* parent)
    : QDialog(parent), options_(new QListWidget(this)) {
    setObjectName(QStringLiteral("fOptionDialog"));
    setWindowTitle(title);
    options_->setObjectName(QStringLiteral("lstOptions"));
    options_->addItems(options);
    if (!options.isEmpty()) options_->setCurrentRow(0);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOk"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(options_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(options_);
    layout->addWidget(buttons);
}

QCheckBox& TOptionDialog::AddFlag(const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QStringLiteral("chkFlag"));
    box->setChecked(checked);
    static_cast<QVBoxLayout*>(layout())->insertWidget(1, box);
    return *box;
}

int TOptionDialog::Chosen() const { return options_->currentRow(); }

}  // namespace tavrek::desktop
