#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/data/TAggregate.h"
#include "base/data/TField.h"
#include "base/util/Text.h"

namespace tavrek {

class TClientDataSet;

struct TFieldDef {
    std::string Name;
    TFieldType Type;
};

enum class TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };

struct TRecord {
    std::vector<Variant> Values;
    // Values as the server last saw them; kept from the first change until the log is merged.
    std::unique_ptr<std::vector<Variant>> Original;
    TUpdateStatus Status = TUpdateStatus::usUnmodified;
    uint64_t Id = 0;
};

// The records and change log of a store as they stood at one moment.
struct TDataStoreState {
    std::vector<TRecord> Records, Deleted;
    int ChangeCount = 0;
};

// The records, aggregates and change log that a dataset and its clone cursors share.
// Every change goes through here so that aggregates, the log and the positions of all
// cursors stay in step.
class TDataStore {
public:
    explicit TDataStore(std::vector<TFieldDef> defs);

    const std::vector<TFieldDef>& Defs() const { return defs_; }
    int FieldIndex(std::string_view name) const;

    size_t Size() const { return records_.size(); }
    const TRecord& At(size_t index) const { return *records_[index]; }
    TRecord& At(size_t index) { return *records_[index]; }
    const std::vector<std::unique_ptr<TRecord>>& Deleted() const { return deleted_; }

    void Insert(size_t index, std::vector<Variant> values, bool logged);
    void Update(size_t index, std::vector<Variant> values, bool logged);
    void Erase(size_t index, bool logged);
    void Clear();

    int ChangeCount() const { return changeCount_; }
    TDataStoreState State() const;
    // Puts the records and the change log back as state holds them.
    void Restore(const TDataStoreState& state);
    void MergeChangeLog();
    void CancelUpdates();

    TAggregate& AddAggregate(const std::string& name, const std::string& expression);
    TAggregate* FindAggregate(std::string_view name);
    const std::vector<std::unique_ptr<TAggregate>>& Aggregates() const { return aggregates_; }

    void Attach(TClientDataSet* cursor);
    void Detach(TClientDataSet* cursor);

private:
    void AddToAggregates(const std::vector<Variant>& values);
    void RemoveFromAggregates(const std::vector<Variant>& values);
    void RebuildAggregates();
    void NotifyReset();

    std::vector<TFieldDef> defs_;
    std::unordered_map<std::string, int, TCaseInsensitiveHash, TCaseInsensitiveEqual> index_;
    std::vector<std::unique_ptr<TRecord>> records_;
    std::vector<std::unique_ptr<TRecord>> deleted_;
    std::vector<std::unique_ptr<TAggregate>> aggregates_;
    std::vector<TClientDataSet*> cursors_;
    uint64_t nextId_ = 1;
    int changeCount_ = 0;
};

}  // namespace tavrek
