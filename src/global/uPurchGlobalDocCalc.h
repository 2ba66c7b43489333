#pragma once

namespace tavrek {
class TClientDataSet;
class TVATTotals;
}  // namespace tavrek

// Calculation routines of global (consolidated) documents: invoices, protocols, credit memos
// and credit memo protocols. Their lines use the global names DirectUnitCost, UnitCost,
// LineDiscount_percent, IndirectCost_percent, QtyPerUnit, VatValue_LCY and, when the line has
// it, Inv_DiscountAmount; whether prices include VAT is the header's PriceIncludingVAT.
//
// Computing routines save, set and restore the Calculating flag; field rules return when it is
// set, otherwise set it and clear it when they end. Every failure is logged under
// "uPurchGlobalDocCalc.<routine>" and ends the routine; "err_VATConfiguration" when the VAT setup
// ("G_VATPostingSetup": "VATPercent, VATCalculationType, SalesVATLedger") is missing or ambiguous.
namespace tavrek::uPurchGlobalDocCalc {

void PurchCalcTotalAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchUpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchUpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

// DirectUnitCost, LineDiscount_percent or LineDiscountAmount changed: the amount follows the percent.
void PurchLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The same after Quantity_Base := Quantity × QtyPerUnit (QtyPerUnit 0 becomes 1).
void PurchGlobalLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchLineDiscountAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchTotalPriceOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchUnitCost_LCYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchUnitCostOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// Tests the flag but does not set it: the bound DirectUnitCost handler recomputes each line.
void PurchCurrencyOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// Neither tests nor sets the flag; amounts are left to the editor's recalculation.
void PurchGlobalPriceIncudingVATOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchVATProdPostGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The header's VATBusPostGroup_Id goes to every line; a line whose VAT already matches the
// setup keeps its rate and price, and the walk goes on to the next line.
void PurchVATBusPostGroupOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// Price request with the raw line Type for lines of Type 1, 3 or 6.
void PurchCodeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                            bool LookupPrice);
void PurchGlobalMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                                bool LookupPrice);
// Global counterparts of the header rules of ordinary purchase documents.
void PurchContragentFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice);
void PurchSubDocTypeFieldOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool LookupPrice);

// Whole global document: a line whose VAT base differs from its value enters the VAT groups
// with its base; the header totals come from the sum of the line values (or, when that is 0,
// from the base and gross totals of the groups).
void PurchGlobalReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                      TVATTotals& VATTotals);
// Whole document with the ordinary per-line rule; the header takes the six group totals.
void PurchReCalcDocumentExecute(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                TVATTotals& VATTotals);

}  // namespace tavrek::uPurchGlobalDocCalc
