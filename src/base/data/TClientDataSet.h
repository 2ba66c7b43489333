#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/data/EDatabaseError.h"
#include "base/data/TDataStore.h"
#include "base/data/TField.h"
#include "base/data/TFilter.h"

namespace tavrek {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

// Told of changes so that a grid can follow a dataset without walking it. Indices are
// positions among all records of the dataset, filtered or not.
class IDataSetObserver {
public:
    virtual ~IDataSetObserver() = default;
    virtual void DataSetChanged() = 0;
    virtual void RecordChanged(int index) = 0;
    virtual void RecordInserted(int index) = 0;
    virtual void RecordDeleted(int index) = 0;
    virtual void CursorMoved() {}
};

// One changed record of the change log, for sending to the server.
struct TDeltaRecord {
    TUpdateStatus Status;
    const std::vector<Variant>* Values;    // current values; for a deleted record its last values
    const std::vector<Variant>* Original;  // values the server gave; nullptr for an inserted record
};

struct TLocateOptions {
    bool CaseInsensitive = false;
    bool PartialKey = false;
};

using TDataSetEvent = std::function<void(class TClientDataSet&)>;
using TBookmark = uint64_t;

// An in-memory dataset in the manner of the platform's client dataset: a current record,
// edit and insert states with a record buffer, maintained aggregates, filters, clone
// cursors over shared records, and a change log for the server.
class TClientDataSet {
public:
    TClientDataSet() = default;
    explicit TClientDataSet(std::string name) : Name(std::move(name)) {}
    ~TClientDataSet();
    TClientDataSet(const TClientDataSet&) = delete;
    TClientDataSet& operator=(const TClientDataSet&) = delete;

    std::string Name;

    // Structure.
    TField& AddField(const std::string& name, TFieldType type);
    void CreateDataSet();
    void Close();
    bool Active() const { return store_ != nullptr; }
    TDataSetState State() const { return state_; }
    int FieldCount() const { return static_cast<int>(fields_.size()); }
    TField& Fields(int index) { return *fields_.at(index); }
    const TField& Fields(int index) const { return *fields_.at(index); }
    TField& FieldByName(std::string_view name);
    TField* FindField(std::string_view name);

    // Editing. Navigating or appending while a record is edited posts it first when it was
    // modified and cancels it otherwise; Edit on an empty dataset inserts.
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void CheckBrowseMode();
    void EmptyDataSet();
    bool Modified() const { return modified_; }

    // Navigation over the records that pass the filter.
    void First();
    void Last();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const;
    void SetRecNo(int recNo);
    TBookmark GetBookmark() const;
    bool BookmarkValid(TBookmark bookmark) const;
    void GotoBookmark(TBookmark bookmark);
    // keyFields separated by ';', one value per field.
    bool Locate(std::string_view keyFields, const std::vector<Variant>& values, TLocateOptions options = {});
    Variant Lookup(std::string_view keyFields, const std::vector<Variant>& values, std::string_view resultField);

    // Aggregates, shared with clone cursors.
    TAggregate& AddAggregate(const std::string& name, const std::string& expression);
    TAggregate* FindAggregate(std::string_view name);
    Variant AggregateValue(std::string_view name);
    bool AggregatesActive = true;

    // Clone cursors: this dataset opens on the records of source, with its own position,
    // filter, fields and events.
    void CloneCursor(TClientDataSet& source);

    // Filters: the text form of TFilter, a predicate, or both.
    void SetFilter(std::string text);
    const std::string& Filter() const { return filterText_; }
    void SetFilterPredicate(std::function<bool(TClientDataSet&)> predicate);
    void SetFiltered(bool filtered);
    bool Filtered() const { return filtered_; }

    // Change log.
    bool LogChanges = true;
    int ChangeCount() const;
    // The change log's state of the current record: usInserted until a new record is saved.
    TUpdateStatus UpdateStatus() const;
    std::vector<TDeltaRecord> Delta() const;
    void MergeChangeLog();
    void CancelUpdates();
    // The records and change log as they stand, to be put back when a save is undone on the
    // server (a posting refused after the save it began with). Restoring needs the same
    // records (no reopening in between); false when they are not.
    struct TChangesKept {
        std::shared_ptr<TDataStore> Store;
        std::shared_ptr<const TDataStoreState> State;
    };
    TChangesKept KeepChanges() const;
    bool RestoreChanges(const TChangesKept& kept);
    // Adds a record as the server sends it: not logged, no events.
    void AppendLoaded(std::vector<Variant> values);

    // Fetching on demand: a dataset opened with a packet fetcher holds the records read so
    // far. The fetcher appends up to PacketRecords more and returns how many it appended;
    // fewer than asked means the server has no more. Moving past the last record, Last and
    // Locate read on; closing forgets the fetcher.
    int PacketRecords = -1;
    void SetPacketFetcher(std::function<int(TClientDataSet&)> fetcher);
    bool CanFetchMore() const { return static_cast<bool>(fetcher_); }
    int GetNextPacket();
    void FetchAll();

    // Controls: observers are not told of changes while disabled; re-enabling tells them once.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ > 0; }
    void AddObserver(IDataSetObserver* observer);
    void RemoveObserver(IDataSetObserver* observer);

    // Record access by position among all records, for grids and the server.
    int RawRecordCount() const;
    const std::vector<Variant>& RawRecord(int index) const;
    // The bookmark of a record by position, without moving the cursor (grid selections).
    TBookmark RawBookmark(int index) const;
    bool RawRecordVisible(int index);
    int CurrentRawIndex() const { return pos_; }
    void GotoRawIndex(int index);
    // Values of the current record (the edit buffer while editing).
    const std::vector<Variant>& CurrentValues() const;
    const std::vector<TFieldDef>& FieldDefs() const;

    TDataSetEvent BeforeInsert, AfterInsert, OnNewRecord, BeforeEdit, AfterEdit, BeforePost, AfterPost,
        BeforeCancel, AfterCancel, BeforeDelete, AfterDelete, AfterScroll, AfterOpen, BeforeClose, AfterClose;

private:
    friend class TField;
    friend class TDataStore;

    void SetFieldValue(int index, Variant value);
    void RequireActive() const;
    void CreateFields();
    void OpenOn(std::shared_ptr<TDataStore> store);
    bool Visible(size_t index);
    int NextVisible(int from, int step);
    void MoveTo(int index);
    void BeginInsert(size_t index);
    void Scrolled();
    void Fire(const TDataSetEvent& event);

    void StoreInserted(size_t index);
    void StoreErased(size_t index);
    void StoreUpdated(size_t index);
    void StoreReset();
    template <typename F>
    void Notify(F&& f);

    std::vector<TFieldDef> pendingDefs_;
    std::vector<std::unique_ptr<TField>> fields_;
    std::unordered_map<std::string, TField*, TCaseInsensitiveHash, TCaseInsensitiveEqual> fieldIndex_;
    std::shared_ptr<TDataStore> store_;
    TDataSetState state_ = TDataSetState::dsInactive;
    int pos_ = -1;
    size_t insertPos_ = 0;
    bool eof_ = true, bof_ = true, modified_ = false;
    std::vector<Variant> buffer_;
    std::string filterText_;
    TFilter textFilter_;
    std::function<bool(TClientDataSet&)> predicate_;
    bool filtered_ = false;
    bool evaluatingFilter_ = false;
    int disableCount_ = 0;
    bool changedWhileDisabled_ = false;
    std::vector<IDataSetObserver*> observers_;
    std::function<int(TClientDataSet&)> fetcher_;
};

// The current record's value of a field; Null when the dataset has no such field, for
// routines shared by forms whose datasets carry different fields.
Variant FieldValue(TClientDataSet& dataSet, std::string_view name);

}  // namespace tavrek
