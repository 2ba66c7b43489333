#include "base/data/TDataStore.h"

#include <algorithm>

#include "base/data/EDatabaseError.h"
#include "base/data/TClientDataSet.h"

namespace tavrek {

TDataStore::TDataStore(std::vector<TFieldDef> defs) : defs_(std::move(defs)) {
    for (size_t i = 0; i < defs_.size(); ++i)
        if (!index_.emplace(defs_[i].Name, static_cast<int>(i)).second)
            throw EDatabaseError("Дублирано име на поле: " + defs_[i].Name);
}

int TDataStore::FieldIndex(std::string_view name) const {
    const auto it = index_.find(name);
    return it == index_.end() ? -1 : it->second;
}

void TDataStore::Insert(size_t index, std::vector<Variant> values, bool logged) {
    auto record = std::make_unique<TRecord>();
    record->Values = std::move(values);
    record->Id = nextId_++;
    if (logged) {
        record->Status = TUpdateStatus::usInserted;
        ++changeCount_;
    }
    AddToAggregates(record->Values);
    records_.insert(records_.begin() + static_cast<std::ptrdiff_t>(index), std::move(record));
    for (TClientDataSet* cursor : cursors_) cursor->StoreInserted(index);
}

void TDataStore::Update(size_t index, std::vector<Variant> values, bool logged) {
    TRecord& record = *records_[index];
    for (auto& aggregate : aggregates_) {
        const size_t field = static_cast<size_t>(aggregate->FieldIndex());
        if (record.Values[field] == values[field]) continue;
        aggregate->Remove(record.Values[field]);
        aggregate->Add(values[field]);
    }
    if (logged && record.Status == TUpdateStatus::usUnmodified) {
        // The replaced values become the original: moved, not copied, on the first change.
        record.Original = std::make_unique<std::vector<Variant>>(std::move(record.Values));
        record.Status = TUpdateStatus::usModified;
        ++changeCount_;
    }
    record.Values = std::move(values);
    for (TClientDataSet* cursor : cursors_) cursor->StoreUpdated(index);
}

void TDataStore::Erase(size_t index, bool logged) {
    std::unique_ptr<TRecord> record = std::move(records_[index]);
    records_.erase(records_.begin() + static_cast<std::ptrdiff_t>(index));
    RemoveFromAggregates(record->Values);
    if (record->Status == TUpdateStatus::usInserted) {
        --changeCount_;
    } else if (logged) {
        if (record->Status == TUpdateStatus::usUnmodified) ++changeCount_;
        record->Status = TUpdateStatus::usDeleted;
        deleted_.push_back(std::move(record));
    }
    for (TClientDataSet* cursor : cursors_) cursor->StoreErased(index);
}

void TDataStore::Clear() {
    records_.clear();
    deleted_.clear();
    changeCount_ = 0;
    for (auto& aggregate : aggregates_) aggregate->Reset();
    NotifyReset();
}

namespace {

TRecord CopyOf(const TRecord& record) {
    TRecord copy;
    copy.Values = record.Values;
    if (record.Original) copy.Original = std::make_unique<std::vector<Variant>>(*record.Original);
    copy.Status = record.Status;
    copy.Id = record.Id;
    return copy;
}

std::vector<std::unique_ptr<TRecord>> RecordsOf(const std::vector<TRecord>& records) {
    std::vector<std::unique_ptr<TRecord>> made;
    made.reserve(records.size());
    for (const TRecord& record : records) made.push_back(std::make_unique<TRecord>(CopyOf(record)));
    return made;
}

}  // namespace

TDataStoreState TDataStore::State() const {
    TDataStoreState state;
    state.Records.reserve(records_.size());
    for (const auto& record : records_) state.Records.push_back(CopyOf(*record));
    for (const auto& record : deleted_) state.Deleted.push_back(CopyOf(*record));
    state.ChangeCount = changeCount_;
    return state;
}

void TDataStore::Restore(const TDataStoreState& state) {
    records_ = RecordsOf(state.Records);
    deleted_ = RecordsOf(state.Deleted);
    changeCount_ = state.ChangeCount;
    RebuildAggregates();
    NotifyReset();
}

void TDataStore::MergeChangeLog() {
    for (auto& record : records_) {
        record->Status = TUpdateStatus::usUnmodified;
        record->Original.reset();
    }
    deleted_.clear();
    changeCount_ = 0;
}

void TDataStore::CancelUpdates() {
    std::vector<std::unique_ptr<TRecord>> kept;
    for (auto& record : records_) {
        if (record->Status == TUpdateStatus::usInserted) continue;
        if (record->Original) record->Values = std::move(*record->Original);
        kept.push_back(std::move(record));
    }
    for (auto& record : deleted_) {
        if (record->Original) record->Values = std::move(*record->Original);
        kept.push_back(std::move(record));
    }
    for (auto& record : kept) {
        record->Original.reset();
        record->Status = TUpdateStatus::usUnmodified;
    }
    records_ = std::move(kept);
    deleted_.clear();
    changeCount_ = 0;
    RebuildAggregates();
    NotifyReset();
}

TAggregate& TDataStore::AddAggregate(const std::string& name, const std::string& expression) {
    if (FindAggregate(name) != nullptr) throw EDatabaseError("Агрегатът " + name + " вече съществува");
    TAggregateKind kind;
    std::string field;
    TAggregate::ParseExpression(expression, kind, field);
    const int fieldIndex = FieldIndex(field);
    if (fieldIndex < 0) throw EDatabaseError("Полето " + field + " не е намерено за агрегат " + name);
    auto& aggregate = aggregates_.emplace_back(std::make_unique<TAggregate>(name, expression, kind, fieldIndex));
    for (const auto& record : records_) aggregate->Add(record->Values[fieldIndex]);
    return *aggregate;
}

TAggregate* TDataStore::FindAggregate(std::string_view name) {
    for (auto& aggregate : aggregates_)
        if (EqualsIgnoreCase(aggregate->Name(), name)) return aggregate.get();
    return nullptr;
}

void TDataStore::Attach(TClientDataSet* cursor) { cursors_.push_back(cursor); }

void TDataStore::Detach(TClientDataSet* cursor) { std::erase(cursors_, cursor); }

void TDataStore::AddToAggregates(const std::vector<Variant>& values) {
    for (auto& aggregate : aggregates_) aggregate->Add(values[aggregate->FieldIndex()]);
}

void TDataStore::RemoveFromAggregates(const std::vector<Variant>& values) {
    for (auto& aggregate : aggregates_) aggregate->Remove(values[aggregate->FieldIndex()]);
}

void TDataStore::RebuildAggregates() {
    for (auto& aggregate : aggregates_) aggregate->Reset();
    for (const auto& record : records_) AddToAggregates(record->Values);
}

void TDataStore::NotifyReset() {
    for (TClientDataSet* cursor : cursors_) cursor->StoreReset();
}

}  // namespace tavrek
