#include "desktop/TDataSetModel.h"

#include <algorithm>

#include "base/errors/TELException.h"

namespace tavrek::desktop {

TDataSetModel::TDataSetModel(TClientDataSet& dataSet, std::vector<TColumnLayout> columns, QObject* parent)
    : QAbstractTableModel(parent), dataSet_(&dataSet), columns_(std::move(columns)) {
    Rebuild();
    dataSet_->AddObserver(this);
}

TDataSetModel::~TDataSetModel() { dataSet_->RemoveObserver(this); }

void TDataSetModel::Rebuild() {
    map_.clear();
    insertRow_ = dataSet_->State() == TDataSetState::dsInsert;
    if (!dataSet_->Active()) {
        rows_ = 0;
        return;
    }
    if (!Filtered()) {
        rows_ = dataSet_->RawRecordCount();
        return;
    }
    for (int i = 0; i < dataSet_->RawRecordCount(); ++i)
        if (dataSet_->RawRecordVisible(i)) map_.push_back(i);
    rows_ = static_cast<int>(map_.size());
}

int TDataSetModel::RowOfRawIndex(int rawIndex) const {
    if (rawIndex < 0) return -1;
    if (!Filtered()) return rawIndex < rows_ ? rawIndex : -1;
    const auto it = std::lower_bound(map_.begin(), map_.end(), rawIndex);
    return it != map_.end() && *it == rawIndex ? static_cast<int>(it - map_.begin()) : -1;
}

int TDataSetModel::RawIndexOfRow(int row) const {
    if (row < 0 || row >= rows_) return -1;
    int raw = Filtered() ? map_[static_cast<size_t>(row)] : row;
    // Between the "about to" and the "done" signal of a change the store has already
    // changed; rows are answered as they stood before it.
    if (pendingInsert_ >= 0 && raw >= pendingInsert_) ++raw;
    if (pendingRemove_ >= 0) {
        if (raw == pendingRemove_) return -1;
        if (raw > pendingRemove_) --raw;
    }
    return raw < dataSet_->RawRecordCount() ? raw : -1;
}

int TDataSetModel::CurrentRow() const {
    if (!dataSet_->Active()) return -1;
    if (dataSet_->State() == TDataSetState::dsInsert) return insertRow_ ? rows_ : -1;
    return RowOfRawIndex(dataSet_->CurrentRawIndex());
}

void TDataSetModel::MoveCursorToRow(int row) {
    if (insertRow_ && row == rows_) return;
    const int raw = RawIndexOfRow(row);
    if (raw < 0) return;
    if (raw == dataSet_->CurrentRawIndex() && dataSet_->State() != TDataSetState::dsInsert) return;
    dataSet_->GotoRawIndex(raw);
}

void TDataSetModel::SetFooterText(int column, const QString& text) {
    columns_.at(static_cast<size_t>(column)).FooterText = text;
}

void TDataSetModel::RefreshCurrentRow() {
    // Only an edit buffer can differ from what the view already shows.
    if (dataSet_->State() != TDataSetState::dsEdit && dataSet_->State() != TDataSetState::dsInsert) return;
    const int row = CurrentRow();
    if (row >= 0 && !columns_.empty()) emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

bool TDataSetModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && dataSet_->Active() && dataSet_->CanFetchMore();
}

void TDataSetModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    try {
        dataSet_->GetNextPacket();
    } catch (...) {
        Report(ToQ(CurrentExceptionMessage()));
    }
}

int TDataSetModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_ + (insertRow_ ? 1 : 0);
}

int TDataSetModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const std::vector<Variant>& TDataSetModel::RowValues(int row) const {
    if (insertRow_ && row == rows_) return dataSet_->CurrentValues();
    const int raw = RawIndexOfRow(row);
    if (raw == dataSet_->CurrentRawIndex() && dataSet_->State() == TDataSetState::dsEdit)
        return dataSet_->CurrentValues();
    return dataSet_->RawRecord(raw);
}

bool TDataSetModel::InRange(const QModelIndex& index) const {
    return index.isValid() && index.model() == this && index.row() < rowCount() && index.column() < columnCount();
}

QVariant TDataSetModel::data(const QModelIndex& index, int role) const {
    if (!InRange(index)) return {};
    const bool insertRow = insertRow_ && index.row() == rows_;
    if (!insertRow && RawIndexOfRow(index.row()) < 0) return {};
    const TColumnLayout& column = columns_[static_cast<size_t>(index.column())];
    const TField& field = dataSet_->Fields(column.FieldIndex);
    const Variant& value = RowValues(index.row())[static_cast<size_t>(column.FieldIndex)];
    switch (role) {
        case Qt::DisplayRole:
            if (column.Flag) return {};
            return CellText(column, field.DataType(), value);
        case Qt::EditRole: return EditValue(value, field.DataType());
        case Qt::CheckStateRole:
            if (!column.Flag) return {};
            return value.AsFloat() != 0.0 ? Qt::Checked : Qt::Unchecked;
        case Qt::TextAlignmentRole:
            if (column.Kind == TNumberKind::nkNone) return {};
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default: return {};
    }
}

QVariant TDataSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    if (section < 0 || section >= columnCount()) return {};
    return columns_[static_cast<size_t>(section)].Caption;
}

Qt::ItemFlags TDataSetModel::flags(const QModelIndex& index) const {
    if (!InRange(index)) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    const TColumnLayout& column = columns_[static_cast<size_t>(index.column())];
    if (readOnly_ || column.ReadOnly || dataSet_->Fields(column.FieldIndex).ReadOnly) return result;
    return result | (column.Flag ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable);
}

bool TDataSetModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable))) return false;
    const TColumnLayout& column = columns_[static_cast<size_t>(index.column())];
    if (role == Qt::CheckStateRole && column.Flag)
        return ApplyEdit(index.row(), column, value.toInt() == Qt::Checked ? 1 : 0);
    if (role != Qt::EditRole || column.Flag) return false;
    return ApplyEdit(index.row(), column, value);
}

bool TDataSetModel::ApplyEdit(int row, const TColumnLayout& column, const QVariant& value) {
    try {
        MoveCursorToRow(row);
        TField& field = dataSet_->Fields(column.FieldIndex);
        dataSet_->Edit();
        const Variant typed = FromEditValue(value, field.DataType());
        bool taken = true;
        if (OnEnterValue) taken = OnEnterValue(field, typed);
        else field.SetValue(typed);
        if (!taken) {
            if (dataSet_->State() == TDataSetState::dsEdit) dataSet_->Cancel();
            RefreshCurrentRow();
            return false;
        }
        // A record being inserted stays open until the user leaves it; an edited one is
        // posted at once so that the aggregates and the footers follow.
        if (dataSet_->State() == TDataSetState::dsEdit) dataSet_->Post();
        else RefreshCurrentRow();
        return true;
    } catch (...) {
        Report(ToQ(CurrentExceptionMessage()));
        if (dataSet_->State() == TDataSetState::dsEdit) dataSet_->Cancel();
        return false;
    }
}

bool TDataSetModel::insertRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || readOnly_ || row < 0 || row > rows_ || count < 1) return false;
    try {
        for (int i = 0; i < count; ++i) {
            if (row + i >= rows_) {
                dataSet_->Append();
            } else {
                MoveCursorToRow(row + i);
                dataSet_->Insert();
            }
            dataSet_->Post();
        }
        return true;
    } catch (...) {
        Report(ToQ(CurrentExceptionMessage()));
        dataSet_->Cancel();
        return false;
    }
}

bool TDataSetModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || readOnly_ || row < 0 || count < 1 || row + count > rowCount()) return false;
    try {
        for (int i = 0; i < count; ++i) {
            if (insertRow_ && row == rows_) {
                dataSet_->Cancel();
                continue;
            }
            MoveCursorToRow(row);
            dataSet_->Delete();
        }
        return true;
    } catch (...) {
        Report(ToQ(CurrentExceptionMessage()));
        return false;
    }
}

void TDataSetModel::Report(const QString& text) const {
    if (OnError) OnError(text);
}

void TDataSetModel::DataSetChanged() {
    ++changing_;
    beginResetModel();
    Rebuild();
    endResetModel();
    --changing_;
}

void TDataSetModel::BeginInsert(int first) {
    ++changing_;
    beginInsertRows({}, first, first);
}

void TDataSetModel::EndInsert() {
    endInsertRows();
    --changing_;
}

void TDataSetModel::BeginRemove(int first) {
    ++changing_;
    beginRemoveRows({}, first, first);
}

void TDataSetModel::EndRemove() {
    endRemoveRows();
    --changing_;
}

void TDataSetModel::SyncInsertRow() {
    const bool inserting = dataSet_->State() == TDataSetState::dsInsert;
    if (inserting == insertRow_) return;
    if (inserting) {
        BeginInsert(rows_);
        insertRow_ = true;
        EndInsert();
    } else {
        BeginRemove(rows_);
        insertRow_ = false;
        EndRemove();
    }
}

void TDataSetModel::RecordChanged(int index) {
    if (!Filtered()) {
        if (index < rows_) emit dataChanged(this->index(index, 0), this->index(index, columnCount() - 1));
        return;
    }
    const auto it = std::lower_bound(map_.begin(), map_.end(), index);
    const bool shown = it != map_.end() && *it == index;
    const bool visible = dataSet_->RawRecordVisible(index);
    const int row = static_cast<int>(it - map_.begin());
    if (shown && visible) {
        emit dataChanged(this->index(row, 0), this->index(row, columnCount() - 1));
    } else if (shown) {
        BeginRemove(row);
        map_.erase(it);
        --rows_;
        EndRemove();
    } else if (visible) {
        BeginInsert(row);
        map_.insert(it, index);
        ++rows_;
        EndInsert();
    }
}

void TDataSetModel::RecordInserted(int index) {
    if (insertRow_ && dataSet_->State() != TDataSetState::dsInsert) SyncInsertRow();
    if (!Filtered()) {
        pendingInsert_ = index;
        BeginInsert(index);
        pendingInsert_ = -1;
        ++rows_;
        EndInsert();
        return;
    }
    const auto it = std::lower_bound(map_.begin(), map_.end(), index);
    for (auto shifted = it; shifted != map_.end(); ++shifted) ++*shifted;
    if (!dataSet_->RawRecordVisible(index)) return;
    const int row = static_cast<int>(it - map_.begin());
    BeginInsert(row);
    map_.insert(it, index);
    ++rows_;
    EndInsert();
}

void TDataSetModel::RecordDeleted(int index) {
    if (!Filtered()) {
        if (index >= rows_) return;
        pendingRemove_ = index;
        BeginRemove(index);
        pendingRemove_ = -1;
        --rows_;
        EndRemove();
        return;
    }
    auto it = std::lower_bound(map_.begin(), map_.end(), index);
    if (it != map_.end() && *it == index) {
        const int row = static_cast<int>(it - map_.begin());
        pendingRemove_ = index;
        BeginRemove(row);
        pendingRemove_ = -1;
        it = map_.erase(it);
        --rows_;
        for (auto shifted = it; shifted != map_.end(); ++shifted) --*shifted;
        EndRemove();
        return;
    }
    for (auto shifted = it; shifted != map_.end(); ++shifted) --*shifted;
}

void TDataSetModel::CursorMoved() {
    SyncInsertRow();
    emit CursorRowChanged(CurrentRow());
}

}  // namespace tavrek::desktop
