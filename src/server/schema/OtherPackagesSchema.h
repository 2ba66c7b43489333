#pragma once

#include <string>

namespace tavrek::server {

// What the forms of other packages that purchase forms open by number read: the views
// of their selectors (lines of posted documents, open order lines, contragents by kind),
// the producers and product groups of the nomenclature, and the captions of the
// selectors, as one schema step.
std::string OtherPackagesSchemaSql();
// Payments to vendors numbered by a series, in the paid document's currency, annulled.
std::string VendorPaymentUpgradeSql();
// Stock checks of posted receipts with their counted lines.
std::string GoodsCheckSchemaSql();
// The selectors of posted lines know which lines are in a consolidated document already.
std::string SourceLinesInGlobalDocumentsSql();
// The order lines the order line selection computes quantities over, and the fields of a
// vendor's file of quantities.
std::string OrderLineSelectionSql();
// Order lines keep every receipt in ReceivedQty; returns, once taken off it, are added back,
// and the order line views read what is kept as received less returned.
std::string KeptReceiptsSql();
// The vendor's order lines a buffer places a vendor's document on.
std::string OrderLinesToPlaceSql();

}  // namespace tavrek::server
