#pragma once

#include <string>

namespace tavrek::server {

// What posting order buffers needs beside the documents: the account of goods received
// without their invoice, the order lines looked up from buffers and receipts, and the texts
// of its refusals.
const std::string& OrderPostingSchemaSql();
// The messages of refused receipt annulments.
const std::string& ReceiptAnnulmentSchemaSql();
// The messages of refused return annulments, and of receipts whose goods a return took.
const std::string& OrderDocumentAnnulmentSchemaSql();

// Completed orders are kept as posted orders, found by their order; they are not annulled alone.
const std::string& PostedOrdersSchemaSql();

}  // namespace tavrek::server
