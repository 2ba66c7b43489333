#pragma once

#include <string>

#include "base/forms/TfBaseEditMasterDetail.h"

namespace tavrek {

// A line-based document editor with a side panel (pFloat) about the header and the current
// line. Moving between lines refreshes the line part after a short delay (tmrPanel), so
// scrolling through a long grid asks the server only once.
class TfBaseEditDocumentPanel : public TfBaseEditMasterDetail {
public:
    TfBaseEditDocumentPanel();
    std::string ClassName() const override { return "TfBaseEditDocumentPanel"; }

    TTimer tmrPanel{"tmrPanel", 300};

    void cdsDetailAfterScroll() override;

protected:
    void DataSetOpened(TFormDataSet& dataSet) override;
    void RefreshPanel();
};

}  // namespace tavrek
