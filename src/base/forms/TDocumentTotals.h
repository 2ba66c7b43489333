#pragma once

#include <string>
#include <vector>

namespace tavrek {

// A document's totals as a form hands them to the host's totals panel: what the document
// comes to without VAT, its VAT per rate and with VAT, in its own currency and, when that is
// not the local one, in local currency. The form computes them; the panel only shows them.
struct TDocumentTotals {
    struct TRate {
        double Percent = 0.0;
        double Base = 0.0;
        double VAT = 0.0;
    };
    struct TSums {
        double Base = 0.0;
        double VAT = 0.0;
        double Gross = 0.0;
    };
    std::vector<TRate> Rates;  // highest rate first
    TSums Document;
    TSums Local;
    std::string Currency;
    std::string LocalCurrency;
    bool ShowsLocal = false;  // the document's currency is not the local one
};

}  // namespace tavrek
