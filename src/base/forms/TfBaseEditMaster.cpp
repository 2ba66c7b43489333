#include "base/forms/TfBaseEditMaster.h"

#include "base/forms/EAbort.h"
#include "base/forms/EFormError.h"
#include "base/forms/IFormHost.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') quoted += '\'';
        quoted += c;
    }
    return quoted + "'";
}

}  // namespace

TfBaseEditMaster::TfBaseEditMaster() {
    acPrint.Visible = true;
}

TFilter TfBaseEditMaster::KeyFilter(const Variant& id) const {
    return TFilter().Add(MasterTable.empty() ? "Id" : MasterTable + ".Id", "=", id);
}

TFilter TfBaseEditMaster::DataSetFilter(const TFormDataSet& dataSet) {
    // Without a filter the editor waits for a new document: read the fields, no records.
    if (dataSet.Master == nullptr && Filter.Empty()) return KeyFilter(Variant());
    return TfBase::DataSetFilter(dataSet);
}

void TfBaseEditMaster::ReadBackSavedData() {
    if (cdsMaster.Active() && !cdsMaster.IsEmpty() && cdsMaster.FindField("Id") != nullptr) {
        const Variant id = cdsMaster.FieldByName("Id").Value();
        if (!id.IsEmpty()) Filter = KeyFilter(id);
    }
    ReloadData();
}

void TfBaseEditMaster::acSaveExecute() {
    if (cdsMaster.Active() && cdsMaster.IsEmpty() && cdsMaster.State() != TDataSetState::dsInsert) {
        saveSucceeded_ = !HasChanges();
        if (saveSucceeded_) return;
    }
    TfBase::acSaveExecute();
}

void TfBaseEditMaster::StartNewDocument() {
    if (!cdsMaster.Active()) OpenDataSets();
    for (const TFormDataSet& entry : DataSets())
        if (entry.Saved && entry.DataSet->Active()) {
            entry.DataSet->Cancel();
            entry.DataSet->EmptyDataSet();
        }
    cdsMaster.Append();
    FillNewRecordKeys(*FindFormDataSet(cdsMaster));
}

void TfBaseEditMaster::acInsertRecordExecute() {
    RequireRight(TFormRight::frInsert);
    if (!QueryToSaveBeforeToDo()) return;
    StartNewDocument();
    saveSucceeded_ = false;
}

void TfBaseEditMaster::acDeleteRecordExecute() {
    RequireRight(TFormRight::frDelete);
    if (cdsMaster.State() == TDataSetState::dsInsert) {
        CancelDocument();
        return;
    }
    if (!cdsMaster.Active() || cdsMaster.IsEmpty() || !ConfirmDeletion()) return;
    MoveToAnnulDocs();
    try {
        for (auto it = DataSets().rbegin(); it != DataSets().rend(); ++it) {
            if (!it->Saved || !it->DataSet->Active() || it->DataSet == &cdsMaster) continue;
            for (it->DataSet->First(); !it->DataSet->IsEmpty(); it->DataSet->First()) it->DataSet->Delete();
        }
        cdsMaster.Delete();
        ApplyChanges();
    } catch (...) {
        CancelDocument();
        throw;
    }
    Close(mrCancel);
}

void TfBaseEditMaster::PostDocument(bool print) {
    TfBase::PostDocument(print);
    if (ReadOnly) AbortWithError("err_DocumentIsReadOnly", "Документът не може да бъде променян.");
    if (!SaveData()) throw EAbort();
}

void TfBaseEditMaster::CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId,
                                              int sourceFormNumber, int option1, int option2, int option3) {
    const TLocalData& session = LocalData();
    const std::string procedure = GetMessageText("usp_CopyDocumentByTemplate", "usp_CopyDocumentByTemplate");
    std::string text = "exec " + procedure + " " + Quoted(session.CompanyId);
    for (const std::string& argument : {sourceId, templateId, std::to_string(sourceFormNumber), std::to_string(FormNumber),
                                        std::to_string(option1), std::to_string(option2), std::to_string(option3),
                                        session.BusinessGroupId, session.UserId})
        text += ", " + Quoted(argument);
    TRequestResult result;
    const int rows = dm().Server().RequestValue(-1, text, "Result,ErrMsg", TFilter(), result);
    const std::string newId = result.ByName("Result").AsString();
    if (rows <= 0 || newId.empty() || newId == "-1") {
        MessageDlgEx(GetMessageText("err_CommonError", "Грешка.") + " " + result.ByName("ErrMsg").AsString(),
                     TMsgDlgType::mtError, mbOK);
        throw EAbort();
    }
    Filter = KeyFilter(newId);
    ReloadData();
}

void TfBaseEditMaster::SetDefaultValue(TClientDataSet& dataSet, const TDefaultValue& value) {
    TField* field = dataSet.FindField(value.FieldName);
    if (field == nullptr) {
        const std::string text = GetMessageText("err_DefaultValueFieldNotFound", "Документът няма поле %s.");
        throw EFormError(FormatMessage(text, {value.FieldName}));
    }
    if (dataSet.State() == TDataSetState::dsBrowse) dataSet.Edit();
    field->SetValue(value.Value);
}

void TfBaseEditMaster::ApplyDefaultValues(const TDefaultValues& values) {
    for (const TDefaultValue& value : values) {
        if (value.IsLine) throw EFormError("Документът " + ClassName() + " няма редове за " + value.FieldName);
        SetDefaultValue(cdsMaster, value);
    }
}

void TfBaseEditMaster::InsertDocumentFromDefaults(const TDefaultValues& values) {
    RequireRight(TFormRight::frInsert);
    if (!QueryToSaveBeforeToDo()) throw EAbort();
    StartNewDocument();
    saveSucceeded_ = false;
    ApplyDefaultValues(values);
    UpdateFooters();
    UpdateActions();
}

void TfBaseEditMaster::SaveDocument() { SaveData(); }

std::string TfBaseEditMaster::GetMasterFieldAsString(const std::string& fieldName) {
    return cdsMaster.FieldByName(fieldName).AsString();
}

Variant TfBaseEditMaster::GetMasterFieldValue(const std::string& fieldName) {
    return cdsMaster.FieldByName(fieldName).Value();
}

void TfBaseEditMaster::CancelDocument() {
    for (auto it = DataSets().rbegin(); it != DataSets().rend(); ++it)
        if (it->DataSet->Active()) it->DataSet->CancelUpdates();
    UpdateFooters();
    UpdateActions();
}

void TfBaseEditMaster::ActivateDocumentForm() {
    if (IFormHost* host = Host()) host->ActivateForm(*this);
}

void TfBaseEditMaster::RefreshDocument() {
    RunGuarded(OperationName("acRefreshExecute"), [this] { acRefreshExecute(); });
}

}  // namespace tavrek
