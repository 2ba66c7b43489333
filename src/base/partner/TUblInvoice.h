#pragma once

#include <string>
#include <vector>

#include "base/data/TDateTime.h"

namespace tavrek {

// One line of a vendor's invoice, in the terms our purchase lines use.
struct TUblInvoiceLine {
    std::string Id;
    std::string Code;         // the vendor's own item number
    std::string Barcode;      // standard item identification (GTIN), when given
    std::string Description;  // the item name
    std::string Measure_Id;   // the unit code of the quantity
    std::string SerialNo;
    std::string PartNo;
    double Quantity = 0.0;
    double DirectUnitCost = 0.0;  // price per unit without VAT
    double LineDiscount = 0.0;    // percent
    double VATPercent = 0.0;
};

// A vendor's invoice read from a UBL 2.1 Invoice document.
struct TUblInvoice {
    std::string DocumentNo;
    TDateTime DocumentDate;
    TDateTime DueDate;
    bool HasDueDate = false;
    std::string PayMethod;
    std::string Currency;
    std::string Comment;
    std::string TypeCode;
    std::string OrderReference;
    std::vector<TUblInvoiceLine> Lines;

    // Throws EPartnerError naming the file and what is wrong with it.
    static TUblInvoice ReadFile(const std::string& path);
    static TUblInvoice ReadText(const std::string& xml, const std::string& sourceName);
};

}  // namespace tavrek
