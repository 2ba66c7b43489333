#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tavrek {

// What a vendor's document line brings: our item's code (empty when it maps to no item) and
// its quantity.
struct TVendorQuantity {
    std::string Code;
    double Quantity = 0.0;
};

// An open order line of the vendor with the quantities that tell what it can still take;
// CalculatedQTY is what buffers hold of it already.
struct TOpenOrderLine {
    std::string Code;
    double Quantity = 0.0, ReturnedQty = 0.0, ReceivedQty = 0.0, RejectedQty = 0.0, CalculatedQTY = 0.0;
};

// A part of a vendor line placed on an order line, or a free line when OrderLine is empty.
struct TPlacedQuantity {
    size_t VendorLine = 0;
    std::optional<size_t> OrderLine;
    double Quantity = 0.0;
};

// Places the vendor's lines on the order lines of the same item, in the order given, each
// order line taking at most what it offers (ordered and returned, less received, rejected and
// held by buffers); what is placed on it is no longer offered to later vendor lines. What no
// order line takes becomes a free line; a line without an item or quantity places nothing.
class TVendorLinePlacement {
public:
    static std::vector<TPlacedQuantity> Place(const std::vector<TVendorQuantity>& vendorLines,
                                              const std::vector<TOpenOrderLine>& orderLines);
};

}  // namespace tavrek
