#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"

namespace tavrek {

// A VAT category as the vendor states it: its code (S standard, Z zero, E exempt,
// AE reverse charge, O outside scope, ...) and its percentage (0 where none is given).
struct TUblTaxCategory {
    std::string Code;
    double Percent = 0.0;

    bool operator==(const TUblTaxCategory&) const = default;
    // "S 20%", for messages.
    std::string Caption() const;
};

// An allowance (IsCharge false) or a charge, of a line or of the whole document.
struct TUblAllowanceCharge {
    bool IsCharge = false;
    double Amount = 0.0;
    double Percent = 0.0;  // 0 when given as an amount only
    std::string Reason;
    TUblTaxCategory Category;  // document level only
};

// The vendor's VAT of one category: taxable amount and VAT in the document currency.
struct TUblTaxSubtotal {
    TUblTaxCategory Category;
    double TaxableAmount = 0.0;
    double TaxAmount = 0.0;
};

// One line of a vendor's invoice or credit note, in the terms our purchase lines use.
struct TUblInvoiceLine {
    std::string Id;
    std::string Code;         // the vendor's own item number
    std::string BuyerCode;    // our item number, when the vendor knows it
    std::string Barcode;      // standard item identification (GTIN), when given
    std::string Description;  // the item name
    std::string Measure_Id;   // the unit code of the quantity
    std::string SerialNo;
    std::string PartNo;
    double Quantity = 0.0;
    double NetPrice = 0.0;      // the vendor's price for BaseQuantity units
    double GrossPrice = 0.0;    // before the price discount; equals NetPrice when none is given
    double BaseQuantity = 1.0;  // the units the price is for
    double DirectUnitCost = 0.0;  // NetPrice / BaseQuantity, without VAT
    std::vector<TUblAllowanceCharge> AllowanceCharges;
    double LineAmount = 0.0;  // the vendor's published line amount
    TUblTaxCategory Category;

    // What identifies the item to the vendor: its number, else ours, else the GTIN, else the name.
    const std::string& VendorKey() const;
    // Quantity x unit cost less allowances plus charges, unrounded.
    double ComputedAmount() const;
};

// The document totals the vendor published.
struct TUblTotals {
    double LineExtensionAmount = 0.0;
    double AllowanceTotalAmount = 0.0;
    double ChargeTotalAmount = 0.0;
    double TaxExclusiveAmount = 0.0;
    double TaxAmount = 0.0;
    double TaxInclusiveAmount = 0.0;
    double PrepaidAmount = 0.0;
    double PayableRoundingAmount = 0.0;
    double PayableAmount = 0.0;
};

// A vendor's invoice or credit note read from a UBL 2.1 document. The reader refuses a
// document whose lines do not add up to its published totals beyond rounding.
struct TUblInvoice {
    bool IsCreditNote = false;
    std::string DocumentNo;
    TDateTime DocumentDate;
    TDateTime DueDate;
    bool HasDueDate = false;
    std::string PayMethod;
    std::string Currency;
    std::string TaxCurrency;            // when VAT is also stated in another currency
    double TaxAmountInTaxCurrency = 0.0;
    std::string Comment;
    std::string TypeCode;
    std::string OrderReference;
    // The vendor's invoice a credit note corrects, when it names one.
    std::string CreditedInvoiceNo;
    TDateTime CreditedInvoiceDate;
    bool HasCreditedInvoiceDate = false;
    std::vector<TUblInvoiceLine> Lines;
    std::vector<TUblAllowanceCharge> AllowanceCharges;
    std::vector<TUblTaxSubtotal> TaxSubtotals;
    TUblTotals Totals;

    // Throws EPartnerError naming the file and what is wrong with it.
    static TUblInvoice ReadFile(const std::string& path);
    static TUblInvoice ReadText(const std::string& xml, const std::string& sourceName);
};

}  // namespace tavrek
