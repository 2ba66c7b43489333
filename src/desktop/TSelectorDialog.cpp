#include "desktop/TSelectorDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "desktop/TDataSetModel.h"

namespace tavrek::desktop {

TSelectorDialog::TSelectorDialog(const QString& caption, std::unique_ptr<TClientDataSet> rows, bool multiSelect,
                                 QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
    setWindowTitle(caption);
    model_ = new TDataSetModel(*rows_, DefaultColumns(*rows_), this);
    model_->SetReadOnly(true);
    proxy_ = new QSortFilterProxyModel(this);
    proxy_->setSourceModel(model_);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(tr("Търсене..."));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);
    view_ = new QTableView(this);
    view_->setModel(proxy_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSortingEnabled(true);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(true);
    if (proxy_->rowCount() > 0) view_->selectRow(0);
    connect(view_, &QTableView::doubleClicked, this, &QDialog::accept);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("Избери"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отказ"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search_);
    layout->addWidget(view_);
    layout->addWidget(buttons);
    resize(720, 480);
}

TSelectorDialog::~TSelectorDialog() {
    // The model watches the dataset; it goes first.
    view_->setModel(nullptr);
    delete proxy_;
    delete model_;
}

int TSelectorDialog::VisibleRows() const { return proxy_->rowCount(); }

TRequestResult TSelectorDialog::Chosen() const {
    TRequestResult result;
    for (const TFieldDef& def : rows_->FieldDefs()) result.Columns.push_back(def.Name);
    std::set<int> rows;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows())
        rows.insert(proxy_->mapToSource(index).row());
    for (int row : rows) {
        const int raw = model_->RawIndexOfRow(row);
        if (raw >= 0) result.Rows.push_back(rows_->RawRecord(raw));
    }
    return result;
}

}  // namespace tavrek::desktop
