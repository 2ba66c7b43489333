#pragma once

#include <string>

namespace tavrek {

// The answer to a price request: the vendor's proposed price and discount for a line.
struct TItemParams {
    double Price = 0.0;
    double Discount = 0.0;
    bool AllowInvoiceDisc = false;
    std::string Currency_Id;
    std::string Measure_Id;
};

}  // namespace tavrek
