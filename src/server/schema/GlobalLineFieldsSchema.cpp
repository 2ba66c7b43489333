#include "server/schema/GlobalLineFieldsSchema.h"

namespace tavrek::server {

std::string GlobalLineFieldsSql() {
    std::string sql;
    for (const char* lines : {"D_GlobalPurchLine", "D_PurchInvoiceLine", "D_PurchCrMemoLine"})
        for (const char* column : {"UnitCost REAL DEFAULT 0", "LineDiscount_percent REAL DEFAULT 0",
                                   "IndirectCost_percent REAL DEFAULT 0", "QtyPerUnit REAL DEFAULT 1"})
            sql += std::string("ALTER TABLE ") + lines + " ADD COLUMN " + column + ";\n";
    for (const char* header : {"D_GlobalPurchHeader", "D_PurchInvoiceHeader", "D_PurchCrMemoHeader"})
        sql += std::string("ALTER TABLE ") + header + " ADD COLUMN VATValue_LCY REAL DEFAULT 0;\n";
    // The header's view lists the columns it had when it was made (on PostgreSQL): dropped here
    // and made again after, it shows the transaction number and the local VAT.
    return sql + "DROP VIEW IF EXISTS V_D_GlobalPurchHeader;\n";
}

}  // namespace tavrek::server
