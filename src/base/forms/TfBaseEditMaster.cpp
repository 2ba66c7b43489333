#include "base/forms/TfBaseEditMaster.h"

#include "base/forms/EAbort.h"
#include "base/forms/EFormError.h"
#include "base/forms/IFormHost.h"
#include "base/forms/TLookupDefinition.h"
#include "base/forms/TFormRegistry.h"
#include "base/server/IAppServer.h"
#include "base/session/Tdm.h"
#include "base/ui/Messages.h"
#include "base/util/Text.h"

namespace tavrek {

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
    if (!HoldingPosting()) ReloadData();
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

void TfBaseEditMaster::StartFromMenu() {
    if (!Filter.Empty() || !cdsMaster.Active() || !cdsMaster.IsEmpty()) return;
    UpdateActions();
    if (acInsertRecord.Visible && acInsertRecord.Enabled) acInsertRecord.Execute();
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
        DeleteDocumentLines();
        cdsMaster.Delete();
        ApplyChanges();
    } catch (...) {
        CancelDocument();
        throw;
    }
    Close(mrCancel);
}

void TfBaseEditMaster::DeleteDocumentLines() {
    for (auto it = DataSets().rbegin(); it != DataSets().rend(); ++it) {
        if (!it->Saved || !it->DataSet->Active() || it->DataSet == &cdsMaster) continue;
        for (it->DataSet->First(); !it->DataSet->IsEmpty(); it->DataSet->First()) it->DataSet->Delete();
    }
}

void TfBaseEditMaster::PostDocument(bool print) {
    TfBase::PostDocument(print);
    if (ReadOnly) AbortWithError("err_DocumentIsReadOnly", "Документът не може да бъде променян.");
    if (!SaveData()) throw EAbort();
}

// The source document: the calling form when it shows it, else a form of the source
// number opened on it out of sight.
struct TfBaseEditMaster::TSourceDocument {
    TClientDataSet* Header = nullptr;
    TClientDataSet* Lines = nullptr;
    std::unique_ptr<TfBase> Owned;
};

TfBaseEditMaster::TSourceDocument TfBaseEditMaster::OpenSourceDocument(const std::string& sourceId,
                                                                       int sourceFormNumber) {
    TSourceDocument source;
    TfBase* form = CallingForm;
    const auto shows = [&sourceId](TfBase* f) {
        TClientDataSet& header = f->cdsMaster;
        return header.Active() && !header.IsEmpty() && header.FindField("Id") != nullptr &&
               header.FieldByName("Id").AsString() == sourceId;
    };
    if (form == nullptr || !shows(form)) {
        source.Owned = FormRegistry().CreateForm(sourceFormNumber);
        TFormRequest request;
        request.ShowOptions = {soNormal, soReadOnly};
        request.Filter.Add(source.Owned->MasterTable.empty() ? "Id" : source.Owned->MasterTable + ".Id", "=", sourceId);
        source.Owned->Create(request);
        source.Owned->Show();
        form = source.Owned.get();
        if (!shows(form)) throw EFormError("Документът източник " + sourceId + " не е намерен");
    }
    source.Header = &form->cdsMaster;
    source.Lines = form->FindDataSet("cdsDetail");
    return source;
}

TDefaultValues TfBaseEditMaster::TemplateValues(const std::string& templateId, const TSourceDocument& source,
                                                bool withLines) {
    TRequestResult fields;
    dm().Server().RequestValue(0, "S_CopyDocTemplateLine", "IsLine,SrcField,TrgField,DefaultValue",
                               TFilter().Add("S_CopyDocTemplateLine.Master_Id", "=", templateId), fields, true);
    const auto valueOf = [&fields](TClientDataSet& from, size_t row) {
        const std::string sourceField = fields.ByName("SrcField", row).AsString();
        TField* field = sourceField.empty() ? nullptr : from.FindField(sourceField);
        return field != nullptr ? field->Value() : fields.ByName("DefaultValue", row);
    };
    TDefaultValues values;
    for (size_t row = 0; row < fields.Rows.size(); ++row)
        if (!fields.ByName("IsLine", row).AsBoolean())
            values.push_back({fields.ByName("TrgField", row).AsString(), valueOf(*source.Header, row), false, false});
    if (!withLines || source.Lines == nullptr || !source.Lines->Active()) return values;
    for (source.Lines->First(); !source.Lines->Eof(); source.Lines->Next()) {
        bool continues = false;
        for (size_t row = 0; row < fields.Rows.size(); ++row) {
            if (!fields.ByName("IsLine", row).AsBoolean()) continue;
            values.push_back({fields.ByName("TrgField", row).AsString(), valueOf(*source.Lines, row), true, continues});
            continues = true;
        }
    }
    return values;
}

void TfBaseEditMaster::CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId,
                                              int sourceFormNumber, int saveAtOnce, int copyLines, int) {
    const TSourceDocument source = OpenSourceDocument(sourceId, sourceFormNumber);
    InsertDocumentFromDefaults(TemplateValues(templateId, source, copyLines != 0));
    ShowLookupNames(cdsMaster);
    if (saveAtOnce != 0) SaveDocument();
}

void TfBaseEditMaster::SetDefaultValue(TClientDataSet& dataSet, const TDefaultValue& value) {
    TField* field = dataSet.FindField(value.FieldName);
    if (field == nullptr) {
        const std::string text = GetMessageText("err_DefaultValueFieldNotFound", "Документът няма поле %s.");
        throw EFormError(FormatMessage(text, {value.FieldName}));
    }
    if (dataSet.State() == TDataSetState::dsBrowse) dataSet.Edit();
    if (!value.Value.IsEmpty() && NamesUnsetMasterRow(dataSet, value.FieldName) && EnterFieldValue(dataSet, *field, value.Value))
        return;
    field->SetValue(value.Value);
}

// A code shown beside a key (a vendor's code beside Contragent_Id) while the key is still empty:
// the caller named the master row by its code alone, so the row is brought as if it were typed.
bool TfBaseEditMaster::NamesUnsetMasterRow(TClientDataSet& dataSet, const std::string& fieldName) {
    const TLookupDefinition* lookup = LookupOf(dataSet, fieldName);
    if (lookup == nullptr) return false;
    for (const TLookupCopy& copy : lookup->Copies) {
        if (!EqualsIgnoreCase(copy.Column, lookup->KeyColumn) || EqualsIgnoreCase(copy.Field, fieldName)) continue;
        const TField* key = dataSet.FindField(copy.Field);
        return key != nullptr && key->IsNull();
    }
    return false;
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
    IFormHost* host = Host();
    if (host == nullptr) return;
    // Filled by another form's handler, the document is shown anew before it comes to the front.
    host->FormChanged(*this);
    host->ActivateForm(*this);
}

void TfBaseEditMaster::RefreshDocument() {
    RunGuarded(OperationName("acRefreshExecute"), [this] { acRefreshExecute(); });
}

}  // namespace tavrek
