#include "server/posting/OrderAnnulmentSteps.h"

#include <algorithm>

#include "server/SqlValue.h"
#include "server/posting/OrderLineSteps.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr double kNoise = 1e-9;

bool IsKind(TServerContext& ctx, const std::string& id, int kind) {
    return SelectRows(ctx.Db, "SELECT DocumentType FROM D_PostPurchOrderHeader WHERE Id = ?", {id}).Value().AsInteger() ==
           kind;
}

bool IsReturn(TServerContext& ctx, const std::string& id) {
    return IsKind(ctx, id, DocumentType::PostedPurchReturnOrder);
}

// The newest return, not annulled and posted after the receipt, of the receipt's order lines
// when some of the receipt's goods are gone; empty otherwise.
std::string ReturnTakingFrom(TServerContext& ctx, const std::string& receiptId, int64_t transactionNo) {
    return SelectRows(ctx.Db,
                      "SELECT h.DocumentNo FROM D_PostPurchOrderHeader h JOIN D_PostPurchOrderLine l ON l.Master_Id = h.Id "
                      "WHERE h.Comp_Id = ?1 AND h.DocumentType = ?2 AND h.Annul = 0 AND h.TransactionNo > ?3 AND "
                      "l.OrderLine_Id IN (SELECT OrderLine_Id FROM D_PurchReceiptLine WHERE Master_Id = ?4) AND EXISTS "
                      "(SELECT 1 FROM G_ItemEntry e WHERE e.Document_Id = ?4 AND e.TransactionNo = ?3 AND e.Quantity > 0 "
                      "AND e.RemainingQuantity < e.Quantity - 0.000001) ORDER BY h.TransactionNo DESC LIMIT 1",
                      {ctx.Session.CompanyId, DocumentType::PostedPurchReturnOrder, transactionNo, receiptId})
        .Value()
        .AsString();
}

const char* ReceiptRefusal(TServerContext& ctx, const std::string& receiptId, int64_t transactionNo) {
    if (transactionNo == 0) return "err_AnnulReceiptWithInvoice";
    ctx.RefusalArg = ReturnTakingFrom(ctx, receiptId, transactionNo);
    if (!ctx.RefusalArg.empty()) return "err_AnnulReceiptReturned";
    const bool taken = !SelectRows(ctx.Db,
                                   "SELECT 1 FROM (SELECT OrderLine_Id, SUM(Quantity) AS Qty FROM D_PurchReceiptLine "
                                   "WHERE Master_Id = ? AND OrderLine_Id IS NOT NULL GROUP BY OrderLine_Id) AS r JOIN "
                                   "D_PurchaseLine o ON o.Id = r.OrderLine_Id WHERE " +
                                       ReceivedNotInvoicedSql("o") + " < r.Qty - 1e-9 LIMIT 1",
                                   {receiptId})
                            .Empty();
    return taken ? "err_AnnulReceiptInvoiced" : nullptr;
}

const char* ReturnRefusal(TServerContext& ctx, const std::string& returnId) {
    const bool overReceived = !SelectRows(ctx.Db,
                                          "SELECT 1 FROM (SELECT OrderLine_Id, SUM(Quantity) AS Qty FROM "
                                          "D_PostPurchOrderLine WHERE Master_Id = ? AND OrderLine_Id IS NOT NULL GROUP BY "
                                          "OrderLine_Id) AS r JOIN D_PurchaseLine o ON o.Id = r.OrderLine_Id WHERE " +
                                              NetReceivedSql("o") +
                                              " + COALESCE(o.RejectedQty, 0) + r.Qty > COALESCE(o.Quantity, 0) + 1e-9 "
                                              "LIMIT 1",
                                          {returnId})
                                   .Empty();
    return overReceived ? "err_AnnulReturnReceivedAgain" : nullptr;
}

// The return took its goods from the receipts of each order line, oldest first; they go back
// newest first, each receipt taking no more than it has given out.
void GiveBackToReceipts(TServerContext& ctx, const std::string& returnId, int64_t transactionNo) {
    const TRequestResult returned =
        SelectRows(ctx.Db,
                   "SELECT l.OrderLine_Id, -SUM(e.Quantity) FROM G_ItemEntry e JOIN D_PostPurchOrderLine l ON l.Id = "
                   "e.Line_Id WHERE e.Document_Id = ? AND e.TransactionNo = ? AND l.OrderLine_Id IS NOT NULL GROUP BY "
                   "l.OrderLine_Id",
                   {returnId, transactionNo});
    for (const TVariantArray& line : returned.Rows) {
        double missing = line[1].AsFloat();
        const TRequestResult given = SelectRows(
            ctx.Db,
            "SELECT e.Id, e.Quantity - e.RemainingQuantity FROM G_ItemEntry e JOIN D_PurchReceiptLine r ON r.Id = "
            "e.Line_Id JOIN D_PurchReceiptHeader h ON h.Id = r.Master_Id WHERE r.OrderLine_Id = ? AND e.Comp_Id = ? AND "
            "h.Annul = 0 AND e.Quantity > e.RemainingQuantity + 0.000001 ORDER BY e.PostingDate DESC, e.C_Datetime DESC, "
            "e.Id DESC",
            {line[0], ctx.Session.CompanyId});
        for (size_t i = 0; i < given.Rows.size() && missing > kNoise; ++i) {
            const double back = std::min(given.Rows[i][1].AsFloat(), missing);
            ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = RemainingQuantity + ?, Opened = 1 WHERE Id = ?",
                         {back, given.Rows[i][0]});
            missing -= back;
        }
    }
}

}  // namespace

const char* OrderDocumentAnnulmentRefusal(TServerContext& ctx, const std::string& table, const std::string& id,
                                          int64_t transactionNo) {
    if (table == "D_PurchReceiptHeader") {
        LockOrders(ctx, "D_PurchReceiptLine", id);
        return ReceiptRefusal(ctx, id, transactionNo);
    }
    if (table != "D_PostPurchOrderHeader") return nullptr;
    // A posted order copies a completed order; it goes with the documents that completed it.
    if (IsKind(ctx, id, DocumentType::PostedPurchOrder)) return "err_AnnulPostedOrder";
    LockOrders(ctx, "D_PostPurchOrderLine", id);
    return IsReturn(ctx, id) ? ReturnRefusal(ctx, id) : nullptr;
}

void ReturnOrderDocumentToOrders(TServerContext& ctx, const std::string& table, const std::string& id,
                                 int64_t transactionNo, int64_t annulTransactionNo) {
    if (table == "D_PurchReceiptHeader") {
        MoveOrderLines(ctx,
                       "SELECT OrderLine_Id, -SUM(Quantity) AS Received, 0 AS Invoiced, 0 AS Rejected, 0 AS Returned "
                       "FROM D_PurchReceiptLine WHERE Master_Id = ?1 AND OrderLine_Id IS NOT NULL GROUP BY OrderLine_Id",
                       {id});
        return;
    }
    if (table != "D_PostPurchOrderHeader") return;
    const bool isReturn = IsReturn(ctx, id);
    if (isReturn) {
        ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = 0, Opened = 0 WHERE Document_Id = ? AND TransactionNo = ?",
                     {id, annulTransactionNo});
        GiveBackToReceipts(ctx, id, transactionNo);
    }
    MoveOrderLines(ctx,
                   "SELECT OrderLine_Id, 0 AS Received, 0 AS Invoiced, -SUM(Quantity) * ?2 AS Rejected, -SUM(Quantity) * ?3 "
                   "AS Returned FROM D_PostPurchOrderLine WHERE Master_Id = ?1 AND OrderLine_Id IS NOT NULL GROUP BY "
                   "OrderLine_Id",
                   {id, isReturn ? 0.0 : 1.0, isReturn ? 1.0 : 0.0});
}

}  // namespace tavrek::server
