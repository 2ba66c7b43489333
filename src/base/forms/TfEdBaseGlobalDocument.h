#pragma once

#include <string>

#include "base/forms/TfBaseEditDocumentPanel.h"

namespace tavrek {

// The editor of a consolidated document assembled from lines of posted documents.
class TfEdBaseGlobalDocument : public TfBaseEditDocumentPanel {
public:
    TfEdBaseGlobalDocument();
    std::string ClassName() const override { return "TfEdBaseGlobalDocument"; }

    // The form number of the list the editor belongs to (10830, 10840); 0 for none.
    int LinkedFormNumber = 0;
};

}  // namespace tavrek
