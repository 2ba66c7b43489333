#include "desktop/TDataGrid.h"

#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>

#include "base/errors/TELException.h"
#include "desktop/TCellEditorDelegate.h"
#include "desktop/TDataSetModel.h"
#include "desktop/TGridFooter.h"
#include "desktop/TGridView.h"

namespace tavrek::desktop {

TDataGrid::TDataGrid(TDataSetModel& model, QWidget* parent)
    : QWidget(parent), model_(model), view_(new TGridView(this)) {
    view_->setModel(&model_);
    view_->setItemDelegate(new TCellEditorDelegate(model_, *view_));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                           QAbstractItemView::AnyKeyPressed);
    view_->setAlternatingRowColors(true);
    // Fixed row heights and column widths from the description: nothing walks the rows.
    QHeaderView& rows = *view_->verticalHeader();
    rows.setSectionResizeMode(QHeaderView::Fixed);
    rows.setDefaultSectionSize(view_->fontMetrics().height() + 6);
    const auto& columns = model_.Columns();
    for (size_t i = 0; i < columns.size(); ++i) {
        const int byCaption = view_->fontMetrics().horizontalAdvance(columns[i].Caption) + 24;
        // A column is never narrower than its caption: a cut header is unreadable.
        view_->setColumnWidth(static_cast<int>(i), std::max({columns[i].Width, byCaption, 70}));
    }
    footer_ = new TGridFooter(*view_, model_, this);
    footer_->setVisible(footer_->HasContent());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addWidget(footer_);
    connect(&model_, &TDataSetModel::CursorRowChanged, this, &TDataGrid::FollowCursor);
    auto refollow = [this] { FollowCursor(model_.CurrentRow()); };
    connect(&model_, &QAbstractItemModel::rowsInserted, this, refollow);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, refollow);
    connect(&model_, &QAbstractItemModel::modelReset, this, refollow);
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });
    FollowCursor(model_.CurrentRow());
}

std::vector<int> TDataGrid::SelectedRawIndices() const {
    std::vector<int> raw;
    for (const QModelIndex& index : view_->selectionModel()->selectedRows()) {
        const int r = model_.RawIndexOfRow(index.row());
        if (r >= 0) raw.push_back(r);
    }
    if (raw.empty() && model_.RawIndexOfRow(view_->currentIndex().row()) >= 0)
        raw.push_back(model_.RawIndexOfRow(view_->currentIndex().row()));
    std::sort(raw.begin(), raw.end());
    return raw;
}

bool TDataGrid::Editing() const {
    for (const QWidget* child : view_->viewport()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isVisible()) return true;
    return false;
}

void TDataGrid::FollowCursor(int row) {
    if (following_ || row < 0 || row == view_->currentIndex().row()) return;
    following_ = true;
    const int column = std::max(view_->currentIndex().column(), 0);
    view_->selectionModel()->setCurrentIndex(model_.index(row, column), QItemSelectionModel::NoUpdate);
    following_ = false;
}

void TDataGrid::CurrentRowChanged(int row) {
    if (following_ || row < 0 || model_.Changing()) return;
    following_ = true;
    try {
        model_.MoveCursorToRow(row);
    } catch (...) {
        if (model_.OnError) model_.OnError(QString::fromStdString(CurrentExceptionMessage()));
    }
    following_ = false;
}

}  // namespace tavrek::desktop
