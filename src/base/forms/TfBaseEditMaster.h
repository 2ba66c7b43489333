#pragma once

#include <string>

#include "base/forms/IBaseIntf.h"
#include "base/forms/TfBase.h"

namespace tavrek {

// A single-record editor: opens the record(s) of its filter, inserts, saves and deletes
// the document as a whole, and lets other forms drive it through IBaseIntf. Opened
// without a filter it reads only the field definitions and waits for a new document.
class TfBaseEditMaster : public TfBase, public IBaseIntf {
public:
    TfBaseEditMaster();
    std::string ClassName() const override { return "TfBaseEditMaster"; }

    void acInsertRecordExecute() override;
    void acDeleteRecordExecute() override;
    // Opened on no document, the editor starts a new one the person may type into at once.
    void StartFromMenu() override;
    void PostDocument(bool print) override;

    // IBaseIntf. The template's lines (S_CopyDocTemplateLine: IsLine, SrcField, TrgField,
    // DefaultValue) map fields of the source header and lines to this document; the source
    // is the calling form when it shows that document. option1 = 1 saves the new document at
    // once, option2 = 1 copies the lines; option3 is reserved.
    void CopyDocumentByTemplate(const std::string& sourceId, const std::string& templateId, int sourceFormNumber,
                                int option1, int option2, int option3) override;
    void InsertDocumentFromDefaults(const TDefaultValues& values) override;
    void SaveDocument() override;
    bool IsSaveSuccessful() const override { return saveSucceeded_; }
    std::string GetMasterFieldAsString(const std::string& fieldName) override;
    Variant GetMasterFieldValue(const std::string& fieldName) override;
    void CancelDocument() override;
    TfBase* GetCallingForm() const override { return CallingForm; }
    void SetCallingForm(TfBase* form) override { CallingForm = form; }
    void ActivateDocumentForm() override;
    void RefreshDocument() override;
    TfBase& Form() override { return *this; }

protected:
    TFilter DataSetFilter(const TFormDataSet& dataSet) override;
    void ReadBackSavedData() override;
    // Sets one default value on the current record of dataSet; EFormError when the field is absent.
    void SetDefaultValue(TClientDataSet& dataSet, const TDefaultValue& value);
    bool NamesUnsetMasterRow(TClientDataSet& dataSet, const std::string& fieldName);
    // The filter on the master key that reads one document back.
    TFilter KeyFilter(const Variant& id) const;
    // Sets the header entries of the default values; the master-detail editor adds lines.
    virtual void ApplyDefaultValues(const TDefaultValues& values);
    // Deleting the document: removes the lines of the saved datasets (logged, so the server
    // deletes them with the header).
    virtual void DeleteDocumentLines();
    // Empties the datasets (unlogged) and appends a new master record.
    void StartNewDocument();

private:
    struct TSourceDocument;
    TSourceDocument OpenSourceDocument(const std::string& sourceId, int sourceFormNumber);
    TDefaultValues TemplateValues(const std::string& templateId, const TSourceDocument& source, bool withLines);
};

}  // namespace tavrek
