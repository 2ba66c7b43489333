#pragma once

#include "base/server/TRequestResult.h"

namespace tavrek {
class TClientDataSet;
}

// Price proposals, the item, unit-of-measure and quantity rules, and the switch of a whole
// document between prices with and without VAT. Reached through calc/uPurchCallculations.h.
namespace tavrek::uPurchCallculations {

// The 18-value price request for the current header and line, in the order the server
// reads it: 0, 0 (int), Contragent_Id, Code, Measure_Id, Currency_Id, VATBusPostGroup_Id
// (text), header PriceIncludingVAT (int), N_SubDocument_Code (text), Quantity (double),
// DocumentDate (TDateTime), Quantity_Base (double), VATProdPostGroup_Id (text),
// CurrencyFactor (double), item kind code (int: Type when Type <= 1, else Type + 1),
// "" (text), BusinessGroup_Id of the header or of the line (text), Null.
TVariantArray PurchPriceRequest(TClientDataSet& Header, TClientDataSet& Line, bool businessGroupFromHeader);

// How a caller applies a proposal: whether it copies AllowInvoiceDisc, whether the price is
// compared with OriginalPrice at two decimals (the quantity rule) or exactly, and whose
// BusinessGroup_Id the request carries.
struct TPriceProposalOptions {
    bool CopyAllowInvoiceDisc = false;
    bool CompareAtTwoDecimals = false;
    bool BusinessGroupFromHeader = false;
};

// Asks GetItemPriceAndDiscount for lines of Type 1 or 5 of a document with a vendor when
// LookupPrice is true, and applies a found proposal that differs from the remembered one
// (OriginalPrice, OriginalDiscount). A non-zero answer changes nothing. The caller holds the
// Calculating flag.
void PurchApplyPriceProposal(TClientDataSet& Header, TClientDataSet& Line, bool LookupPrice,
                             const TPriceProposalOptions& options);

// Quantity changed: QtyPerUnitOfMeasure 0 becomes 1, a fixed asset (Type 4) keeps quantity 1,
// Quantity_Base follows, the price proposal runs, then PurchLineDiscountOnChange.
// Nothing when Calculating or Suspended. Logs "TfEdPurchase.QuantityOnChange".
void PurchQuantityOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                           bool LookupPrice);
// Code changed: a fixed asset gets its default depreciation book from "N_FADeprBookLine"
// (field "DeprBook_Id"), the price proposal runs, QtyPerUnitOfMeasure := 1, the line is
// recomputed. Logs "TfEdPurchase.CodeOnChange".
void PurchCodeOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                       bool LookupPrice);
// Measure_Id changed: the price proposal, then PurchLineDiscountOnChange. Logs "TfEdPurchase.MeasureOnChange".
void PurchMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating, bool Suspended,
                          bool LookupPrice);
// Logs "TfEdPurchase.FielQtyPerUnitOnChange".
void PurchQtyPerUnitOfMeasureOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
// The header's PriceIncludingVAT changed: every line whose flag differs is converted so that its
// prices keep their value. Neither tests nor sets the flag, so the handler bound to
// DirectUnitCost_ACY recomputes each line. Logs "TfEdPurchase.PriceIncudingVATonChange".
void PurchPriceIncudingVATOnChange(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

// One line takes the header's PriceIncludingVAT: DirectUnitCost_ACY (and OriginalPrice when asked)
// is divided by 1 + VATPercent/100, the percent as a whole number, when the line goes from 1 to
// 0, multiplied otherwise, rounded to the unit price decimals. The line must be writable.
void PurchConvertLinePriceBasis(TClientDataSet& Header, TClientDataSet& Line, bool withOriginalPrice);
// Order lines: throw the text of "err_QuantityReceivedValidation" when QtyToReceive +
// ReceivedQty exceeds Quantity (returned goods no longer count as received), and a fixed
// text when QtyToInvoice + InvoicedQty does.
void PurchValidateQuantityReceived(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);
void PurchValidateQuantityInvoiced(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

}  // namespace tavrek::uPurchCallculations
