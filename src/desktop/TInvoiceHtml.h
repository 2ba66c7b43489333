#pragma once

#include <QString>

#include "documents/TPurchInvoicePrintout.h"

namespace tavrek::desktop {

// The printed purchase invoice: the parties side by side, the document data, the lines
// with right-aligned numbers, the VAT per rate and the totals in document and local
// currency, as rich text for the PDF writer.
class TInvoiceHtml {
public:
    static QString Html(const TPurchInvoicePrintout& invoice);
};

}  // namespace tavrek::desktop
