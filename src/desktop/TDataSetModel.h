#pragma once

#include <QAbstractTableModel>
#include <functional>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "desktop/TColumnLayout.h"

namespace tavrek::desktop {

// A table model over a client dataset. Cells are read straight from the records
// (RawRecord), never by moving the cursor; the model follows the dataset through
// IDataSetObserver. An edit moves the cursor to its record and goes through
// TField::SetValue, so the form's field handlers run as they would for any edit.
// While a record is being inserted the model shows it as an extra last row.
class TDataSetModel : public QAbstractTableModel, private IDataSetObserver {
    Q_OBJECT
public:
    TDataSetModel(TClientDataSet& dataSet, std::vector<TColumnLayout> columns, QObject* parent = nullptr);
    ~TDataSetModel() override;

    TClientDataSet& DataSet() const { return *dataSet_; }
    const std::vector<TColumnLayout>& Columns() const { return columns_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ReadOnly() const { return readOnly_; }
    // The form's own footer text of a column (one without an aggregate).
    void SetFooterText(int column, const QString& text);

    // Row of the model for a record position among all records, -1 when not shown; and back
    // (-1 for the row of a record being inserted).
    int RowOfRawIndex(int rawIndex) const;
    int RawIndexOfRow(int row) const;
    int CurrentRow() const;
    // True between the begin and end signals of a change of rows, when the view must not
    // move the dataset's cursor.
    bool Changing() const { return changing_ > 0; }
    // Moves the dataset's cursor to the record of a row (posting a pending edit first).
    void MoveCursorToRow(int row);
    // The current record may have changed in its edit buffer without a post.
    void RefreshCurrentRow();

    // What the user typed into a field goes through this (the form's lookups); false refuses
    // it. Without it the value goes to the field.
    std::function<bool(TField& field, const Variant& value)> OnEnterValue;
    // Failures while editing: the text goes to this handler (a dialog in the client).
    std::function<void(const QString&)> OnError;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;
    // A dataset read in packets shows what it has read; the view asks for more as it scrolls.
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    // The dataset's cursor moved; the view may follow it.
    void CursorRowChanged(int row);

private:
    void DataSetChanged() override;
    void RecordChanged(int index) override;
    void RecordInserted(int index) override;
    void RecordDeleted(int index) override;
    void CursorMoved() override;

    void Rebuild();
    void BeginInsert(int first);
    void EndInsert();
    void BeginRemove(int first);
    void EndRemove();
    bool InRange(const QModelIndex& index) const;
    bool Filtered() const { return dataSet_->Filtered(); }
    const std::vector<Variant>& RowValues(int row) const;
    void SyncInsertRow();
    void InsertMappedRow(int index);
    void RemoveMappedRow(int index);
    bool ApplyEdit(int row, const TColumnLayout& column, const QVariant& value);
    void Report(const QString& text) const;

    TClientDataSet* dataSet_;
    std::vector<TColumnLayout> columns_;
    int rows_ = 0;
    std::vector<int> map_;  // raw indices of the shown records while the dataset is filtered
    bool insertRow_ = false;
    int pendingInsert_ = -1;
    int pendingRemove_ = -1;
    int changing_ = 0;
    bool readOnly_ = false;
};

}  // namespace tavrek::desktop
