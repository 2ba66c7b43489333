#pragma once

#include <string>
#include <vector>

namespace tavrek::testing {

struct TUblSampleLine {
    std::string Code;  // the vendor's item number; none when empty
    std::string Name;
    double Quantity = 1.0;
    double Price = 0.0;
    double VATPercent = 20.0;
    double Allowance = 0.0;  // a line allowance as an amount
    std::string Barcode;     // the GTIN; none when empty
};

// A small UBL 2.1 invoice or credit note whose totals add up, for tests and benchmarks.
struct TUblSample {
    std::string Number = "F-100";
    std::string Currency = "EUR";
    std::string Note = "Доставка";
    bool CreditNote = false;
    std::string CreditedInvoice;  // the vendor's invoice a credit note corrects, issued 2026-11-02
    std::vector<TUblSampleLine> Lines;
    double DocumentAllowance = 0.0;  // on the first line's VAT rate

    std::string Xml() const;
};

}  // namespace tavrek::testing
