#include "server/posting/OrderLineSteps.h"

#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr int kOrderCompleted = 2;

}  // namespace

void RefreshOrderLines(TServerContext& ctx, const char* lineTable, const std::string& documentId) {
    const std::string orderLines = std::string("SELECT OrderLine_Id FROM ") + lineTable + " WHERE Master_Id = ?";
    // What is left to receive and to invoice, as the order editor proposes it next time; goods
    // sent back are no longer received.
    const std::string kept = "(COALESCE(ReceivedQty, 0) - COALESCE(ReturnedQty, 0))";
    const std::string toReceive = "Quantity - " + kept + " - RejectedQty";
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchaseLine SET OutstandingQty = " + toReceive + ", QtyRcdNotInvoiced = " + kept +
                     " - InvoicedQty, QtyToReceive = CASE WHEN " + toReceive + " > 0 THEN " + toReceive +
                     " ELSE 0 END, QtyToInvoice = CASE WHEN Type IN (1, 5) THEN " + kept +
                     " - InvoicedQty WHEN Quantity - InvoicedQty - RejectedQty > 0 THEN Quantity - InvoicedQty - "
                     "RejectedQty ELSE 0 END WHERE Id IN (" + orderLines + ")",
                 {documentId});
    // An order is completed when everything on it is invoiced or rejected; goods returned or an
    // invoice annulled since open it again.
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchHeader SET DocStatus = CASE WHEN EXISTS (SELECT 1 FROM D_PurchaseLine l WHERE "
                 "l.Master_Id = D_PurchHeader.Id AND (COALESCE(l.Quantity, 0) - COALESCE(l.InvoicedQty, 0) - "
                 "COALESCE(l.RejectedQty, 0) > 1e-9 OR COALESCE(l.ReceivedQty, 0) - COALESCE(l.ReturnedQty, 0) - "
                 "COALESCE(l.InvoicedQty, 0) > 1e-9)) THEN (CASE WHEN DocStatus = ?1 THEN 0 ELSE DocStatus END) ELSE ?1 "
                 "END WHERE Id IN (SELECT o.Master_Id FROM D_PurchaseLine o WHERE o.Id IN (SELECT OrderLine_Id FROM " +
                     std::string(lineTable) + " WHERE Master_Id = ?2))",
                 {kOrderCompleted, documentId});
}

void ReturnInvoiceToOrders(TServerContext& ctx, const std::string& invoiceId, int64_t transactionNo) {
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchaseLine SET InvoicedQty = COALESCE(InvoicedQty, 0) - x.Qty, ReceivedQty = "
                 "COALESCE(ReceivedQty, 0) - x.Received FROM (SELECT l.OrderLine_Id, SUM(l.Quantity) AS Qty, "
                 "SUM(CASE WHEN EXISTS (SELECT 1 FROM G_ItemEntry e WHERE e.Line_Id = l.Id AND e.Document_Id = ?1 AND "
                 "e.TransactionNo = ?2 AND e.Quantity > 0) THEN l.Quantity ELSE 0 END) AS Received FROM "
                 "D_PurchInvoiceLine l WHERE l.Master_Id = ?1 AND l.OrderLine_Id IS NOT NULL GROUP BY l.OrderLine_Id) "
                 "AS x WHERE D_PurchaseLine.Id = x.OrderLine_Id",
                 {invoiceId, transactionNo});
    RefreshOrderLines(ctx, "D_PurchInvoiceLine", invoiceId);
}

}  // namespace tavrek::server
