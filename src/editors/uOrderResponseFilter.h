#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace tavrek {

// What a vendor answers for one line of an order: the order line it names (its LineID or
// the item), the line status (UNCL 1229: 3 changed, 5 accepted, 7 not accepted) and, for a
// changed line, the quantity and price it accepts.
struct TOrderResponseLine {
    std::string Where;         // "OrderLine 2", for messages
    std::string OrderLineId;   // the order's line number, when given
    std::string VendorItemNo;  // SellersItemIdentification
    std::string BuyerItemNo;   // BuyersItemIdentification: our item number
    std::string Status;
    double Quantity = 0.0, Price = 0.0;
    bool HasQuantity = false, HasPrice = false;
};

// A UBL 2.1 OrderResponse of PEPPOL BIS Ordering 3: the response code (AB acknowledged, AP
// accepted, RE rejected, CA conditionally accepted with its changed lines) and the order it
// answers. An OrderResponseSimple reads as AP or RE by its AcceptedIndicator.
struct TOrderResponse {
    std::string Id, Code, OrderNo;
    std::vector<TOrderResponseLine> Lines;
};

// A response that cannot serve as a confirmation; the text names the element, in Bulgarian.
class EOrderResponse : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

TOrderResponse ParseOrderResponse(const std::string& xml);
TOrderResponse ReadOrderResponse(const std::string& path);

}  // namespace tavrek
