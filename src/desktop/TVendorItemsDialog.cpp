#include "desktop/TVendorItemsDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "desktop/ValueText.h"

namespace tavrek::desktop {
namespace {

constexpr int kItemColumn = 4;

}  // namespace

TVendorItemsDialog::TVendorItemsDialog(const TRequestResult& lines, TChooseItem choose, QWidget* parent)
    : QDialog(parent), choose_(std::move(choose)), itemIds_(lines.Rows.size()) {
    setObjectName("dlgVendorItems");
    setWindowTitle(tr("Артикули на доставчика"));
    table_ = new QTableWidget(static_cast<int>(lines.Rows.size()), 5, this);
    table_->setObjectName("tblVendorItems");
    table_->setHorizontalHeaderLabels({tr("Ред"), tr("Номер при доставчика"), tr("Наименование"), tr("Количество"),
                                       tr("Наш артикул")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < table_->rowCount(); ++row) {
        const size_t r = static_cast<size_t>(row);
        for (int column = 0; column < 4; ++column)
            table_->setItem(row, column, new QTableWidgetItem(ToQ(lines.Value(r, static_cast<size_t>(column)).AsString())));
        auto* button = new QPushButton(tr("Избор..."), table_);
        button->setObjectName(QStringLiteral("btnChooseItem%1").arg(row));
        connect(button, &QPushButton::clicked, this, [this, row] { ChooseFor(row); });
        table_->setCellWidget(row, kItemColumn, button);
    }
    table_->resizeColumnsToContents();
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Запомни"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Следните артикули не бяха намерени в базата данни. Изберете наш артикул за "
                                    "всеки, който познавате; изборът се запомня за доставчика."), this));
    layout->addWidget(table_);
    layout->addWidget(buttons);
    resize(820, 360);
}

void TVendorItemsDialog::ChooseFor(int row) {
    TRequestResult item;
    if (!choose_(item) || item.Empty()) return;
    itemIds_[static_cast<size_t>(row)] = item.ByName("Id").AsString();
    auto* button = qobject_cast<QPushButton*>(table_->cellWidget(row, kItemColumn));
    button->setText(ToQ(item.ByName("Code").AsString() + " " + item.ByName("Name").AsString()));
}

}  // namespace tavrek::desktop
