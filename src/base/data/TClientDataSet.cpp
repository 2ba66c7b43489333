#include "base/data/TClientDataSet.h"

#include <algorithm>
#include <utility>

namespace tavrek {
namespace {

const std::vector<Variant>& EmptyRecord(size_t size) {
    static thread_local std::vector<Variant> empty;
    if (empty.size() < size) empty.resize(size);
    return empty;
}

std::vector<std::string> SplitKeys(std::string_view keys) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= keys.size()) {
        const size_t end = std::min(keys.find(';', start), keys.size());
        out.push_back(Trim(keys.substr(start, end - start)));
        start = end + 1;
    }
    return out;
}

bool KeyMatches(const Variant& value, const Variant& wanted, TLocateOptions options) {
    if (value.IsNull() || wanted.IsNull()) return value.IsNull() && wanted.IsNull();
    if (wanted.Type() != TVarType::varString && value.Type() != TVarType::varString)
        return TFilter::Compare(value, TFilterOp::opEqual, wanted);
    std::string a = value.AsString(), b = wanted.AsString();
    if (options.CaseInsensitive) {
        a = ToLowerAscii(a);
        b = ToLowerAscii(b);
    }
    return options.PartialKey ? a.compare(0, b.size(), b) == 0 : a == b;
}

}  // namespace

TClientDataSet::~TClientDataSet() {
    if (store_) store_->Detach(this);
}

TField& TClientDataSet::AddField(const std::string& name, TFieldType type) {
    if (Active()) throw EDatabaseError(Name + ": полета се добавят преди отваряне");
    if (fieldIndex_.contains(name)) throw EDatabaseError(Name + ": дублирано поле " + name);
    pendingDefs_.push_back({name, type});
    auto field = std::make_unique<TField>(*this, name, type, static_cast<int>(fields_.size()));
    fieldIndex_.emplace(name, field.get());
    fields_.push_back(std::move(field));
    return *fields_.back();
}

void TClientDataSet::CreateDataSet() {
    if (Active()) Close();
    OpenOn(std::make_shared<TDataStore>(pendingDefs_));
}

void TClientDataSet::OpenOn(std::shared_ptr<TDataStore> store) {
    store_ = std::move(store);
    store_->Attach(this);
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    pos_ = -1;
    First();
    Fire(AfterOpen);
    Notify([](IDataSetObserver& o) { o.DataSetChanged(); });
}

void TClientDataSet::Close() {
    fetcher_ = nullptr;
    if (!Active()) return;
    Fire(BeforeClose);
    store_->Detach(this);
    store_.reset();
    state_ = TDataSetState::dsInactive;
    pos_ = -1;
    eof_ = bof_ = true;
    buffer_.clear();
    Fire(AfterClose);
    Notify([](IDataSetObserver& o) { o.DataSetChanged(); });
}

TField& TClientDataSet::FieldByName(std::string_view name) {
    TField* field = FindField(name);
    if (field == nullptr) throw EDatabaseError(Name + ": Field '" + std::string(name) + "' not found");
    return *field;
}

TField* TClientDataSet::FindField(std::string_view name) {
    const auto it = fieldIndex_.find(name);
    return it == fieldIndex_.end() ? nullptr : it->second;
}

const std::vector<TFieldDef>& TClientDataSet::FieldDefs() const {
    return store_ ? store_->Defs() : pendingDefs_;
}

void TClientDataSet::RequireActive() const {
    if (!Active()) throw EDatabaseError(Name + ": Cannot perform this operation on a closed dataset");
}

const std::vector<Variant>& TClientDataSet::CurrentValues() const {
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) {
        if (!evaluatingFilter_) return buffer_;
    }
    if (!store_ || pos_ < 0 || static_cast<size_t>(pos_) >= store_->Size()) return EmptyRecord(fields_.size());
    return store_->At(static_cast<size_t>(pos_)).Values;
}

void TClientDataSet::SetFieldValue(int index, Variant value) {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert)
        throw EDatabaseError(Name + ": Dataset not in edit or insert mode");
    Variant& slot = buffer_[static_cast<size_t>(index)];
    Variant previous = std::exchange(slot, std::move(value));
    TField& field = *fields_[static_cast<size_t>(index)];
    if (field.OnValidate) {
        try {
            field.OnValidate(field);
        } catch (...) {
            buffer_[static_cast<size_t>(index)] = std::move(previous);
            throw;
        }
    }
    modified_ = true;
    if (field.OnChange) field.OnChange(field);
}

void TClientDataSet::Fire(const TDataSetEvent& event) {
    if (event) event(*this);
}

template <typename F>
void TClientDataSet::Notify(F&& f) {
    if (disableCount_ > 0) {
        changedWhileDisabled_ = true;
        return;
    }
    for (IDataSetObserver* observer : observers_) f(*observer);
}

void TClientDataSet::Scrolled() {
    Fire(AfterScroll);
    Notify([](IDataSetObserver& o) { o.CursorMoved(); });
}

bool TClientDataSet::Visible(size_t index) {
    if (!filtered_ || (textFilter_.Empty() && !predicate_)) return true;
    const TRecord& record = store_->At(index);
    if (!textFilter_.Empty()) {
        const bool pass = textFilter_.Matches([&](std::string_view field) {
            const int i = store_->FieldIndex(field);
            if (i < 0) throw EDatabaseError(Name + ": Field '" + std::string(field) + "' not found");
            return record.Values[static_cast<size_t>(i)];
        });
        if (!pass) return false;
    }
    if (!predicate_) return true;
    const int saved = pos_;
    const bool savedFlag = evaluatingFilter_;
    pos_ = static_cast<int>(index);
    evaluatingFilter_ = true;
    const bool pass = predicate_(*this);
    pos_ = saved;
    evaluatingFilter_ = savedFlag;
    return pass;
}

int TClientDataSet::NextVisible(int from, int step) {
    const int size = static_cast<int>(store_->Size());
    for (int i = from; i >= 0 && i < size; i += step)
        if (Visible(static_cast<size_t>(i))) return i;
    return -1;
}

void TClientDataSet::MoveTo(int index) {
    pos_ = index;
    Scrolled();
}

void TClientDataSet::First() {
    RequireActive();
    CheckBrowseMode();
    const int index = NextVisible(0, 1);
    bof_ = true;
    eof_ = index < 0;
    MoveTo(index);
}

void TClientDataSet::Last() {
    RequireActive();
    CheckBrowseMode();
    FetchAll();
    const int index = NextVisible(static_cast<int>(store_->Size()) - 1, -1);
    eof_ = true;
    bof_ = index < 0;
    MoveTo(index);
}

void TClientDataSet::Next() {
    RequireActive();
    CheckBrowseMode();
    int index = pos_ < 0 ? -1 : NextVisible(pos_ + 1, 1);
    while (index < 0 && pos_ >= 0 && GetNextPacket() > 0) index = NextVisible(pos_ + 1, 1);
    bof_ = false;
    if (index < 0) {
        eof_ = true;
        return;
    }
    eof_ = false;
    MoveTo(index);
}

void TClientDataSet::Prior() {
    RequireActive();
    CheckBrowseMode();
    const int index = pos_ < 0 ? -1 : NextVisible(pos_ - 1, -1);
    eof_ = false;
    if (index < 0) {
        bof_ = true;
        return;
    }
    bof_ = false;
    MoveTo(index);
}

bool TClientDataSet::IsEmpty() const {
    if (!Active()) return true;
    if (state_ == TDataSetState::dsInsert) return false;
    return const_cast<TClientDataSet*>(this)->NextVisible(0, 1) < 0;
}

int TClientDataSet::RecordCount() const {
    if (!Active()) return 0;
    auto* self = const_cast<TClientDataSet*>(this);
    if (!filtered_) return static_cast<int>(store_->Size());
    int count = 0;
    for (size_t i = 0; i < store_->Size(); ++i) count += self->Visible(i) ? 1 : 0;
    return count;
}

int TClientDataSet::RecNo() const {
    if (!Active() || pos_ < 0) return 0;
    if (!filtered_) return pos_ + 1;
    auto* self = const_cast<TClientDataSet*>(this);
    int recNo = 0;
    for (int i = 0; i <= pos_; ++i) recNo += self->Visible(static_cast<size_t>(i)) ? 1 : 0;
    return recNo;
}

void TClientDataSet::SetRecNo(int recNo) {
    RequireActive();
    CheckBrowseMode();
    int seen = 0;
    for (size_t i = 0; i < store_->Size(); ++i) {
        if (!Visible(i) || ++seen < recNo) continue;
        eof_ = bof_ = false;
        MoveTo(static_cast<int>(i));
        return;
    }
}

TBookmark TClientDataSet::GetBookmark() const {
    if (!Active() || pos_ < 0) return 0;
    return store_->At(static_cast<size_t>(pos_)).Id;
}

bool TClientDataSet::BookmarkValid(TBookmark bookmark) const {
    if (!Active() || bookmark == 0) return false;
    for (size_t i = 0; i < store_->Size(); ++i)
        if (store_->At(i).Id == bookmark) return true;
    return false;
}

void TClientDataSet::GotoBookmark(TBookmark bookmark) {
    RequireActive();
    CheckBrowseMode();
    for (size_t i = 0; i < store_->Size(); ++i) {
        if (store_->At(i).Id != bookmark) continue;
        eof_ = bof_ = false;
        MoveTo(static_cast<int>(i));
        return;
    }
    throw EDatabaseError(Name + ": Record not found");
}

bool TClientDataSet::Locate(std::string_view keyFields, const std::vector<Variant>& values, TLocateOptions options) {
    RequireActive();
    CheckBrowseMode();
    FetchAll();
    const std::vector<std::string> keys = SplitKeys(keyFields);
    if (keys.size() != values.size()) throw EDatabaseError(Name + ": Locate needs one value per key field");
    std::vector<int> indices;
    for (const std::string& key : keys) indices.push_back(FieldByName(key).Index());
    for (size_t i = 0; i < store_->Size(); ++i) {
        const auto& record = store_->At(i).Values;
        bool match = true;
        for (size_t k = 0; k < indices.size() && match; ++k)
            match = KeyMatches(record[static_cast<size_t>(indices[k])], values[k], options);
        if (match && Visible(i)) {
            eof_ = bof_ = false;
            MoveTo(static_cast<int>(i));
            return true;
        }
    }
    return false;
}

Variant TClientDataSet::Lookup(std::string_view keyFields, const std::vector<Variant>& values,
                               std::string_view resultField) {
    const int saved = pos_;
    const bool savedEof = eof_, savedBof = bof_;
    Variant result;
    if (Locate(keyFields, values)) result = FieldByName(resultField).Value();
    pos_ = saved;
    eof_ = savedEof;
    bof_ = savedBof;
    return result;
}

void TClientDataSet::BeginInsert(size_t index) {
    RequireActive();
    CheckBrowseMode();
    Fire(BeforeInsert);
    insertPos_ = index;
    buffer_.assign(fields_.size(), Variant());
    state_ = TDataSetState::dsInsert;
    Fire(OnNewRecord);
    modified_ = false;
    Fire(AfterInsert);
    Notify([](IDataSetObserver& o) { o.CursorMoved(); });
}

void TClientDataSet::Append() {
    RequireActive();
    CheckBrowseMode();
    BeginInsert(store_->Size());
}

void TClientDataSet::Insert() {
    RequireActive();
    CheckBrowseMode();
    BeginInsert(pos_ < 0 ? store_->Size() : static_cast<size_t>(pos_));
}

void TClientDataSet::Edit() {
    RequireActive();
    if (state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert) return;
    if (IsEmpty() || pos_ < 0) {
        Append();
        return;
    }
    Fire(BeforeEdit);
    buffer_ = store_->At(static_cast<size_t>(pos_)).Values;
    state_ = TDataSetState::dsEdit;
    modified_ = false;
    Fire(AfterEdit);
}

void TClientDataSet::Post() {
    RequireActive();
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    Fire(BeforePost);
    for (const auto& field : fields_)
        if (field->Required && buffer_[static_cast<size_t>(field->Index())].IsNull())
            throw EDatabaseError(Name + ": Field '" + field->FieldName() + "' must have a value");
    const TDataSetState was = state_;
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    if (was == TDataSetState::dsInsert) {
        store_->Insert(insertPos_, std::move(buffer_), LogChanges);
        pos_ = static_cast<int>(insertPos_);
        eof_ = bof_ = false;
    } else {
        store_->Update(static_cast<size_t>(pos_), std::move(buffer_), LogChanges);
    }
    buffer_.clear();
    Fire(AfterPost);
}

void TClientDataSet::Cancel() {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    Fire(BeforeCancel);
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    buffer_.clear();
    Fire(AfterCancel);
    Notify([this](IDataSetObserver& o) {
        if (pos_ >= 0) o.RecordChanged(pos_);
        o.CursorMoved();
    });
}

void TClientDataSet::CheckBrowseMode() {
    if (state_ != TDataSetState::dsEdit && state_ != TDataSetState::dsInsert) return;
    if (modified_) Post();
    else Cancel();
}

void TClientDataSet::Delete() {
    RequireActive();
    if (state_ == TDataSetState::dsInsert) {
        Cancel();
        return;
    }
    if (pos_ < 0) throw EDatabaseError(Name + ": Cannot perform this operation on an empty dataset");
    Fire(BeforeDelete);
    state_ = TDataSetState::dsBrowse;
    modified_ = false;
    buffer_.clear();
    const int index = pos_;
    store_->Erase(static_cast<size_t>(index), LogChanges);
    int next = NextVisible(index, 1);
    if (next < 0) next = NextVisible(index - 1, -1);
    pos_ = next;
    eof_ = next < 0;
    bof_ = next < 0;
    Fire(AfterDelete);
    Scrolled();
}

void TClientDataSet::EmptyDataSet() {
    RequireActive();
    Cancel();
    store_->Clear();
}

TAggregate& TClientDataSet::AddAggregate(const std::string& name, const std::string& expression) {
    RequireActive();
    return store_->AddAggregate(name, expression);
}

TAggregate* TClientDataSet::FindAggregate(std::string_view name) {
    return store_ ? store_->FindAggregate(name) : nullptr;
}

Variant TClientDataSet::AggregateValue(std::string_view name) {
    TAggregate* aggregate = FindAggregate(name);
    if (aggregate == nullptr) throw EDatabaseError(Name + ": Aggregate '" + std::string(name) + "' not found");
    return AggregatesActive && aggregate->Active ? aggregate->Value() : Variant();
}

void TClientDataSet::CloneCursor(TClientDataSet& source) {
    source.RequireActive();
    Close();
    fields_.clear();
    fieldIndex_.clear();
    pendingDefs_.clear();
    for (const TFieldDef& def : source.FieldDefs()) AddField(def.Name, def.Type);
    OpenOn(source.store_);
}

void TClientDataSet::SetFilter(std::string text) {
    textFilter_ = text.empty() ? TFilter() : TFilter::Parse(text);
    filterText_ = std::move(text);
    if (filtered_ && Active()) First();
}

void TClientDataSet::SetFilterPredicate(std::function<bool(TClientDataSet&)> predicate) {
    predicate_ = std::move(predicate);
    if (filtered_ && Active()) First();
}

void TClientDataSet::SetFiltered(bool filtered) {
    if (filtered_ == filtered) return;
    filtered_ = filtered;
    if (Active()) {
        First();
        Notify([](IDataSetObserver& o) { o.DataSetChanged(); });
    }
}

int TClientDataSet::ChangeCount() const { return store_ ? store_->ChangeCount() : 0; }

std::vector<TDeltaRecord> TClientDataSet::Delta() const {
    std::vector<TDeltaRecord> delta;
    if (!store_) return delta;
    for (size_t i = 0; i < store_->Size(); ++i) {
        const TRecord& record = store_->At(i);
        if (record.Status != TUpdateStatus::usUnmodified)
            delta.push_back({record.Status, &record.Values, record.Original.get()});
    }
    for (const auto& record : store_->Deleted())
        delta.push_back({TUpdateStatus::usDeleted, &record->Values,
                         record->Original ? record->Original.get() : &record->Values});
    return delta;
}

void TClientDataSet::MergeChangeLog() {
    RequireActive();
    store_->MergeChangeLog();
}

void TClientDataSet::CancelUpdates() {
    RequireActive();
    Cancel();
    store_->CancelUpdates();
}

TUpdateStatus TClientDataSet::UpdateStatus() const {
    if (state_ == TDataSetState::dsInsert) return TUpdateStatus::usInserted;
    if (store_ == nullptr || pos_ < 0) return TUpdateStatus::usUnmodified;
    return store_->At(static_cast<size_t>(pos_)).Status;
}

TClientDataSet::TChangesKept TClientDataSet::KeepChanges() const {
    RequireActive();
    return {store_, std::make_shared<const TDataStoreState>(store_->State())};
}

bool TClientDataSet::RestoreChanges(const TChangesKept& kept) {
    if (store_ == nullptr || store_ != kept.Store || kept.State == nullptr) return false;
    Cancel();
    store_->Restore(*kept.State);
    return true;
}

void TClientDataSet::AppendLoaded(std::vector<Variant> values) {
    RequireActive();
    if (values.size() != fields_.size()) throw EDatabaseError(Name + ": record does not match the fields");
    for (size_t i = 0; i < values.size(); ++i) values[i] = TField::Coerce(values[i], fields_[i]->DataType());
    store_->Insert(store_->Size(), std::move(values), false);
    if (pos_ < 0) {
        pos_ = 0;
        eof_ = bof_ = false;
    }
}

void TClientDataSet::SetPacketFetcher(std::function<int(TClientDataSet&)> fetcher) {
    RequireActive();
    fetcher_ = std::move(fetcher);
}

int TClientDataSet::GetNextPacket() {
    if (!fetcher_ || !Active()) return 0;
    // The fetcher keeps its own position; it is out of the dataset while it appends.
    auto fetcher = std::move(fetcher_);
    fetcher_ = nullptr;
    const int fetched = fetcher(*this);
    if (fetched >= PacketRecords && fetched > 0 && Active()) fetcher_ = std::move(fetcher);
    return fetched;
}

void TClientDataSet::FetchAll() {
    while (GetNextPacket() > 0) {
    }
}

void TClientDataSet::DisableControls() { ++disableCount_; }

void TClientDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0) return;
    if (!changedWhileDisabled_) return;
    changedWhileDisabled_ = false;
    Notify([](IDataSetObserver& o) { o.DataSetChanged(); });
}

void TClientDataSet::AddObserver(IDataSetObserver* observer) { observers_.push_back(observer); }

void TClientDataSet::RemoveObserver(IDataSetObserver* observer) { std::erase(observers_, observer); }

int TClientDataSet::RawRecordCount() const { return store_ ? static_cast<int>(store_->Size()) : 0; }

const std::vector<Variant>& TClientDataSet::RawRecord(int index) const {
    return store_->At(static_cast<size_t>(index)).Values;
}

TBookmark TClientDataSet::RawBookmark(int index) const { return store_->At(static_cast<size_t>(index)).Id; }

bool TClientDataSet::RawRecordVisible(int index) { return Visible(static_cast<size_t>(index)); }

void TClientDataSet::GotoRawIndex(int index) {
    RequireActive();
    CheckBrowseMode();
    if (index < 0 || static_cast<size_t>(index) >= store_->Size()) throw EDatabaseError(Name + ": Record not found");
    eof_ = bof_ = false;
    MoveTo(index);
}

void TClientDataSet::StoreInserted(size_t index) {
    const int i = static_cast<int>(index);
    if (pos_ >= i) ++pos_;
    else if (pos_ < 0 && store_->Size() == 1) pos_ = 0;
    if (state_ == TDataSetState::dsInsert && insertPos_ >= index) ++insertPos_;
    Notify([i](IDataSetObserver& o) { o.RecordInserted(i); });
}

void TClientDataSet::StoreErased(size_t index) {
    const int i = static_cast<int>(index);
    if (pos_ > i) --pos_;
    if (pos_ >= static_cast<int>(store_->Size())) pos_ = static_cast<int>(store_->Size()) - 1;
    if (state_ == TDataSetState::dsInsert && insertPos_ > index) --insertPos_;
    Notify([i](IDataSetObserver& o) { o.RecordDeleted(i); });
}

void TClientDataSet::StoreUpdated(size_t index) {
    const int i = static_cast<int>(index);
    Notify([i](IDataSetObserver& o) { o.RecordChanged(i); });
}

void TClientDataSet::StoreReset() {
    if (state_ != TDataSetState::dsInactive) state_ = TDataSetState::dsBrowse;
    buffer_.clear();
    modified_ = false;
    pos_ = NextVisible(0, 1);
    eof_ = bof_ = pos_ < 0;
    Notify([](IDataSetObserver& o) { o.DataSetChanged(); });
}

Variant FieldValue(TClientDataSet& dataSet, std::string_view name) {
    const TField* field = dataSet.FindField(name);
    return field == nullptr ? Variant() : field->Value();
}

}  // namespace tavrek
