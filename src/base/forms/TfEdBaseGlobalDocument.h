#pragma once

#include <string>

#include "base/forms/TfBaseEditDocumentPanel.h"

namespace tavrek {

// The editor of a consolidated document assembled from lines of posted documents: the
// user chooses source documents (their lines come back through ProcessSelectedRecords) and
// removes them again; deleting the header lets the document kind clear its server rows
// first (cdsMasterBeforeDelete).
class TfEdBaseGlobalDocument : public TfBaseEditDocumentPanel {
public:
    TfEdBaseGlobalDocument();
    std::string ClassName() const override { return "TfEdBaseGlobalDocument"; }

    // The form number of the posted document's report the editor is linked to; set on show.
    int LinkedFormNumber = 0;
    // Set around a save whose caller reads the data back itself.
    bool SaveInProgress = false;

    TAction& acChooseDocuments;
    TAction& acDeleteLinesFromDocs;

    // The kind of source documents (0 invoices); handed to the source selectors.
    virtual int GetDocumentType();
    // The inherited choose step: the header must be complete (posted) and editable.
    virtual void acChooseDocumentsExecute();
    // The inherited step after sources were removed: the lines are read again and the
    // document recalculated.
    virtual void acDeleteLinesFromDocsExecute();
    virtual bool CheckCanDeleteRecord();
    virtual void cdsMasterBeforeDelete();
    virtual void cdsMasterAfterGetRecords();

    void acDeleteRecordExecute() override;

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;
    void ReadBackSavedData() override;
    // The server removes the lines with the header (cdsMasterBeforeDelete): they only leave
    // the client.
    void DeleteDocumentLines() override;
};

}  // namespace tavrek
