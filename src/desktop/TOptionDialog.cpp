#include "desktop/TOptionDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrek::desktop {

TOptionDialog::TOptionDialog(const QString& title, const QStringList& options, const QString& question,
                             QWidget* parent)
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
    if (!question.isEmpty()) {
        auto* label = new QLabel(question, this);
        label->setObjectName(QStringLiteral("lblQuestion"));
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addWidget(options_);
    layout->addWidget(buttons);
}

QCheckBox& TOptionDialog::AddFlag(const QString& caption, bool checked) {
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(QStringLiteral("chkFlag"));
    box->setChecked(checked);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(options_) + 1, box);
    return *box;
}

int TOptionDialog::Chosen() const { return options_->currentRow(); }

}  // namespace tavrek::desktop
