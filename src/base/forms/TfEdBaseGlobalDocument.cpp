#include "base/forms/TfEdBaseGlobalDocument.h"

#include "base/forms/EAbort.h"

namespace tavrek {

TfEdBaseGlobalDocument::TfEdBaseGlobalDocument()
    : acChooseDocuments(AcListBase.Add("acChooseDocuments", "Избор на документи", "Документ")),
      acDeleteLinesFromDocs(AcListBase.Add("acDeleteLinesFromDocs", "Премахване на документи", "Документ")) {
    acReCalcDocument.ShortCut = "F9";
    BindAction(acChooseDocuments, "acChooseDocumentsExecute", [this] { acChooseDocumentsExecute(); });
    BindAction(acDeleteLinesFromDocs, "acDeleteLinesFromDocsExecute", [this] { acDeleteLinesFromDocsExecute(); });
    const auto editable = [this](TAction& a) {
        a.Enabled = !ReadOnly && cdsMaster.Active() && (!cdsMaster.IsEmpty() || cdsMaster.State() == TDataSetState::dsInsert);
    };
    acChooseDocuments.OnUpdate = editable;
    acDeleteLinesFromDocs.OnUpdate = editable;
    cdsMaster.BeforeDelete = [this](TClientDataSet&) { cdsMasterBeforeDelete(); };
}

int TfEdBaseGlobalDocument::GetDocumentType() { return 0; }

void TfEdBaseGlobalDocument::acChooseDocumentsExecute() {
    RequireRight(TFormRight::frEdit);
    if (ReadOnly) AbortWithError("err_DocumentIsReadOnly", "Документът не може да бъде променян.");
    cdsMaster.CheckBrowseMode();
}

void TfEdBaseGlobalDocument::acDeleteLinesFromDocsExecute() {
    OpenDataSet(*FindFormDataSet(cdsDetail));
    DoRecalcDocument();
    UpdateFooters();
}

bool TfEdBaseGlobalDocument::CheckCanDeleteRecord() { return true; }

void TfEdBaseGlobalDocument::cdsMasterBeforeDelete() {}

void TfEdBaseGlobalDocument::cdsMasterAfterGetRecords() {}

void TfEdBaseGlobalDocument::acDeleteRecordExecute() {
    if (!CheckCanDeleteRecord()) throw EAbort();
    try {
        TfBaseEditDocumentPanel::acDeleteRecordExecute();
    } catch (...) {
        // The server may have removed the lines before it refused the header: show what it holds.
        ReloadData();
        throw;
    }
}

void TfEdBaseGlobalDocument::DeleteDocumentLines() {
    cdsDetail.CancelUpdates();
    cdsDetail.EmptyDataSet();
}

void TfEdBaseGlobalDocument::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditDocumentPanel::DataSetOpened(dataSet);
    if (dataSet.DataSet == &cdsMaster) cdsMasterAfterGetRecords();
}

void TfEdBaseGlobalDocument::ReadBackSavedData() {
    if (!SaveInProgress) TfBaseEditDocumentPanel::ReadBackSavedData();
}

}  // namespace tavrek
