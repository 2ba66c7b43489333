#pragma once

#include <string>
#include <vector>

#include "server/db/TDbSession.h"

namespace tavrek::server {

// One delivery of the stock the Sofia store sold from in 2026: the vendor's code and, per
// item of that vendor, the quantity and unit cost received on 5 January.
struct TDemoStockDelivery {
    std::string VendorCode;
    struct TLine {
        std::string ItemCode, VATGroup;
        double Quantity = 0, Cost = 0;
    };
    std::vector<TLine> Lines;
};

// The deliveries of the pantry, oils and household items (1016 to 1031) from their vendors,
// read from the item cards, with enough of each for the year's sales and a few left over.
std::vector<TDemoStockDelivery> DemoStockDeliveries(TDbSession& db);

// A year of the Sofia store's sales of those items: a customer's order each month from
// January to November, shipped on the 20th from the January stock, so that the worksheets
// have daily demand to work from and the items end near or below their minimum stock. The
// deliveries must have been posted first.
void AddDemoSalesHistory(TDbSession& db);

}  // namespace tavrek::server
