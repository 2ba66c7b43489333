#pragma once

#include <string>

#include "lists/uOrdImportFile.h"

namespace tavrek {

// A delivery in CSV (RFC 4180, UTF-8 with or without a byte order mark, comma or semicolon
// separated): the first row names the columns, each one of VendorItemNo, Code, GTIN,
// Description, Quantity, UnitCode, OrderNo. Quantity and one of the item columns are
// required. Throws EOrdImportFile naming the row or column at the first fault.
TOrdImportFile ParseOrdImportCsv(const std::string& text);
TOrdImportFile ReadOrdImportCsv(const std::string& path);

}  // namespace tavrek
