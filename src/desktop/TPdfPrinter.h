#pragma once

#include <QString>

#include "base/forms/TPrintRequest.h"

namespace tavrek::desktop {

// Renders the printout of a form to a PDF file. A purchase document prints on the layout of
// its print form or of its kind; a form that shows no document (a worksheet) prints its
// caption and each shown grid with its rows and footers, read without moving the cursor.
class TPdfPrinter {
public:
    static QString Html(const TPrintRequest& request);
    // What the printed file is called: kind and number ("Фактура 0000000005"), else the form's caption.
    static QString DocumentName(const TPrintRequest& request);
    // Throws std::runtime_error when the file cannot be written.
    static void Render(const TPrintRequest& request, const QString& path);
};

}  // namespace tavrek::desktop
