#pragma once

#include <string>

#include "base/forms/TDocumentTotals.h"
#include "base/forms/TfBaseEditMaster.h"

namespace tavrek {

// A document of a header (cdsMaster) and lines (cdsDetail): the lines are read by the
// header's Id and saved with it in one call.
class TfBaseEditMasterDetail : public TfBaseEditMaster {
public:
    TfBaseEditMasterDetail();
    std::string ClassName() const override { return "TfBaseEditMasterDetail"; }

    TClientDataSet cdsDetail{"cdsDetail"};
    std::string DetailProvider;
    std::string DetailLinkField = "Master_Id";
    TGrid dbgDetail{"dbgDetail", "cdsDetail"};
    // The document's totals as the lines stand; the header's VAT follows them while it is edited.
    TDocumentTotals Totals{cdsMaster, cdsDetail};
    // Lines from a vendor's file; hidden unless a document kind shows it.
    TAction& acImport;

    // Appends one line per row, copying the columns that are fields of the lines.
    void ProcessSelectedRecords(const TRequestResult& rows) override;

    // Imports lines from a file and saves the document; ends quietly (EAbort) when the user
    // cancels or the save is refused.
    virtual void acImportExecute();

    // Events of the lines; the overrides call the inherited handler first.
    virtual void cdsDetailAfterInsert();
    virtual void cdsDetailAfterPost();
    virtual void cdsDetailBeforeDelete();
    virtual void cdsDetailAfterOpen();
    virtual void cdsDetailAfterScroll();

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;
    void ApplyDefaultValues(const TDefaultValues& values) override;
    // Lets the user choose an import filter and a file and appends its rows to cdsDetail;
    // rows left out are shown as a warning. Returns the rows taken, -1 when cancelled.
    int ImportLinesFromFile();
    void SyncDataSetSettings() override;
    // Whether a line of the default values begun by the code of its master row (an item) is
    // brought as if the code were typed, so that the line rules fill what a person would see;
    // the later entries of the line still override.
    virtual bool BringsLinesByCode() const { return false; }

private:
    void KeepHeaderVAT();
    bool BringsLineMaster(const TDefaultValue& value);
};

}  // namespace tavrek
