#pragma once

#include <string>
#include <vector>

#include "base/forms/TFormRegistry.h"
#include "base/forms/TfBaseEditDocumentPanel.h"
#include "support/HeadlessFormHost.h"
#include "support/SessionTest.h"

namespace tavrek::testing {

// Documents as the server holds them for the form tests: headers and lines answered to
// RequestData by the filter's value.
struct TStoredDocuments {
    std::vector<TVariantArray> Headers;  // Id, Comp_Id, DocumentNo, N_Contragent_Code, TotalValue
    std::vector<TVariantArray> Lines;    // Id, Master_Id, Comp_Id, Code, Quantity

    void ScriptOn(ScriptedServer& server) const;
};

// A purchase-like document editor over the test providers.
class TfTestDocument : public TfBaseEditDocumentPanel {
public:
    TfTestDocument();
    std::string ClassName() const override { return "TfTestDocument"; }

    int PanelMasterCalls = 0;
    int PanelDetailCalls = 0;
    TRequestResult PrintForms;
    std::vector<TRequestResult> Processed;
    std::string FailIn;  // name of a handler that throws, to watch the failure path

    void GetPanelDetailsMaster() override;
    void GetPanelDetailsDetail() override { ++PanelDetailCalls; }
    TRequestResult GetPrintDocument() override { return PrintForms; }
    void ProcessSelectedRecords(const TRequestResult& rows) override;
    void PostDocument(bool print) override;
};

// A session with a scripted server, scripted dialogs, a headless host and an empty registry.
class FormTest : public SessionTest {
protected:
    TFormRegistryScope registry;
    HeadlessFormHost host;
};

}  // namespace tavrek::testing
