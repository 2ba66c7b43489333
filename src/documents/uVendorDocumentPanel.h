#pragma once

#include <functional>
#include <string>

#include "base/data/TClientDataSet.h"
#include "base/forms/TFormDescription.h"
#include "base/server/TRequestResult.h"

namespace tavrek {

// The vendor's document shown above a purchase editor's header: what the vendor's service
// states of the document chosen, whose number may also be typed to take another one.
class TVendorDocumentPanel {
public:
    // numberTyped runs when the user changes the number, not when a chosen document is shown.
    TVendorDocumentPanel(TClientDataSet& dataSet, std::function<void()> numberTyped);

    // The panel's fields, above the editor's pages; only the number is editable.
    void Describe(TFormDescription& description) const;
    // Shows the row chosen of the documents the service listed.
    void Show(const TRequestResult& documents, int row);
    std::string DocumentNo() const;

private:
    TClientDataSet& dataSet_;
    bool showing_ = false;
};

}  // namespace tavrek
