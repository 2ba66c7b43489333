#include "base/forms/TfBase.h"

#include <algorithm>
#include <cctype>

#include "base/errors/TELException.h"
#include "base/forms/EAbort.h"
#include "base/forms/EFormError.h"
#include "base/forms/IFormHost.h"
#include "base/forms/IMainFormIntf.h"
#include "base/forms/TDocumentKindNames.h"
#include "base/forms/Selectors.h"
#include "base/forms/TFormSettings.h"
#include "base/forms/TWaitCursor.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

bool HasRecord(const TClientDataSet& dataSet) {
    return dataSet.Active() && (!dataSet.IsEmpty() || dataSet.State() == TDataSetState::dsInsert);
}

std::string FooterValue(const Variant& value, const std::string& format) {
    if (value.IsNull()) return "";
    if (format.rfind("0.", 0) == 0 && value.Type() != TVarType::varString) {
        return NumberText(value.AsFloat(), static_cast<int>(format.size()) - 2);
    }
    return value.AsString();
}

// Large lists read on as the user scrolls: the first packet now, the rest through a fetcher
// that pages by the rows read so far.
void RequestInPackets(const std::string& provider, const TFilter& filter, TClientDataSet& target) {
    const int packet = target.PacketRecords;
    const int first = dm().Server().RequestDataPacket(provider, filter, 0, packet, target);
    if (first < packet) return;
    target.SetPacketFetcher([provider, filter, read = first](TClientDataSet& ds) mutable {
        const int fetched = dm().Server().RequestDataPacket(provider, filter, read, ds.PacketRecords, ds);
        read += fetched;
        return fetched;
    });
}

// The message of a deed for a kind, by key and gender: "msg_DocPosted_f" reads
// "%s е осчетоводена.", its refusal "err_DocNotPosted_f" "%s не е осчетоводена.".
std::string DeedText(TDocumentDeed deed, const TDocumentKindName& kind, bool refused) {
    static const char* const kDeeds[][2] = {{"Posted", "осчетоводен"}, {"Annulled", "анулиран"}, {"Created", "създаден"}};
    const auto& [key, participle] = kDeeds[static_cast<int>(deed)];
    static const char* const kEndings[] = {"", "а", "о"};
    const std::string ending = kEndings[static_cast<int>(kind.Gender)];
    const std::string fullKey = std::string(refused ? "err_DocNot" : "msg_Doc") + key + "_" + GenderKeySuffix(kind.Gender);
    return GetMessageText(fullKey, std::string("%s ") + (refused ? "не " : "") + "е " + participle + ending + ".");
}

std::string NamedDocument(const TDocumentKindName& kind, const std::string& number) {
    return number.empty() ? kind.Name : std::string(kind.Name) + " № " + number;
}

// Every form object alive in this process, in creation order.
std::vector<TfBase*>& LiveForms() {
    static std::vector<TfBase*> forms;
    return forms;
}

}  // namespace

TfBase::TfBase()
    : acSave(AcListBase.Add("acSave", "Запис", "Документ")),
      acRefresh(AcListBase.Add("acRefresh", "Обновяване", "Документ")),
      acInsertRecord(AcListBase.Add("acInsertRecord", "Нов", "Документ")),
      acDeleteRecord(AcListBase.Add("acDeleteRecord", "Изтриване", "Документ")),
      acPrint(AcListBase.Add("acPrint", "Печат", "Документ")),
      acPostDocument(AcListBase.Add("acPostDocument", "Осчетоводяване", "Документ")),
      acPostAndPrintDocument(AcListBase.Add("acPostAndPrintDocument", "Осчетоводяване и печат", "Документ")),
      acReCalcDocument(AcListBase.Add("acReCalcDocument", "Преизчисляване на документа", "Документ")),
      acAnnulDocument(AcListBase.Add("acAnnulDocument", "Анулиране", "Документ")),
      acSetCurrencyFactor(AcListBase.Add("acSetCurrencyFactor", "$", "Документ")) {
    LiveForms().push_back(this);
    acSave.ShortCut = "Ctrl+S";
    acRefresh.ShortCut = "F5";
    acInsertRecord.ShortCut = "Ins";
    acDeleteRecord.ShortCut = "Ctrl+Del";
    acPrint.ShortCut = "Ctrl+P";
    acPostDocument.ShortCut = "Ctrl+Enter";
    acSetCurrencyFactor.Hint = "Курс на валутата на документа";
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument, &acReCalcDocument, &acAnnulDocument,
                            &acSetCurrencyFactor})
        action->Visible = false;
    AddDataSet({&cdsMaster, "", nullptr, "", "Id", true});
    AddGrid(dbgMaster);
    AddMenu(pmDocument);
    AddMenu(pmLine);
    BindBaseActions();
}

TfBase::~TfBase() {
    // Forms this one opened may outlive it: they must not call back into it. The live forms
    // are known here rather than asked of the host, which may be tearing its windows down.
    std::erase(LiveForms(), this);
    for (TfBase* form : LiveForms()) {
        if (form->CallingForm == this) form->CallingForm = nullptr;
        if (form->ParentForm == this) form->ParentForm = nullptr;
    }
}

std::string TfBase::OperationName(std::string_view handler) const { return ClassName() + "." + std::string(handler); }

void TfBase::BindBaseActions() {
    BindAction(acSave, "acSaveExecute", [this] { acSaveExecute(); });
    BindAction(acRefresh, "acRefreshExecute", [this] { acRefreshExecute(); });
    BindAction(acInsertRecord, "acInsertRecordExecute", [this] {
        acInsertRecordExecute();
        MarkUntouchedNew();
    });
    BindAction(acDeleteRecord, "acDeleteRecordExecute", [this] { acDeleteRecordExecute(); });
    BindAction(acPrint, "acPrintExecute", [this] { acPrintExecute(); });
    BindAction(acPostDocument, "acPostDocumentExecute", [this] { acPostDocumentExecute(); });
    BindAction(acPostAndPrintDocument, "acPostAndPrintDocumentExecute", [this] { acPostAndPrintDocumentExecute(); });
    BindAction(acReCalcDocument, "acReCalcDocumentExecute", [this] { acReCalcDocumentExecute(); });
    BindAction(acAnnulDocument, "acAnnulDocumentExecute", [this] { acAnnulDocumentExecute(); });
    acSave.OnUpdate = [this](TAction& a) { a.Enabled = !ReadOnly && HasChanges(); };
    acRefresh.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active(); };
    acInsertRecord.OnUpdate = [this](TAction& a) {
        a.Enabled = !ReadOnly && cdsMaster.Active() && HasRight(TFormRight::frInsert);
    };
    acDeleteRecord.OnUpdate = [this](TAction& a) {
        a.Enabled = !ReadOnly && HasRecord(cdsMaster) && HasRight(TFormRight::frDelete);
    };
    acPrint.OnUpdate = [this](TAction& a) { a.Enabled = HasRecord(cdsMaster) && HasRight(TFormRight::frPrint); };
    const auto postUpdate = [this](TAction& a) {
        a.Enabled = !ReadOnly && HasRecord(cdsMaster) && HasRight(TFormRight::frPost);
    };
    acPostDocument.OnUpdate = postUpdate;
    acPostAndPrintDocument.OnUpdate = postUpdate;
    acReCalcDocument.OnUpdate = [this](TAction& a) { a.Enabled = !ReadOnly && HasRecord(cdsMaster); };
    acAnnulDocument.OnUpdate = [this](TAction& a) {
        a.Enabled = HasRecord(cdsMaster) && HasRight(TFormRight::frAnnul);
    };
}

void TfBase::BindAction(TAction& action, const std::string& handler, std::function<void()> body) {
    action.OnExecute = [this, operation = handler, body = std::move(body)](TAction&) {
        RunGuarded(OperationName(operation), body);
        RunGuarded(OperationName("UpdateActions"), [this] { UpdateActions(); });
    };
}

bool TfBase::RunGuarded(const std::string& operationName, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (const EAbort&) {
        return false;
    } catch (...) {
        const TELException logged(CurrentExceptionMessage(), operationName);
        if (IFormHost* host = Host()) host->ReportFailure(logged.what(), operationName);
        return false;
    }
}

// Life cycle.

void TfBase::Create(const TFormRequest& request) {
    ShowOptions = request.ShowOptions;
    Filter = request.Filter;
    Value1 = request.Value1;
    Value2 = request.Value2;
    Selection = request.Selection;
    DefaultValues = request.DefaultValues;
    CallingForm = request.CallingForm;
    ParentForm = request.ParentForm;
    FormCreate();
    created_ = true;
}

void TfBase::Show() {
    // A form set up by hand (tests, the host's own forms) keeps the parameters it was given.
    if (!created_) {
        FormCreate();
        created_ = true;
    }
    for (TGrid* grid : grids_) TFormSettings::Instance().Apply(ClassName(), *grid);
    FormShow();
    shown_ = true;
    UpdateFooters();
    UpdateActions();
}

void TfBase::Close(int modalResult) {
    if (closed_) return;
    CloseAction = TCloseAction::caFree;
    FormClose();
    if (CloseAction == TCloseAction::caNone) return;
    if (ModalResult == mrNone) ModalResult = modalResult;
    closed_ = true;
    if (IFormHost* host = Host()) host->CloseForm(*this);
}

void TfBase::Confirm() { Close(mrOk); }

bool TfBase::CloseByUser() {
    if (!closed_ && !ReadOnly && acSave.Visible && HasChanges()) {
        const int answer = MessageDlgEx(GetMessageText("que_SaveChanges", "Запис на промените?"),
                                        TMsgDlgType::mtConfirmation, mbYes | mbNo | mbCancel);
        if (answer == mrCancel || (answer == mrYes && !SaveData())) return false;
        if (answer == mrNo) DiscardChanges();
    }
    Close(mrCancel);
    return closed_;
}

void TfBase::DiscardChanges() {
    for (auto it = dataSets_.rbegin(); it != dataSets_.rend(); ++it)
        if (it->Saved && it->DataSet->Active()) it->DataSet->CancelUpdates();
}

void TfBase::FormCreate() {}

void TfBase::FormShow() {
    OpenDataSets();
    CheckDataModification();
}

void TfBase::FormClose() {
    for (TTimer* timer : timers_) timer->Enabled = false;
    if (HandOverOnClose) {
        HandOverClose();
        return;
    }
    SaveFormSetings();
}

void TfBase::HandOverClose() {
    SaveFormSetings();
    CloseAction = TCloseAction::caFree;
    if (IMainFormIntf* main = MainFormIntf()) {
        main->ActiveFormChanged(nullptr);
        main->FormClosed(this);
    }
}

void TfBase::SaveFormSetings() {
    for (TGrid* grid : grids_) TFormSettings::Instance().Save(ClassName(), *grid);
}

// Registration.

void TfBase::AddDataSet(TFormDataSet dataSet) { dataSets_.push_back(std::move(dataSet)); }

void TfBase::AddGrid(TGrid& grid) { grids_.push_back(&grid); }

void TfBase::AddMenu(TMenu& menu) { menus_.push_back(&menu); }

void TfBase::HidePostingActions() {
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument}) action->Visible = false;
}

void TfBase::AddTimer(TTimer& timer) { timers_.push_back(&timer); }

TClientDataSet* TfBase::FindDataSet(std::string_view name) const {
    for (const TFormDataSet& entry : dataSets_)
        if (EqualsIgnoreCase(entry.DataSet->Name, name)) return entry.DataSet;
    return nullptr;
}

bool TfBase::SavesDataSet(std::string_view name) const {
    for (const TFormDataSet& entry : dataSets_)
        if (EqualsIgnoreCase(entry.DataSet->Name, name)) return entry.Saved;
    return false;
}

TGrid* TfBase::FindGrid(std::string_view name) const {
    for (TGrid* grid : grids_)
        if (EqualsIgnoreCase(grid->Name, name)) return grid;
    return nullptr;
}

TFormDataSet* TfBase::FindFormDataSet(const TClientDataSet& dataSet) {
    for (TFormDataSet& entry : dataSets_)
        if (entry.DataSet == &dataSet) return &entry;
    return nullptr;
}

IFormHost* TfBase::Host() const { return dm().FormHost(); }

// Data.

void TfBase::SyncDataSetSettings() { dataSets_.front().Provider = MasterProvider; }

TFilter TfBase::DataSetFilter(const TFormDataSet& dataSet) {
    if (dataSet.Master == nullptr) return Filter;
    Variant key;
    if (HasRecord(*dataSet.Master)) key = dataSet.Master->FieldByName(dataSet.MasterKeyField).Value();
    return TFilter().Add(dataSet.LinkField, "=", key);
}

void TfBase::OpenDataSets() {
    SyncDataSetSettings();
    for (TFormDataSet& entry : dataSets_)
        if (!entry.Provider.empty()) OpenDataSet(entry);
}

void TfBase::OpenDataSet(TFormDataSet& dataSet) {
    const TFilter filter = DataSetFilter(dataSet);
    TClientDataSet& target = *dataSet.DataSet;
    target.Close();
    if (target.PacketRecords > 0) RequestInPackets(dataSet.Provider, filter, target);
    else dm().Server().RequestData(dataSet.Provider, filter, target);
    if (!dataSet.DataSet->Active()) dataSet.DataSet->CreateDataSet();
    AttachDynamicEvents(*dataSet.DataSet);
    DataSetOpened(dataSet);
}

void TfBase::DataSetOpened(TFormDataSet&) {}

void TfBase::AttachDynamicEvents(TClientDataSet&) {}

bool TfBase::HasChanges() const { return HasUnsavedData() && !IsUntouchedNew(); }

// The header is compared field by field; a line dataset by its state and its changes, since
// the lines it shows follow the header it is linked to.
TfBase::TUntouchedDataSet TfBase::UntouchedState(const TClientDataSet& dataSet) const {
    TUntouchedDataSet state{&dataSet, dataSet.State(), dataSet.ChangeCount(), {}};
    if (&dataSet == &cdsMaster)
        for (int i = 0; i < dataSet.FieldCount(); ++i) state.Values.push_back(dataSet.Fields(i).Value());
    return state;
}

void TfBase::MarkUntouchedNew() {
    untouchedNew_.clear();
    for (const TFormDataSet& entry : dataSets_)
        if (entry.Saved && entry.DataSet->Active()) untouchedNew_.push_back(UntouchedState(*entry.DataSet));
}

bool TfBase::IsUntouchedNew() const {
    if (untouchedNew_.empty()) return false;
    // Asked on every update of the actions: compared in place, the cheap checks first.
    for (const TUntouchedDataSet& kept : untouchedNew_) {
        const TClientDataSet& ds = *kept.DataSet;
        if (ds.State() != kept.State || ds.ChangeCount() != kept.Changes) return false;
        if (!kept.Values.empty() && ds.FieldCount() != static_cast<int>(kept.Values.size())) return false;
        for (size_t i = 0; i < kept.Values.size(); ++i)
            if (!(ds.Fields(static_cast<int>(i)).ValueRef() == kept.Values[i])) return false;
    }
    return true;
}

bool TfBase::HasUnsavedData() const {
    for (const TFormDataSet& entry : dataSets_) {
        const TClientDataSet& ds = *entry.DataSet;
        if (!entry.Saved || !ds.Active()) continue;
        if (ds.ChangeCount() > 0) return true;
        if (ds.State() == TDataSetState::dsInsert) return true;
        if (ds.State() == TDataSetState::dsEdit && ds.Modified()) return true;
    }
    return false;
}

void TfBase::PostPendingEdits() {
    // Lines first: posting a line may write totals into the header.
    for (auto it = dataSets_.rbegin(); it != dataSets_.rend(); ++it)
        if (it->Saved && it->DataSet->Active()) it->DataSet->CheckBrowseMode();
}

void TfBase::ApplyChanges() {
    SyncDataSetSettings();
    std::vector<TUpdatePacket> packets;
    for (TFormDataSet& entry : dataSets_) {
        if (!entry.Saved || !entry.DataSet->Active() || entry.DataSet->ChangeCount() == 0) continue;
        if (entry.Provider.empty()) throw EFormError(entry.DataSet->Name + ": няма доставчик на данни за запис");
        packets.push_back({entry.Provider, entry.DataSet});
    }
    if (packets.empty()) return;
    std::string reason;
    if (dm().Server().ApplyUpdates(packets, reason) != 0) {
        MessageDlgEx(GetMessageText("err_DataSaveError", "Грешка при запис на данните.") + "\r\n" + reason,
                     TMsgDlgType::mtError, mbOK);
        throw EAbort();
    }
    for (TUpdatePacket& packet : packets) packet.DataSet->MergeChangeLog();
}

void TfBase::ReloadData() {
    Variant key;
    if (HasRecord(cdsMaster) && cdsMaster.FindField("Id") != nullptr) key = cdsMaster.FieldByName("Id").Value();
    OpenDataSets();
    if (!key.IsNull() && cdsMaster.Active() && !cdsMaster.IsEmpty()) cdsMaster.Locate("Id", {key});
    CheckDataModification();
    UpdateFooters();
}

void TfBase::FillNewRecordKeys(TFormDataSet& dataSet) {
    TClientDataSet& ds = *dataSet.DataSet;
    const auto fillEmpty = [&ds](std::string_view name, const Variant& value) {
        TField* field = ds.FindField(name);
        if (field != nullptr && field->Value().IsEmpty()) field->SetValue(value);
    };
    fillEmpty("Id", CreateUniqueID());
    fillEmpty("Comp_Id", LocalData().CompanyId);
    if (dataSet.Master == nullptr || !HasRecord(*dataSet.Master)) return;
    TFilterCondition link;
    link.Field = dataSet.LinkField;
    fillEmpty(link.FieldName(), dataSet.Master->FieldByName(dataSet.MasterKeyField).Value());
}

void TfBase::DeleteSelectedOrCurrent(TGrid& grid, TClientDataSet& dataSet) {
    if (grid.SelectedRows.empty()) {
        dataSet.Delete();
        return;
    }
    const std::vector<TBookmark> rows = grid.SelectedRows;
    grid.SelectedRows.clear();
    for (TBookmark row : rows) {
        if (!dataSet.BookmarkValid(row)) continue;
        dataSet.GotoBookmark(row);
        dataSet.Delete();
    }
}

void TfBase::ForEachRecord(TClientDataSet& dataSet, const std::function<void()>& body, const std::string& caption) {
    TWaitCursor wait;
    IFormHost* host = Host();
    const int total = dataSet.RecordCount();
    const TBookmark start = dataSet.GetBookmark();
    dataSet.DisableControls();
    try {
        int position = 0;
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            body();
            if (host != nullptr && ++position % 100 == 0) host->ShowProgress(caption, position, total);
        }
        if (dataSet.BookmarkValid(start)) dataSet.GotoBookmark(start);
    } catch (...) {
        dataSet.EnableControls();
        if (host != nullptr) host->ShowProgress(caption, 0, 0);
        throw;
    }
    dataSet.EnableControls();
    if (host != nullptr) host->ShowProgress(caption, 0, 0);
}

void TfBase::AbortWithError(const std::string& key, const std::string& defaultText) {
    ShowErrorKey(key, defaultText);
    throw EAbort();
}

void TfBase::RequireRight(TFormRight right) {
    if (!HasRight(right)) AbortWithError("err_NoRightForOperation", "Нямате права за тази операция.");
}

// Saving.

bool TfBase::SaveData() {
    saveSucceeded_ = false;
    RunGuarded(OperationName("acSaveExecute"), [this] { acSaveExecute(); });
    return saveSucceeded_;
}

bool TfBase::QueryToSaveBeforeToDo() {
    if (!HasChanges()) return true;
    if (!AskYesNoKey("que_SaveBeforeToDo", "Има незаписани промени. Да бъдат ли записани?")) return false;
    return SaveData();
}

bool TfBase::OnSaveBeforeGetData() { return true; }

void TfBase::acSaveExecute() {
    saveSucceeded_ = false;
    RequireRight(TFormRight::frEdit);
    PostPendingEdits();
    // Nothing to send: nothing to recalculate or read back either.
    if (!HasUnsavedData()) {
        saveSucceeded_ = true;
        return;
    }
    ApplyChanges();
    saveSucceeded_ = OnSaveBeforeGetData();
    ReadBackSavedData();
}

void TfBase::ReadBackSavedData() {
    if (!holdingPosting_) ReloadData();
}

void TfBase::acRefreshExecute() {
    for (TFormDataSet& entry : dataSets_)
        if (entry.DataSet->Active()) entry.DataSet->Cancel();
    ReloadData();
}

void TfBase::acInsertRecordExecute() {
    RequireRight(TFormRight::frInsert);
    cdsMaster.Append();
    FillNewRecordKeys(dataSets_.front());
}

bool TfBase::ConfirmDeletion() { return AskYesNoKey("que_DeleteRecord", "Да бъде ли изтрит записът?"); }

void TfBase::acDeleteRecordExecute() {
    RequireRight(TFormRight::frDelete);
    if (!HasRecord(cdsMaster) || !ConfirmDeletion()) return;
    DeleteSelectedOrCurrent(dbgMaster, cdsMaster);
}

void TfBase::MoveToAnnulDocs() {}

// Printing and posting.

TRequestResult TfBase::GetPrintDocument() { return {}; }

int TfBase::GetPrintDocumentType() { return DocumentKindCode; }

TVariantArray TfBase::GetDocumentInfo() { return {}; }

void TfBase::acPrintExecute() {
    RequireRight(TFormRight::frPrint);
    if (!QueryToSaveBeforeToDo()) return;
    TVariantArray keys;
    if (HasRecord(cdsMaster) && cdsMaster.FindField("Id") != nullptr) keys.push_back(cdsMaster.FieldByName("Id").Value());
    const TRequestResult forms = GetPrintDocument();
    if (forms.Empty()) {
        Print(keys, "", 1);
        return;
    }
    for (size_t row = 0; row < forms.Rows.size(); ++row) {
        const Variant copies = forms.ByName("Copies", row);
        Print(keys, forms.ByName("PF_Id", row).AsString(), copies.IsNull() ? 1 : static_cast<int>(copies.AsInteger()));
    }
}

void TfBase::TellDocumentDone(TDocumentDeed deed, int documentType, const std::string& number) {
    const TDocumentKindName& kind = DocumentKindName(documentType);
    MessageDlgEx(FormatMessage(DeedText(deed, kind, false), {NamedDocument(kind, number)}), TMsgDlgType::mtInformation,
                 mbOK);
}

void TfBase::TellDocumentRefused(TDocumentDeed deed, int documentType, const std::string& number) {
    TellDocumentRefused(deed, documentType, number, dm().Server().LastRefusalText());
}

void TfBase::TellDocumentRefused(TDocumentDeed deed, int documentType, const std::string& number,
                                 const std::string& reason) {
    const TDocumentKindName& kind = DocumentKindName(documentType);
    const std::string text = FormatMessage(DeedText(deed, kind, true), {NamedDocument(kind, number)});
    MessageDlgEx(reason.empty() ? text : text + "\r\n" + reason, TMsgDlgType::mtError, mbOK);
}

int TfBase::ShownDocumentType() {
    const TField* type = cdsMaster.Active() ? cdsMaster.FindField("DocumentType") : nullptr;
    if (type == nullptr || !HasRecord(cdsMaster) || type->Value().IsEmpty() || type->AsInteger() == 0)
        return DocumentKindCode;
    const int shown = static_cast<int>(type->AsInteger());
    // Posted invoices and credit memos keep advances, debit memos and protocols too: their
    // subtype tells which.
    constexpr int kPostedInvoice = 6, kPostedCrMemo = 13;
    const TField* subType = cdsMaster.FindField("DocSubType_Id");
    if ((shown != kPostedInvoice && shown != kPostedCrMemo) || subType == nullptr || subType->Value().IsEmpty())
        return shown;
    TRequestResult kind;
    dm().Server().RequestValue(0, "N_SubDocument", "DocumentType",
                               TFilter().Add("N_SubDocument.Id", "=", subType->Value()), kind);
    const int column = kind.ColumnIndex("DocumentType");
    if (kind.Empty() || column < 0 || kind.Value(0, static_cast<size_t>(column)).IsEmpty()) return shown;
    return static_cast<int>(kind.Value(0, static_cast<size_t>(column)).AsInteger());
}

std::string TfBase::ShownDocumentNo() {
    const TField* number = cdsMaster.Active() ? cdsMaster.FindField("DocumentNo") : nullptr;
    return number != nullptr && HasRecord(cdsMaster) ? number->AsString() : std::string();
}

void TfBase::PrintPostedDocument(const TVariantArray& keys, const std::string& printFormCode) {
    Print(keys, printFormCode, 1);
}

void TfBase::Print(const TVariantArray& keys, const std::string& printFormCode, int copies) {
    IFormHost* host = Host();
    if (host == nullptr) throw EFormError("Няма услуга за печат");
    TPrintRequest request;
    request.Form = this;
    request.FormClass = ClassName();
    request.FormNumber = FormNumber;
    request.Keys = keys;
    request.PrintFormCode = printFormCode;
    request.Copies = std::max(1, copies);
    request.DocumentKindCode = DocumentKindCode;
    request.DocumentInfo = GetDocumentInfo();
    host->PrintDocument(request);
}

void TfBase::PostDocument(bool) { RequireRight(TFormRight::frPost); }

void TfBase::acPostDocumentExecute() { PostWithItsSave(false); }

void TfBase::acPostAndPrintDocumentExecute() { PostWithItsSave(true); }

void TfBase::PostWithItsSave(bool print) {
    if (!PostsWithItsSave() || ReadOnly || !HasUnsavedData() || !dm().Server().BeginPosting()) return PostDocument(print);
    holdingPosting_ = true;
    std::vector<std::pair<TClientDataSet*, TClientDataSet::TChangesKept>> kept;
    const TFilter filter = Filter;
    const auto putBackWhenRolledBack = [&] {
        holdingPosting_ = false;
        if (!dm().Server().EndPosting()) return;
        for (auto& [dataSet, changes] : kept) dataSet->RestoreChanges(changes);
        Filter = filter;
        CheckDataModification();
        UpdateFooters();
        UpdateActions();
    };
    try {
        PostPendingEdits();
        for (const TFormDataSet& entry : dataSets_)
            if (entry.Saved && entry.DataSet->Active()) kept.emplace_back(entry.DataSet, entry.DataSet->KeepChanges());
        PostDocument(print);
    } catch (...) {
        putBackWhenRolledBack();
        throw;
    }
    putBackWhenRolledBack();
}

void TfBase::DoRecalcDocument() {}

void TfBase::acReCalcDocumentExecute() {
    TWaitCursor wait;
    DoRecalcDocument();
    UpdateFooters();
}

void TfBase::acAnnulDocumentExecute() { RequireRight(TFormRight::frAnnul); }

// Rights, selection, panel, footers.

namespace {

// A form over a company setup table changes it only with the setup right, as the server saves it.
bool ChangesSetup(const std::vector<TFormDataSet>& dataSets, TFormRight right) {
    if (right != TFormRight::frInsert && right != TFormRight::frEdit && right != TFormRight::frDelete) return false;
    for (const TFormDataSet& entry : dataSets)
        if (entry.Master == nullptr && entry.Provider.size() > 2 && std::toupper(entry.Provider[0]) == 'C' &&
            entry.Provider[1] == '_')
            return true;
    return false;
}

}  // namespace

bool TfBase::HasRight(TFormRight right) const {
    const TLocalData& session = LocalData();
    if (session.RightsLoaded)
        return session.Rights.Allows(FormNumber, right) &&
               (!ChangesSetup(dataSets_, right) || session.Rights.Allows(FormNumber, TFormRight::frSetup));
    if (right != TFormRight::frEditProps) return true;
    TFilter filter;
    filter.Add("S_UserFormRight.Comp_Id", "=", session.CompanyId, "AND")
        .Add("S_UserFormRight.User_Id", "=", session.UserId, "AND")
        .Add("S_UserFormRight.Form_Id", "=", int64_t{FormNumber});
    TRequestResult granted;
    return dm().Server().RequestValue(0, "S_UserFormRight", "EditProps", filter, granted) == 1 &&
           granted.Value().AsInteger() == 1;
}

bool TfBase::CheckDataModification() {
    ReadOnly = ShowOptions.count(soReadOnly) > 0 || !HasRight(TFormRight::frEdit);
    for (TGrid* grid : grids_) grid->ReadOnly = ReadOnly;
    return !ReadOnly;
}

void TfBase::ProcessSelectedRecords(const TRequestResult&) {}

bool TfBase::SetSelectorAction(const THeaderField&, const TRequestResult&) { return true; }

const TLookupDefinition* TfBase::LookupOf(TClientDataSet& dataSet, std::string_view field) {
    return FindLookup(dataSet, field);
}

bool TfBase::EnterFieldValue(TClientDataSet& dataSet, TField& field, const Variant& value) {
    // Typing into a line edits its document, whose totals follow the line.
    const TFormDataSet* entry = FindFormDataSet(dataSet);
    if (entry != nullptr && entry->Master != nullptr && entry->Master->State() == TDataSetState::dsBrowse &&
        HasRecord(*entry->Master))
        entry->Master->Edit();
    const TLookupDefinition* lookup = LookupOf(dataSet, field.FieldName());
    if (lookup == nullptr) {
        if (dataSet.State() == TDataSetState::dsBrowse) dataSet.Edit();
        field.SetValue(value);
        return true;
    }
    // Leaving a code as it was, or emptying it, is not a new choice.
    if (value.IsEmpty() || value.AsString() == field.AsString()) return true;
    return EnterLookupCode(dataSet, *lookup, value.AsString());
}

void TfBase::KeepLineEditedInHeader(TClientDataSet& dataSet) {
    const TFormDataSet* entry = FindFormDataSet(dataSet);
    if (entry != nullptr && entry->Master != nullptr) dataSet.CheckBrowseMode();
}

bool TfBase::SelectFieldLookup(TClientDataSet& dataSet, std::string_view field, const std::string& typedText) {
    const TLookupDefinition* lookup = LookupOf(dataSet, field);
    if (lookup == nullptr) return false;
    TRequestResult chosen;
    if (!SelectLookupRow(*lookup, dataSet, typedText, chosen)) return false;
    CopyLookupRow(dataSet, *lookup, chosen);
    return true;
}

bool TfBase::SelectLookup(const THeaderField& field, const std::string& typedText) {
    TClientDataSet* dataSet = FindDataSet(field.DataSet);
    const TLookupDefinition* lookup =
        dataSet == nullptr || !field.Selector.empty() ? nullptr : LookupOf(*dataSet, field.FieldName);
    if (lookup != nullptr) {
        TRequestResult chosen;
        if (!SelectLookupRow(*lookup, *dataSet, typedText, chosen) || !SetSelectorAction(field, chosen)) return false;
        CopyLookupRow(*dataSet, *lookup, chosen);
        return true;
    }
    if (dataSet == nullptr || field.Selector.empty()) throw EFormError("Полето " + field.FieldName + " няма избор");
    std::vector<TFilterCondition> conditions;
    if (const TLookupDefinition* known = LookupOf(*dataSet, field.FieldName))
        if (auto narrowing = RecordNarrowing(*known, *dataSet)) conditions.push_back(std::move(*narrowing));
    if (!field.SelectorFilterField.empty() && !typedText.empty())
        conditions.push_back({field.SelectorFilterField, TFilterOp::opLike, Variant("%" + typedText + "%")});
    const TFilter filter = TFilter::Chained(std::move(conditions), TFilterConnector::fcAnd);
    TRequestResult chosen;
    if (!dm().Dialogs().Select(field.Selector, filter, false, chosen) || chosen.Empty()) return false;
    if (!SetSelectorAction(field, chosen)) return false;
    CopySelectedRecord(chosen, field.SelectorFields.empty() ? field.FieldName : field.SelectorFields,
                       field.TargetFields.empty() ? field.FieldName : field.TargetFields, *dataSet);
    return true;
}

void TfBase::GetPanelDetailsMaster() {}

void TfBase::GetPanelDetailsDetail() {}

void TfBase::UpdateFooters() {
    for (TGrid* grid : grids_) RunGuarded(OperationName("UpdateGridFooter"), [this, grid] { UpdateGridFooter(*grid); });
}

void TfBase::UpdateGridFooter(TGrid& grid) {
    TClientDataSet* dataSet = FindDataSet(grid.DataSet);
    if (dataSet == nullptr || !dataSet->Active()) return;
    for (TGridColumn& column : grid.Columns) {
        if (column.FooterAggregate.empty() || dataSet->FindAggregate(column.FooterAggregate) == nullptr) continue;
        column.FooterText = FooterValue(dataSet->AggregateValue(column.FooterAggregate), column.DisplayFormat);
    }
}

void TfBase::ShowHeaderTotalsInFooter(TGrid& grid, std::initializer_list<const char*> fields) {
    const bool shown = cdsMaster.Active() && (!cdsMaster.IsEmpty() || cdsMaster.State() == TDataSetState::dsInsert);
    for (const char* field : fields) {
        TGridColumn* column = grid.FindColumn(field);
        const TField* total = cdsMaster.FindField(field);
        if (column == nullptr || total == nullptr) continue;
        column->FooterText = shown ? FooterValue(total->Value(), "0.00") : "";
    }
}

}  // namespace tavrek
