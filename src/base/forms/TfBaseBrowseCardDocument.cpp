#include "base/forms/TfBaseBrowseCardDocument.h"

#include "base/forms/RequestForm.h"

namespace tavrek {

TfBaseBrowseCardDocument::TfBaseBrowseCardDocument() : acEditRecord(AcListBase.Add("acEditRecord", "Отваряне", "Документ")) {
    acEditRecord.ShortCut = "Enter";
    acSave.Visible = false;
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument}) action->Visible = true;
    dbgMaster.MultiSelect = true;
    BindAction(acEditRecord, "acEditRecordExecute", [this] { acEditRecordExecute(); });
    acEditRecord.OnUpdate = [this](TAction& a) { a.Enabled = cdsMaster.Active() && !cdsMaster.IsEmpty(); };
}

bool TfBaseBrowseCardDocument::CheckDataModification() {
    const bool editable = TfBase::CheckDataModification();
    dbgMaster.ReadOnly = true;
    return editable;
}

void TfBaseBrowseCardDocument::OpenCard(bool newDocument) {
    if (CardFormNumber == 0) AbortWithError("err_NoCardForm", "Списъкът няма форма за документа.");
    TFormRequest request;
    request.FormNumber = CardFormNumber;
    if (newDocument) {
        request.ShowOptions.insert(soInsert);
    } else {
        request.Filter.Add(CardKeyField, "=", cdsMaster.FieldByName("Id").Value());
    }
    request.CallingForm = this;
    request.ParentForm = this;
    RequestForm(request);
}

void TfBaseBrowseCardDocument::acEditRecordExecute() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty()) OpenCard(false);
}

void TfBaseBrowseCardDocument::acInsertRecordExecute() {
    RequireRight(TFormRight::frInsert);
    OpenCard(true);
}

void TfBaseBrowseCardDocument::acDeleteRecordExecute() {
    RequireRight(TFormRight::frDelete);
    if (!cdsMaster.Active() || cdsMaster.IsEmpty() || !ConfirmDeletion()) return;
    std::vector<TBookmark> rows = dbgMaster.SelectedRows;
    if (rows.empty()) rows.push_back(cdsMaster.GetBookmark());
    try {
        for (TBookmark row : rows) {
            if (!cdsMaster.BookmarkValid(row)) continue;
            cdsMaster.GotoBookmark(row);
            MoveToAnnulDocs();
            cdsMaster.Delete();
        }
        ApplyChanges();
    } catch (...) {
        cdsMaster.CancelUpdates();
        throw;
    }
    dbgMaster.SelectedRows.clear();
    UpdateFooters();
}

}  // namespace tavrek
