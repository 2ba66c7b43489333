#pragma once

#include <string>

namespace tavrek::server {

// Import documents of a vendor's delivery: the header names the vendor, the lines what the
// vendor sent, each line's distribution the order lines (and the sale order line or business
// group) its quantity went to, until a buffer carries it out. Views give every open order line
// with what is still free of it, and the candidates of an import's lines.
std::string OrderImportSchemaSql();

}  // namespace tavrek::server
