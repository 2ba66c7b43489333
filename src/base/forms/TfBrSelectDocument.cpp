#include "base/forms/TfBrSelectDocument.h"

namespace tavrek {

TfBrSelectDocument::TfBrSelectDocument()
    : acSelect(AcListBase.Add("acSelect", "Избор", "Избор")),
      acEditRecord(AcListBase.Add("acEditRecord", "Редактиране", "Избор")) {
    acSelect.ShortCut = "Ctrl+Enter";
    for (TAction* action : {&acSave, &acInsertRecord, &acDeleteRecord, &acPrint}) action->Visible = false;
    dbgMaster.MultiSelect = true;
    // The rows of a selection list are only looked at, never saved.
    FindFormDataSet(cdsMaster)->Saved = false;
    BindAction(acSelect, "acSelectExecute", [this] { acSelectExecute(); });
    acSelect.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
    BindAction(acEditRecord, "acEditRecordExecute", [this] { cdsMaster.Edit(); });
    acEditRecord.OnUpdate = [this](TAction& a) {
        a.Enabled = !ReadOnly && cdsMaster.Active() && !cdsMaster.IsEmpty() && cdsMaster.FindField("ID") != nullptr;
    };
}

TSelectionList& TfBrSelectDocument::SelectionList() {
    TSelectionList& list = Selection != nullptr ? *Selection : ownSelection_;
    if (list.Columns.empty() && cdsMaster.Active())
        for (int i = 0; i < cdsMaster.FieldCount(); ++i) list.Columns.push_back(cdsMaster.Fields(i).FieldName());
    return list;
}

void TfBrSelectDocument::AddSelectedRecord() {
    TSelectionList& list = SelectionList();
    TVariantArray row;
    for (const std::string& name : list.Columns) {
        TField* field = cdsMaster.FindField(name);
        row.push_back(field != nullptr ? field->Value() : Variant());
    }
    list.Rows.push_back(std::move(row));
}

void TfBrSelectDocument::HandSelectionToCaller() {
    TSelectionList& list = SelectionList();
    if (!list.Rows.empty()) ReturnValues = list.Rows.front();
    if (CallingForm != nullptr) CallingForm->ProcessSelectedRecords(list);
    Confirm();
}

void TfBrSelectDocument::acSelectExecute() {
    cdsMaster.CheckBrowseMode();
    if (dbgMaster.SelectedRows.empty()) {
        AddSelectedRecord();
    } else {
        for (TBookmark row : dbgMaster.SelectedRows) {
            if (!cdsMaster.BookmarkValid(row)) continue;
            cdsMaster.GotoBookmark(row);
            AddSelectedRecord();
        }
    }
    HandSelectionToCaller();
}

}  // namespace tavrek
