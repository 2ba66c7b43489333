#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/data/TFilter.h"
#include "base/forms/TActionList.h"
#include "base/forms/TFormDescription.h"
#include "base/forms/TLookupDefinition.h"
#include "base/forms/TFormRequest.h"
#include "base/forms/TMenu.h"
#include "base/forms/TTimer.h"
#include "base/server/TRequestResult.h"
#include "base/session/TUserRights.h"
#include "base/ui/IDialogs.h"

namespace tavrek {

class IFormHost;

// What Close does after FormClose: caNone keeps the form open (FormClose refused).
enum class TCloseAction { caNone, caHide, caFree };

// What an operation did to a document, as the person is told it.
enum class TDocumentDeed { ddPosted, ddAnnulled, ddCreated };

// A dataset of the form and the server data provider that fills and saves it. A detail
// dataset is filled with the rows whose LinkField equals the master's key; its new records
// get that key in LinkField (without its table qualifier).
struct TFormDataSet {
    TClientDataSet* DataSet = nullptr;
    std::string Provider;
    TClientDataSet* Master = nullptr;
    std::string LinkField;
    std::string MasterKeyField = "Id";
    bool Saved = true;  // the form sends its change log when saving
};

// The root of every form: datasets, actions, menus, layout description and the virtual
// methods the package overrides. A form is plain data and behaviour; the host shows it.
//
// Life: construct -> Create (FormCreate) -> Show (FormShow, opens the data) -> actions ->
// Close (FormClose). Action handlers run through RunGuarded: a failure is written to the
// error log as "<ClassName>.<handler>" and the document stays as it stood.
class TfBase {
public:
    TfBase();
    virtual ~TfBase();
    TfBase(const TfBase&) = delete;
    TfBase& operator=(const TfBase&) = delete;

    virtual std::string ClassName() const { return "TfBase"; }
    std::string OperationName(std::string_view handler) const;

    // Life cycle, driven by RequestForm and the host.
    void Create(const TFormRequest& request = {});
    void Show();
    void Close(int modalResult = mrCancel);
    // The user closes the form (its window, Close All, quitting the client). Unsaved changes
    // ask "que_SaveChanges": Yes saves and closes only when the save succeeded, No discards
    // them and closes, Cancel keeps the form as it stood. True when the form closed.
    bool CloseByUser();
    // Ends a modal form with mrOk.
    void Confirm();
    bool Created() const { return created_; }
    bool Shown() const { return shown_; }
    bool Closed() const { return closed_; }

    // Request parameters.
    int FormNumber = 0;
    TShowOptions ShowOptions{soNormal};
    TFilter Filter;
    Variant Value1;
    Variant Value2;
    TSelectionList* Selection = nullptr;
    TDefaultValues DefaultValues;
    TfBase* CallingForm = nullptr;
    TfBase* ParentForm = nullptr;
    int ModalResult = mrNone;
    TCloseAction CloseAction = TCloseAction::caFree;
    // Set when the form handed its work to a new form (a generated document): closing then
    // tells the main window to follow the new form (HandOverClose).
    bool HandOverOnClose = false;
    TVariantArray ReturnValues;  // what a confirmed modal form hands back (TFormRequest::Result)

    // Set by CheckDataModification: the user may not change the data.
    bool ReadOnly = false;
    // The kind of document the form holds; document forms set it in FormCreate.
    int DocumentKindCode = 0;

    TClientDataSet cdsMaster{"cdsMaster"};
    std::string MasterProvider;
    // Table qualifier of the master key in filters ("D_PurchHeader" gives "D_PurchHeader.Id").
    std::string MasterTable;
    TGrid dbgMaster{"dbgMaster", "cdsMaster"};

    TActionList AcListBase;
    TAction& acSave;
    TAction& acRefresh;
    TAction& acInsertRecord;
    TAction& acDeleteRecord;
    TAction& acPrint;
    TAction& acPostDocument;
    TAction& acPostAndPrintDocument;
    TAction& acReCalcDocument;
    TAction& acAnnulDocument;
    TAction& acSetCurrencyFactor;

    TMenu pmDocument{"pmDocument"};
    TMenu pmLine{"pmLine"};
    TFormDescription Description;
    TSidePanel pFloat;

    const std::vector<TFormDataSet>& DataSets() const { return dataSets_; }
    TClientDataSet* FindDataSet(std::string_view name) const;
    // Whether the form saves the named dataset; a read-only form still lets the user type
    // into the others (a list's search, say).
    bool SavesDataSet(std::string_view name) const;
    const std::vector<TGrid*>& Grids() const { return grids_; }
    TGrid* FindGrid(std::string_view name) const;
    const std::vector<TMenu*>& Menus() const { return menus_; }
    const std::vector<TTimer*>& Timers() const { return timers_; }

    // Runs body; a failure is logged with TELException(message, operationName), an EAbort
    // ends it quietly. Returns whether body completed.
    bool RunGuarded(const std::string& operationName, const std::function<void()>& body);

    // Asks "que_SaveBeforeToDo" when there are unsaved changes: Yes saves and continues when
    // the save succeeded; No stops. Without changes it asks nothing and continues.
    bool QueryToSaveBeforeToDo();
    // Every posting, annulment and generation tells what it did, naming the document's kind
    // (a header DocumentType) and number: "Доставка № 0000000002 е осчетоводена.". Static, so
    // that a flow may tell it after its form closed.
    static void TellDocumentDone(TDocumentDeed deed, int documentType, const std::string& number);
    // A refusal names the document and gives the reason: the server's (LastRefusalText) or the
    // one given.
    static void TellDocumentRefused(TDocumentDeed deed, int documentType, const std::string& number);
    static void TellDocumentRefused(TDocumentDeed deed, int documentType, const std::string& number,
                                    const std::string& reason);
    // The kind of the shown document: the header's DocumentType, else the form's kind code.
    int ShownDocumentType();
    // The shown document's DocumentNo; empty without one.
    std::string ShownDocumentNo();
    // Prints a posted document through the host's print service.
    void PrintPostedDocument(const TVariantArray& keys, const std::string& printFormCode);
    // Saves through the (overridable) save action; true when the server took the changes.
    bool SaveData();
    bool LastSaveSucceeded() const { return saveSucceeded_; }
    // What the person changed: a new document started for them and left as it was is not a
    // change, so closing it asks nothing.
    bool HasChanges() const;
    // What a save would send, the untouched new document too.
    bool HasUnsavedData() const;
    // A form a person opens from the menu starts where they would start: an editor on a new
    // document.
    virtual void StartFromMenu() {}
    // The "..." of a lookup header field: the field's selector under the typed text; the
    // chosen record goes into the field's dataset unless SetSelectorAction refuses it.
    // Returns whether a record was taken.
    bool SelectLookup(const THeaderField& field, const std::string& typedText);
    // What a person typed into a field of a dataset of the form: the code of a lookup field
    // brings its master row (an unknown code is refused and changes nothing), any other value
    // goes to the field. False when refused.
    bool EnterFieldValue(TClientDataSet& dataSet, TField& field, const Variant& value);
    // A line edited in a header control has no row to leave: the edit is kept at once, so the
    // line's grid and the document's totals follow.
    void KeepLineEditedInHeader(TClientDataSet& dataSet);
    // F2 or "..." on a lookup field of a dataset (a grid column): the master row chosen
    // under the typed text goes into the current record. False when nothing was taken.
    bool SelectFieldLookup(TClientDataSet& dataSet, std::string_view field, const std::string& typedText);
    // The master data a field of a dataset of the form refers to; null when none.
    virtual const TLookupDefinition* LookupOf(TClientDataSet& dataSet, std::string_view field);
    // Keeps the grids' column widths and visibility for the next opening of this class.
    void SaveFormSetings();
    // The close of a form that handed over: settings kept, the form freed, and the main
    // window (IMainFormIntf) told that no form leads and that this one closed.
    void HandOverClose();
    // Recomputes the footer texts of every grid and the action states.
    void UpdateFooters();
    void UpdateActions() { AcListBase.UpdateActions(); }
    void UpdateActionState() { UpdateActions(); }

    // Overridden by the package; the bases call them.
    virtual void FormCreate();
    virtual void FormShow();
    virtual void FormClose();
    virtual void AttachDynamicEvents(TClientDataSet& dataSet);
    // Decides whether the data may be changed (sets ReadOnly and the grids); true when it may.
    virtual bool CheckDataModification();
    // Rows of "PF_Id, Form_id, Copies, PF_Type, Doc_Type": the print forms of the document.
    virtual TRequestResult GetPrintDocument();
    virtual int GetPrintDocumentType();
    virtual TVariantArray GetDocumentInfo();
    virtual void DoRecalcDocument();
    // Takes the rows chosen in a selector or a selection form (columns are field names).
    virtual void ProcessSelectedRecords(const TRequestResult& rows);
    virtual void PostDocument(bool print);
    // Runs after the changes reached the server and before the saved data is read back;
    // false marks the save as failed.
    virtual bool OnSaveBeforeGetData();
    virtual void GetPanelDetailsMaster();
    virtual void GetPanelDetailsDetail();
    virtual void acSaveExecute();
    virtual void acRefreshExecute();
    virtual void acDeleteRecordExecute();
    virtual void acInsertRecordExecute();
    virtual void acPrintExecute();
    virtual void acPostDocumentExecute();
    virtual void acPostAndPrintDocumentExecute();
    virtual void acReCalcDocumentExecute();
    virtual void acAnnulDocumentExecute();
    virtual void MoveToAnnulDocs();
    // The rights of the session's signed-in user on this form. Without a signed-in user,
    // editing document properties is asked of the server and the others are allowed.
    virtual bool HasRight(TFormRight right) const;
    // Asks "que_DeleteRecord" before a deletion; true continues.
    virtual bool ConfirmDeletion();
    virtual void UpdateGridFooter(TGrid& grid);
    // Runs when the user chose a record for a lookup field, before it is copied; false
    // cancels the choice.
    virtual bool SetSelectorAction(const THeaderField& field, const TRequestResult& chosen);

protected:
    // A document's VAT is rounded per rate, not per line: footers of its totals show the
    // header's figures, the ones saved, posted and printed, not the sum of the lines.
    void ShowHeaderTotalsInFooter(TGrid& grid, std::initializer_list<const char*> fields);
    void AddDataSet(TFormDataSet dataSet);
    void AddGrid(TGrid& grid);
    void AddMenu(TMenu& menu);
    void AddTimer(TTimer& timer);
    // Binds an action to a handler that runs guarded under the handler's operation name.
    void BindAction(TAction& action, const std::string& handler, std::function<void()> body);

    IFormHost* Host() const;
    TFormDataSet* FindFormDataSet(const TClientDataSet& dataSet);
    // A form that posts nothing (an offer, an order, a list of buffers) does not offer posting.
    void HidePostingActions();

    // Data: reading from and saving to the server.
    void OpenDataSets();
    void OpenDataSet(TFormDataSet& dataSet);
    virtual TFilter DataSetFilter(const TFormDataSet& dataSet);
    // Copies MasterProvider (and the detail settings) into the registered datasets, so that
    // a form may set them anywhere before its data opens.
    virtual void SyncDataSetSettings();
    // Called after a dataset has been filled (and its events attached).
    virtual void DataSetOpened(TFormDataSet& dataSet);
    void PostPendingEdits();
    // Forgets what was typed and not saved, in every saved dataset.
    void DiscardChanges();
    // Sends the change logs in one ApplyUpdates call; on refusal shows the server's reason,
    // keeps the changes and throws EAbort.
    void ApplyChanges();
    // Reads the data again, keeping the current master record when it still exists.
    void ReloadData();
    // After a save: reads back what the server stored.
    virtual void ReadBackSavedData();
    // Whether the form saves its document and posts it in one server transaction (see
    // IAppServer::BeginPosting), so that a refused posting leaves nothing behind.
    virtual bool PostsWithItsSave() const { return false; }
    // Set while such a posting runs: a save then keeps the form's records as they are, to be
    // put back as unsaved changes when the posting is refused.
    bool HoldingPosting() const { return holdingPosting_; }
    // Sets Id, Comp_Id and the master link of a new record where they are empty.
    void FillNewRecordKeys(TFormDataSet& dataSet);
    void DeleteSelectedOrCurrent(TGrid& grid, TClientDataSet& dataSet);
    // Walks every record under the wait cursor and progress, with the grid's controls off,
    // and returns to the record it started from.
    void ForEachRecord(TClientDataSet& dataSet, const std::function<void()>& body, const std::string& caption = "");
    // Shows an error by key with OK and ends the action quietly.
    [[noreturn]] void AbortWithError(const std::string& key, const std::string& defaultText);
    void RequireRight(TFormRight right);
    // Remembers the new record as it was started, to tell later whether the person touched it.
    void MarkUntouchedNew();

    bool saveSucceeded_ = false;

private:
    void BindBaseActions();
    void PostWithItsSave(bool print);
    struct TUntouchedDataSet {
        const TClientDataSet* DataSet;
        TDataSetState State;
        int Changes;
        std::vector<Variant> Values;
    };
    TUntouchedDataSet UntouchedState(const TClientDataSet& dataSet) const;
    bool IsUntouchedNew() const;
    void Print(const TVariantArray& keys, const std::string& printFormCode, int copies);

    std::vector<TFormDataSet> dataSets_;
    std::vector<TGrid*> grids_;
    std::vector<TMenu*> menus_;
    std::vector<TTimer*> timers_;
    bool created_ = false;
    bool shown_ = false;
    bool closed_ = false;
    bool holdingPosting_ = false;
    std::vector<TUntouchedDataSet> untouchedNew_;
};

}  // namespace tavrek
