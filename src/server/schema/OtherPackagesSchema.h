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

}  // namespace tavrek::server
