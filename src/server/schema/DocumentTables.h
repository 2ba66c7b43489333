#pragma once

#include <span>

namespace tavrek::server {

// A document kind's tables: header, lines (keyed to the header by Master_Id), and whether
// it holds posted documents (with annulment and posting columns).
struct TDocumentTables {
    const char* Header;
    const char* Line;
    bool Posted;
};

inline constexpr TDocumentTables kDocumentTables[] = {
    {"D_PurchHeader", "D_PurchaseLine", false},
    {"D_PurchOrderBufHeader", "D_PurchOrderBufLine", false},
    {"D_GlobalPurchHeader", "D_GlobalPurchLine", false},
    {"D_PurchInvoiceHeader", "D_PurchInvoiceLine", true},
    {"D_PurchReceiptHeader", "D_PurchReceiptLine", true},
    {"D_PurchCrMemoHeader", "D_PurchCrMemoLine", true},
    {"D_PostPurchOrderHeader", "D_PostPurchOrderLine", true},
};

inline std::span<const TDocumentTables> DocumentTables() { return kDocumentTables; }

}  // namespace tavrek::server
