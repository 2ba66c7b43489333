#pragma once

#include <QString>

#include "base/forms/TPrintRequest.h"

namespace tavrek::desktop {

// Renders the printout of a form to a PDF file. A purchase invoice whose print form is the
// invoice layout prints as an invoice; anything else prints its caption, the header fields
// with their values, and each shown grid with its rows and footers, read from the records
// without moving the cursor.
class TPdfPrinter {
public:
    static QString Html(const TPrintRequest& request);
    // Throws std::runtime_error when the file cannot be written.
    static void Render(const TPrintRequest& request, const QString& path);
};

}  // namespace tavrek::desktop
