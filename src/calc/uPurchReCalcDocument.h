#pragma once

namespace tavrek {
class TClientDataSet;
class TVATTotals;
}  // namespace tavrek

namespace tavrek::uPurchCallculations {

// Recomputes a whole document: renumbers the lines 1, 2, 3 ..., runs PurchLineDiscountOnChange
// on each (so every invoice-discount share drops to 0), collects the lines by VAT rate in
// VATTotals and writes its six totals into the header (left in edit mode, not posted).
// The flag must be clear, or the lines are taken as they are. Logs
// "TfEdPurchase.acReCalDocumentExecute".
void PurchReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                TVATTotals& VATTotals);

}  // namespace tavrek::uPurchCallculations
