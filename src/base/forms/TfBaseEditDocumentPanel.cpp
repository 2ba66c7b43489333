#include "base/forms/TfBaseEditDocumentPanel.h"

namespace tavrek {

TfBaseEditDocumentPanel::TfBaseEditDocumentPanel() {
    pFloat.Visible = true;
    for (TAction* action : {&acPostDocument, &acPostAndPrintDocument, &acReCalcDocument}) action->Visible = true;
    AddTimer(tmrPanel);
    tmrPanel.OnTimer = [this] {
        tmrPanel.Enabled = false;
        RunGuarded(OperationName("GetPanelDetailsDetail"), [this] { GetPanelDetailsDetail(); });
    };
}

void TfBaseEditDocumentPanel::cdsDetailAfterScroll() {
    TfBaseEditMasterDetail::cdsDetailAfterScroll();
    tmrPanel.Enabled = true;
}

void TfBaseEditDocumentPanel::DataSetOpened(TFormDataSet& dataSet) {
    TfBaseEditMasterDetail::DataSetOpened(dataSet);
    if (dataSet.DataSet == &cdsDetail) RefreshPanel();
}

void TfBaseEditDocumentPanel::RefreshPanel() {
    tmrPanel.Enabled = false;
    RunGuarded(OperationName("GetPanelDetailsMaster"), [this] { GetPanelDetailsMaster(); });
    RunGuarded(OperationName("GetPanelDetailsDetail"), [this] { GetPanelDetailsDetail(); });
}

}  // namespace tavrek
