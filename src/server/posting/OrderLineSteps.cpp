#include "server/posting/OrderLineSteps.h"

#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr int kOrderCompleted = 2;

// What is left to receive and to invoice, as the order editor proposes it next time, from the
// line's new quantities (x).
std::string OpenQuantities() {
    const std::string kept = NetReceivedSql("x");
    const std::string toReceive = "x.Quantity - " + kept + " - x.RejectedQty";
    const std::string toInvoice = "x.Quantity - x.InvoicedQty - x.RejectedQty";
    return "OutstandingQty = " + toReceive + ", QtyRcdNotInvoiced = " + ReceivedNotInvoicedSql("x") +
           ", QtyToReceive = CASE WHEN " + toReceive + " > 0 THEN " + toReceive + " ELSE 0 END, QtyToInvoice = CASE "
           "WHEN x.Type IN (1, 5) THEN " + ReceivedNotInvoicedSql("x") + " WHEN " + toInvoice + " > 0 THEN " + toInvoice +
           " ELSE 0 END";
}

}  // namespace

std::string NetReceivedSql(const std::string& line) {
    return "(COALESCE(" + line + ".ReceivedQty, 0) - COALESCE(" + line + ".ReturnedQty, 0))";
}

std::string ReceivedNotInvoicedSql(const std::string& line) {
    return "(" + NetReceivedSql(line) + " - COALESCE(" + line + ".InvoicedQty, 0))";
}

void LockOrders(TServerContext& ctx, const char* lineTable, const std::string& documentId) {
    SelectRows(ctx.Db,
               std::string("SELECT Id FROM D_PurchHeader WHERE Id IN (SELECT o.Master_Id FROM D_PurchaseLine o JOIN ") +
                   lineTable + " l ON l.OrderLine_Id = o.Id WHERE l.Master_Id = ?)" + ctx.Db.Dialect().LockRow(),
               {documentId});
}

void MoveOrderLines(TServerContext& ctx, const std::string& moves, const TVariantArray& values) {
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchaseLine SET ReceivedQty = x.ReceivedQty, InvoicedQty = x.InvoicedQty, RejectedQty = "
                 "x.RejectedQty, ReturnedQty = x.ReturnedQty, " + OpenQuantities() +
                     " FROM (SELECT o.Id, o.Type, o.Quantity, COALESCE(o.ReceivedQty, 0) + m.Received AS ReceivedQty, "
                     "COALESCE(o.InvoicedQty, 0) + m.Invoiced AS InvoicedQty, COALESCE(o.RejectedQty, 0) + m.Rejected "
                     "AS RejectedQty, COALESCE(o.ReturnedQty, 0) + m.Returned AS ReturnedQty FROM (" + moves +
                     ") AS m JOIN D_PurchaseLine o ON o.Id = m.OrderLine_Id) AS x WHERE D_PurchaseLine.Id = x.Id",
                 values);
    // Goods returned or a document annulled open a completed order again.
    TVariantArray statusValues = values;
    statusValues.push_back(kOrderCompleted);
    const std::string completed = "?" + std::to_string(statusValues.size());
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchHeader SET DocStatus = CASE WHEN EXISTS (SELECT 1 FROM D_PurchaseLine l WHERE "
                 "l.Master_Id = D_PurchHeader.Id AND (COALESCE(l.Quantity, 0) - COALESCE(l.InvoicedQty, 0) - "
                 "COALESCE(l.RejectedQty, 0) > 1e-9 OR " + ReceivedNotInvoicedSql("l") + " > 1e-9)) THEN (CASE WHEN "
                 "DocStatus = " + completed + " THEN 0 ELSE DocStatus END) ELSE " + completed + " END WHERE Id IN "
                 "(SELECT o.Master_Id FROM D_PurchaseLine o WHERE o.Id IN (SELECT m.OrderLine_Id FROM (" + moves +
                 ") AS m))",
                 statusValues);
}

void ReturnInvoiceToOrders(TServerContext& ctx, const std::string& invoiceId, int64_t transactionNo) {
    MoveOrderLines(ctx,
                   "SELECT l.OrderLine_Id, -SUM(CASE WHEN EXISTS (SELECT 1 FROM G_ItemEntry e WHERE e.Line_Id = l.Id AND "
                   "e.Document_Id = ?1 AND e.TransactionNo = ?2 AND e.Quantity > 0) THEN l.Quantity ELSE 0 END) AS "
                   "Received, -SUM(l.Quantity) AS Invoiced, 0 AS Rejected, 0 AS Returned FROM D_PurchInvoiceLine l WHERE "
                   "l.Master_Id = ?1 AND l.OrderLine_Id IS NOT NULL GROUP BY l.OrderLine_Id",
                   {invoiceId, transactionNo});
}

}  // namespace tavrek::server
