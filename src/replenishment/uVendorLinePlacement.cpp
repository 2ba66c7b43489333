#include "replenishment/uVendorLinePlacement.h"

#include <algorithm>

#include "base/util/Utils.h"

namespace tavrek {
namespace {

// Quantities are kept to three decimals, so that splitting one leaves no dust.
constexpr int kQuantityDecimals = 3;

double Offer(const TOpenOrderLine& line) {
    return RoundUp(line.Quantity + line.ReturnedQty - line.ReceivedQty - line.RejectedQty - line.CalculatedQTY,
                   kQuantityDecimals);
}

}  // namespace

std::vector<TPlacedQuantity> TVendorLinePlacement::Place(const std::vector<TVendorQuantity>& vendorLines,
                                                         const std::vector<TOpenOrderLine>& orderLines) {
    std::vector<double> offered;
    for (const TOpenOrderLine& line : orderLines) offered.push_back(Offer(line));
    std::vector<TPlacedQuantity> placed;
    for (size_t v = 0; v < vendorLines.size(); ++v) {
        double rest = RoundUp(vendorLines[v].Quantity, kQuantityDecimals);
        if (vendorLines[v].Code.empty() || rest <= 0.0) continue;
        for (size_t o = 0; o < orderLines.size() && rest > 0.0; ++o) {
            if (orderLines[o].Code != vendorLines[v].Code || offered[o] <= 0.0) continue;
            const double taken = std::min(offered[o], rest);
            placed.push_back({v, o, taken});
            offered[o] = RoundUp(offered[o] - taken, kQuantityDecimals);
            rest = RoundUp(rest - taken, kQuantityDecimals);
        }
        if (rest > 0.0) placed.push_back({v, std::nullopt, rest});
    }
    return placed;
}

}  // namespace tavrek
