#pragma once

#include <string>

#include "documents/uEdPurchase.h"

namespace tavrek::testing {

// Types a new invoice of the demo vendor 5003 (subtype SD-520) in the shown editor, with
// 10 x 0.95 of item 1008 at 20 % and 2.5 x 9.80 of item 1010 at the given VAT group,
// recalculates and saves it; returns its id.
std::string SaveDemoInvoice(TfEdPurchase& editor, const std::string& vendorInvoiceNo, const std::string& secondVAT);

}  // namespace tavrek::testing
