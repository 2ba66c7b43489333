#pragma once

#include <string>

namespace tavrek::server::ReplenishmentQueries {

// Common table expressions of the suggestion runs, bound ?1 to the company. Each yields one
// row per item it knows of (Item_Id, Qty).
//   OnHand:   the item entries, all stores or (store given) those of one store, ?2;
//   OnOrder:  what open purchase orders still have to receive, to one store's business groups
//             when a store is given (?2);
//   OpenSale: the open sale order lines not yet shipped.
std::string OnHand(bool perStore);
std::string OnOrder(bool perStore);
std::string OpenSale(bool perStore);
// The vendor of each item: its default vendor, else the one it was last bought from.
std::string ItemVendor();
// Raises a quantity to the vendor's least order and rounds it up to the item's order
// multiple; the expressions name the least (moq) and the multiple (mult).
std::string Rounded(const std::string& quantity, const std::string& moq, const std::string& mult);
// The uncovered part of a demand when supply stands before it: between 0 and demand.
std::string Uncovered(const std::string& demand, const std::string& cumulative, const std::string& supply);

}  // namespace tavrek::server::ReplenishmentQueries
