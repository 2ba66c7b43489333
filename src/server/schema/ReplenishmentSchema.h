#pragma once

#include <string>

namespace tavrek::server {

// What the worksheets read of an item: its minimum stock and order multiple on the card, and
// per vendor and item the least a vendor takes and the days its deliveries take.
std::string ItemReplenishmentSql();
// Sale orders with lines, due dates, store and business group; shipped quantities.
std::string SaleOrdersSql();
// The suggestion rows of the three worksheets and the saved suggestion documents, each row
// with the figures it was computed from.
std::string PurchOrderSuggestionSql();
// A saved suggestion shows the names of the vendor and producer it was narrowed to.
std::string SuggestionNamesSql();
// Sales leave stock at the cost of what they take; the server refuses sale orders a store
// could not ship, by the keys the sale order editor shows.
std::string SaleShipmentSql();

}  // namespace tavrek::server
