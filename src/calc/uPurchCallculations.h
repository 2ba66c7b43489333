#pragma once

// The purchase business rules that run on the client while a document is edited: free
// routines over the current records of the header (cdsMaster) and line (cdsDetail)
// datasets, with the editor's Calculating flag by reference. Fields are found by name.
//
// This header reaches every routine of the unit: the line computations and line field
// rules below, the price and quantity rules (uPurchPriceRules.h), the header rules
// (uPurchHeaderRules.h), the whole-document recalculation (uPurchReCalcDocument.h) and the
// standard field binding that editors attach in one call (uPurchStandardBinding.h).

#include "calc/uPurchHeaderRules.h"
#include "calc/uPurchPriceRules.h"
#include "calc/uPurchReCalcDocument.h"
#include "calc/uPurchStandardBinding.h"

namespace tavrek {
class TClientDataSet;
}

namespace tavrek::uPurchCallculations {

// Line computations. They do not test the flag: they save it, set it, and put the saved value
// back when they end, also after a failure, which is logged and swallowed. The line must be
// in edit or insert mode already. Callers that run both run PurchUpdateUnitCost first.

// TotalPrice from price, quantity and discount, then PurchUpdateVATAmounts.
void PurchCalcTotalAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// TotalValue, VATBaseAmount, the local-currency amounts, VATValue and TotalVAT.
void PurchUpdateVATAmounts(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// UnitCost_ACY and UnitCost_LCY after discounts and indirect costs.
void PurchUpdateUnitCost(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

// Line field rules. Each returns at once when the flag is set; otherwise it sets the flag and
// clears it (false) when it ends. Rules without a log label pass exceptions on.

// LineDiscount, DirectUnitCost_ACY or LineDiscountAmount changed: the amount follows the percent.
void PurchLineDiscountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The percent follows LineDiscountAmount.
void PurchLineDiscountAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The user typed TotalPrice: the discount absorbs the difference.
void PurchTotalPriceOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The user typed a unit cost: the discount percent follows. Logs "TfEdPurchase.UnitCost_LCYOnChange".
void PurchUnitCost_LCYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchUnitCost_ACYOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchAllowInvoiceDiscOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// Logs "TfEdPurchase.InvDiscAmountOnChange".
void PurchInvDiscAmountOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchIndirectCostPercentOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

}  // namespace tavrek::uPurchCallculations
