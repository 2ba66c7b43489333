#include "desktop/TSelectorDialog.h"

#include <QDialogButtonBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "desktop/TDataSetModel.h"

namespace tavrek::desktop {
namespace {

// Rows are numbered as they stand after sorting and searching, not as the server sent them.
class TRowNumberProxy : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Vertical && role == Qt::DisplayRole) return section + 1;
        return QSortFilterProxyModel::headerData(section, orientation, role);
    }
};

}  // namespace

TSelectorDialog::TSelectorDialog(const QString& caption, std::unique_ptr<TClientDataSet> rows, bool multiSelect,
                                 QWidget* parent)
    : QDialog(parent), rows_(std::move(rows)) {
    setWindowTitle(caption);
    const std::vector<TColumnLayout> columns = DefaultColumns(*rows_);
    model_ = new TDataSetModel(*rows_, columns, this);
    model_->SetReadOnly(true);
    proxy_ = new TRowNumberProxy(this);
    proxy_->setSourceModel(model_);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    search_ = new QLineEdit(this);
    search_->setPlaceholderText(tr("Търсене..."));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textChanged, this, &TSelectorDialog::Search);
    search_->installEventFilter(this);
    view_ = new QTableView(this);
    view_->setModel(proxy_);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSortingEnabled(true);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    SizeColumns(columns);
    view_->sortByColumn(0, Qt::AscendingOrder);
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

// A column described without a width takes the room the others leave, so names are read whole.
void TSelectorDialog::SizeColumns(const std::vector<TColumnLayout>& columns) {
    QHeaderView& header = *view_->horizontalHeader();
    bool stretched = false;
    for (size_t i = 0; i < columns.size(); ++i) {
        const int section = static_cast<int>(i);
        const TField& field = rows_->Fields(columns[i].FieldIndex);
        if (field.DisplayWidth > 0) {
            header.resizeSection(section, field.DisplayWidth);
        } else if (!stretched && !field.DisplayLabel.empty()) {
            header.setSectionResizeMode(section, QHeaderView::Stretch);
            stretched = true;
        }
    }
    header.setStretchLastSection(!stretched);
}

void TSelectorDialog::Search(const QString& text) {
    proxy_->setFilterFixedString(text);
    if (proxy_->rowCount() > 0 && !view_->selectionModel()->hasSelection()) view_->selectRow(0);
}

// The rows are walked from the search box, so one can type and move without leaving it.
bool TSelectorDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            if (!view_->currentIndex().isValid() && proxy_->rowCount() > 0) view_->selectRow(0);
            else QCoreApplication::sendEvent(view_, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
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
