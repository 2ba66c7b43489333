#include "server/demo/DemoSalesHistory.h"

#include <stdexcept>

#include "base/data/TDateTime.h"
#include "server/SqlValue.h"
#include "server/TSchemaCatalog.h"
#include "server/db/TDbTransaction.h"
#include "server/demo/TDemoCompany.h"
#include "server/procedures/SaleShipmentProcedures.h"

namespace tavrek::server {
namespace {

constexpr const char* kFirstItem = "1016";
constexpr const char* kLastItem = "1031";
constexpr int kMonths = 11;

// Each item sells the same every month, 4 to 10 of it, and was bought for the year with 0 to
// 14 to spare: what is left decides whether it is below its minimum of 12.
double MonthlySale(int item) { return 4 + (item * 5) % 7; }
double LeftOver(int item) { return (item * 7) % 15; }

TRequestResult HistoryItems(TDbSession& db) {
    return SelectRows(db,
                      "SELECT i.Code, v.Code, COALESCE(i.VATProdPostGroup_Id, ''), COALESCE(i.LastDirectCost, 0) FROM "
                      "N_Item i JOIN N_Contragent v ON v.Id = i.Vendor_Id WHERE i.Comp_Id = ? AND i.Code BETWEEN ? AND ? "
                      "ORDER BY i.Code",
                      {kDemoCompanyId, kFirstItem, kLastItem});
}

void WriteMonthOrder(TDbSession& db, int month, const TRequestResult& items) {
    const std::string id = "SO-DEMO-H" + std::to_string(month);
    const TDateTime ordered = TDateTime::FromDate(2026, month, 12), due = TDateTime::FromDate(2026, month, 20);
    ExecuteBound(db,
                 "INSERT INTO D_SaleOrderHeader (Id, Comp_Id, DocumentNo, DocumentDate, Store_Id, BusinessGroup_Id, "
                 "DocStatus, Comment) VALUES (?, ?, ?, ?, 'S01', ?, 0, 'Месечна поръчка на магазин')",
                 {id, kDemoCompanyId, "ПП-2026-" + std::to_string(100 + month), ordered, kDemoBusinessGroupId});
    for (size_t i = 0; i < items.Rows.size(); ++i)
        ExecuteBound(db,
                     "INSERT INTO D_SaleOrderLine (Master_Id, Id, Comp_Id, Line_No, Item_Id, Description, Quantity, "
                     "ShippedQty, DueDate) SELECT ?, ?, Comp_Id, ?, Id, Name, ?, 0, ? FROM N_Item WHERE Comp_Id = ? AND "
                     "Code = ?",
                     {id, id + "-" + std::to_string(i + 1), static_cast<int64_t>(i + 1),
                      MonthlySale(static_cast<int>(i)), due, kDemoCompanyId, items.Rows[i][0].AsString()});
}

}  // namespace

std::vector<TDemoStockDelivery> DemoStockDeliveries(TDbSession& db) {
    std::vector<TDemoStockDelivery> deliveries;
    const TRequestResult items = HistoryItems(db);
    for (size_t i = 0; i < items.Rows.size(); ++i) {
        const TVariantArray& row = items.Rows[i];
        if (deliveries.empty() || deliveries.back().VendorCode != row[1].AsString())
            deliveries.push_back({row[1].AsString(), {}});
        const int item = static_cast<int>(i);
        deliveries.back().Lines.push_back(
            {row[0].AsString(), row[2].AsString(), kMonths * MonthlySale(item) + LeftOver(item), row[3].AsFloat()});
    }
    return deliveries;
}

void AddDemoSalesHistory(TDbSession& db) {
    TDbTransaction transaction(db, TTransactionKind::tkWrite);
    const TRequestResult items = HistoryItems(db);
    const TSchemaCatalog catalog(db);
    TServerContext ctx{db, catalog, {kDemoCompanyId, kDemoBusinessGroupId, kDemoUserId}, {}, {}};
    for (int month = 1; month <= kMonths; ++month) {
        WriteMonthOrder(db, month, items);
        const std::string id = "SO-DEMO-H" + std::to_string(month);
        if (ShipSaleOrder(ctx, id, TDateTime::FromDate(2026, month, 20)) <= 0)
            throw std::logic_error("demo sale order " + id + " not shipped: " + ctx.RefusalKey);
    }
    transaction.Commit();
}

}  // namespace tavrek::server
