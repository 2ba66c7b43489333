#pragma once

#include <string>

namespace tavrek {

struct TUblInvoice;

// Whether a vendor's document adds up: its lines to its line total, its allowances and
// charges to theirs, each VAT category to its taxable amount and VAT, and the totals to
// the amount payable, each within a cent. Returns what does not add up, or an empty text.
std::string CheckUblTotals(const TUblInvoice& document);

}  // namespace tavrek
