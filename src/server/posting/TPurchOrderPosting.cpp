#include "server/posting/TPurchOrderPosting.h"

#include <algorithm>
#include <map>
#include <stdexcept>
#include <vector>

#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TOrderApproval.h"
#include "server/posting/OrderLineSteps.h"
#include "server/posting/PostedOrderSteps.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TDocumentAmounts.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TMinorUnits.h"
#include "server/posting/TOrderBuffer.h"
#include "server/posting/TReceiptLedgerPosting.h"
#include "server/posting/TStoredAmountsCheck.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// A refusal met half way; an empty key keeps the one the failing step set.
struct TRefusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

TRequestResult ReadLocked(TServerContext& ctx, const std::string& id) {
    return SelectRows(ctx.Db,
                      "SELECT Id, DocumentType, Contragent_Id, DocumentDate, CheckStatus, DocSubType_Id, "
                      "COALESCE(BusinessGroup_Id, '') AS BusinessGroup_Id, COALESCE(PostingDate, DocumentDate) AS PostingDate FROM "
                      "D_PurchOrderBufHeader WHERE Id = ? AND "
                      "Comp_Id = ?" + ctx.Db.Dialect().LockRow(),
                      {id, ctx.Session.CompanyId});
}

const char* HeaderRefusal(const TRequestResult& buffer) {
    if (buffer.Empty() || buffer.ByName("DocumentType").AsInteger() != DocumentType::PurchOrderBuffer)
        return "err_PurchOrderBufNotFound";
    if (buffer.ByName("CheckStatus").AsInteger() == 1) return "err_PostPurchInDocumentCheck";
    if (buffer.ByName("Contragent_Id").IsEmpty()) return "err_PostPurchNoContragent";
    if (buffer.ByName("DocumentDate").IsNull()) return "err_PostPurchNoDocumentDate";
    return nullptr;
}

std::vector<TBufferLine> ReadLines(TServerContext& ctx, const std::string& id, const Variant& vendor) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        "SELECT l.Id, COALESCE(l.Type, 1), COALESCE(l.Quantity, 0), COALESCE(l.OrderLine_Id, ''), h.Id, "
        "COALESCE(h.Contragent_Id, ''), COALESCE(o.Type, 1), COALESCE(o.Quantity, 0), COALESCE(o.ReceivedQty, 0), "
        "COALESCE(o.InvoicedQty, 0), COALESCE(o.RejectedQty, 0), COALESCE(o.ReturnedQty, 0) FROM D_PurchOrderBufLine l LEFT JOIN D_PurchaseLine o "
        "ON o.Id = l.OrderLine_Id LEFT JOIN D_PurchHeader h ON h.Id = o.Master_Id AND h.Comp_Id = ? AND "
        "h.DocumentType = " + std::to_string(DocumentType::PurchOrder) + " WHERE l.Master_Id = ? ORDER BY l.Line_No",
        {ctx.Session.CompanyId, id});
    std::vector<TBufferLine> lines;
    for (const TVariantArray& r : rows.Rows)
        lines.push_back({r[0].AsString(), static_cast<int>(r[1].AsInteger()), r[2].AsFloat(), r[3].AsString(),
                         !r[4].IsNull(), r[5].AsString() == vendor.AsString(),
                         {static_cast<int>(r[6].AsInteger()), r[7].AsFloat(), r[8].AsFloat(), r[9].AsFloat(),
                          r[10].AsFloat(), r[11].AsFloat()}});
    return lines;
}

std::string SetupSeries(TServerContext& ctx, const char* column) {
    return SelectRows(ctx.Db, std::string("SELECT ") + column + " FROM C_PurchasesSetup WHERE Id = ?",
                      {ctx.Session.CompanyId})
        .Value()
        .AsString();
}

std::string NextNumber(TServerContext& ctx, const std::string& series, const TRequestResult& buffer) {
    std::string number;
    if (NextSerieNo(ctx, series, buffer.ByName("BusinessGroup_Id").AsString(), number) < 0) throw TRefusal("");
    return number;
}

// Where a buffer goes when it is posted: a posted document of the operation keeps the lines
// with a quantity (only the goods for receipts and returns), each with the order line it
// carries out, and the number of the order it comes from.
TPostedCopy PostedFromBuffer(const char* header, const char* lines, int documentType, bool itemsOnly) {
    return {"D_PurchOrderBufHeader",
            "D_PurchOrderBufLine",
            header,
            lines,
            documentType,
            // The company's subtype of the posted kind where it has one, else the buffer's.
            {{"DocSubType_Id", "COALESCE((SELECT MIN(s.Id) FROM N_SubDocument s WHERE s.Comp_Id = "
                               "D_PurchOrderBufHeader.Comp_Id AND s.DocumentType = " +
                                   std::to_string(documentType) + "), DocSubType_Id)"}},
            ", OrderNo",
            ", (SELECT o.DocumentNo FROM D_PurchHeader o WHERE o.Id = D_PurchOrderBufHeader.AppliesToDoc_Id)",
            {"OperationName", "ToOrderNo"},
            std::string("COALESCE(Quantity, 0) <> 0") + (itemsOnly ? " AND Type IN (1, 5)" : "")};
}

const TPostedCopy kReceipt =
    PostedFromBuffer("D_PurchReceiptHeader", "D_PurchReceiptLine", DocumentType::PostedReceipt, true);
const TPostedCopy kReturn =
    PostedFromBuffer("D_PostPurchOrderHeader", "D_PostPurchOrderLine", DocumentType::PostedPurchReturnOrder, true);
const TPostedCopy kReject =
    PostedFromBuffer("D_PostPurchOrderHeader", "D_PostPurchOrderLine", DocumentType::PostedPurchRejectOrder, false);

// The buffer posted as a purchase invoice of the buffer's subtype when that is an invoice
// subtype; a buffer on a buffer subtype gives the company's first invoice subtype.
const std::string kInvoiceSubType = "(SELECT COALESCE((SELECT s.Id FROM N_SubDocument s WHERE s.Id = "
                                    "D_PurchOrderBufHeader.DocSubType_Id AND s.DocumentType = " +
                                    std::to_string(DocumentType::PurchInvoice) +
                                    "), (SELECT MIN(s.Id) FROM N_SubDocument s WHERE s.Comp_Id = "
                                    "D_PurchOrderBufHeader.Comp_Id AND s.DocumentType = " +
                                    std::to_string(DocumentType::PurchInvoice) + ")))";
const TPostedCopy kInvoice{"D_PurchOrderBufHeader",
                           "D_PurchOrderBufLine",
                           "D_PurchInvoiceHeader",
                           "D_PurchInvoiceLine",
                           DocumentType::PostedPurchInvoice,
                           {{"DocSubType_Id", kInvoiceSubType}},
                           "",
                           "",
                           {"OperationName", "ToOrderNo"},
                           "COALESCE(Quantity, 0) <> 0"};

std::string CopyBuffer(TServerContext& ctx, const std::string& id, const TPostedCopy& to, const std::string& number,
                       int64_t transaction) {
    return CopyToPosted(ctx, to, id, number, transaction, TLedgerStore(ctx).AmountDecimals());
}

// What receipts of an order line left on the account of goods received without their invoice,
// with the quantity it stands for.
struct TReceivedBalance {
    int64_t LCY = 0, ACY = 0;
    double Quantity = 0;
};

// The share of the received goods' cost that each posted line (returned or invoiced goods)
// takes: in proportion to its quantity, the last of an order line taking what is left, so
// that the account is cleared exactly when everything received is invoiced or returned.
std::map<std::string, TLineCost> ReceivedCosts(TServerContext& ctx, const char* lineTable, const std::string& postedId,
                                               const std::string& account, int decimals) {
    const TMinorUnits units(decimals);
    std::map<std::string, TReceivedBalance> balances;
    const TRequestResult open = SelectRows(
        ctx.Db,
        "SELECT DISTINCT o.Id, " + ReceivedNotInvoicedSql("o") + " FROM " + lineTable +
            " p JOIN D_PurchaseLine o ON o.Id = p.OrderLine_Id WHERE p.Master_Id = ?",
        {postedId});
    for (const TVariantArray& r : open.Rows) balances[r[0].AsString()].Quantity = r[1].AsFloat();
    const std::string ofOrderLines =
        std::string(" WHERE OrderLine_Id IN (SELECT OrderLine_Id FROM ") + lineTable + " WHERE Master_Id = ?3)";
    const TRequestResult left = SelectRows(
        ctx.Db,
        "SELECT x.OrderLine_Id, SUM(e.Amount), SUM(e.Amount_ACY) FROM G_LEntry e JOIN (SELECT Id, OrderLine_Id FROM "
        "D_PurchReceiptLine" + ofOrderLines + " UNION SELECT Id, OrderLine_Id FROM D_PostPurchOrderLine" + ofOrderLines +
            " UNION SELECT Id, OrderLine_Id FROM D_PurchInvoiceLine" + ofOrderLines +
            ") x ON x.Id = e.Line_Id WHERE e.Comp_Id = ?1 AND e.Account_Id = ?2 GROUP BY x.OrderLine_Id",
        {ctx.Session.CompanyId, account, postedId});
    for (const TVariantArray& r : left.Rows) {
        TReceivedBalance& balance = balances[r[0].AsString()];
        balance.LCY = -units.Of(r[1].AsFloat());
        balance.ACY = -units.Of(r[2].AsFloat());
    }
    std::map<std::string, TLineCost> costs;
    const TRequestResult lines =
        SelectRows(ctx.Db,
                   std::string("SELECT Id, OrderLine_Id, Quantity FROM ") + lineTable +
                       " WHERE Master_Id = ? AND OrderLine_Id IS NOT NULL AND Type IN (1, 5) ORDER BY Line_No",
                   {postedId});
    for (const TVariantArray& r : lines.Rows) {
        TReceivedBalance& balance = balances[r[1].AsString()];
        const double quantity = r[2].AsFloat();
        const bool last = quantity >= balance.Quantity - 1e-9;
        const double share = balance.Quantity > 0 ? quantity / balance.Quantity : 0.0;
        const TLineCost cost{last ? balance.LCY : units.Convert(units.ToAmount(balance.LCY), share),
                             last ? balance.ACY : units.Convert(units.ToAmount(balance.ACY), share)};
        balance.LCY -= cost.LCY;
        balance.ACY -= cost.ACY;
        balance.Quantity -= quantity;
        costs[r[0].AsString()] = cost;
    }
    return costs;
}

// Returned goods leave the receipts of their order line that still hold them, oldest first.
void TakeFromReceipts(TServerContext& ctx, const TPostingDocument& doc, const std::string& postedId) {
    std::map<std::string, std::string> orderLineOf;
    for (const TVariantArray& r : SelectRows(ctx.Db, "SELECT Id, OrderLine_Id FROM D_PostPurchOrderLine WHERE Master_Id = ?",
                                             {postedId}).Rows)
        orderLineOf[r[0].AsString()] = r[1].AsString();
    for (const TPostingLine& line : doc.Lines) {
        double missing = line.QuantityBase;
        const TRequestResult open = SelectRows(
            ctx.Db,
            "SELECT e.Id, e.RemainingQuantity FROM G_ItemEntry e JOIN D_PurchReceiptLine r ON r.Id = e.Line_Id WHERE "
            "r.OrderLine_Id = ? AND e.Comp_Id = ? AND e.Opened = 1 AND e.RemainingQuantity > 0 ORDER BY e.PostingDate, "
            "e.C_Datetime, e.Id",
            {orderLineOf[line.Id], ctx.Session.CompanyId});
        for (size_t i = 0; i < open.Rows.size() && missing > 1e-9; ++i) {
            const double remaining = open.Rows[i][1].AsFloat(), taken = std::min(remaining, missing);
            ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = ?, Opened = ? WHERE Id = ?",
                         {remaining - taken, remaining - taken > 1e-9 ? 1 : 0, open.Rows[i][0]});
            missing -= taken;
        }
        if (missing > 1e-9) throw TRefusal("err_PostPurchOrderReturnNoStock");
    }
}

void WriteGoods(TServerContext& ctx, const TPostedCopy& tables, const std::string& postedId,
                const std::string& bufferId, bool out) {
    const TLedgerStore store(ctx);
    const TPostingDocument doc = store.Document(tables.ToHeader, tables.ToLines, postedId, bufferId);
    const TPostingAccounts accounts = store.Accounts();
    std::vector<TLineCost> costs;
    if (out) {
        const std::map<std::string, TLineCost> received =
            ReceivedCosts(ctx, tables.ToLines, postedId, accounts.ReceiptsNotInvoiced, store.AmountDecimals());
        for (const TPostingLine& line : doc.Lines) costs.push_back(received.count(line.Id) ? received.at(line.Id) : TLineCost{});
        TakeFromReceipts(ctx, doc, postedId);
    } else {
        const TDocumentAmounts amounts = CalculateDocumentAmounts(doc);
        for (size_t i = 0; i < doc.Lines.size(); ++i) costs.push_back({amounts.LineValueLCY[i], amounts.LineValue[i]});
    }
    const TReceiptPosting posting = PostReceiptLedgers(doc, costs, accounts, out);
    if (!posting.RefusalKey.empty()) throw TRefusal(posting.RefusalKey);
    store.Write(store.Header(tables.ToHeader, postedId), posting.Entries, false);
}

std::string PostReceipt(TServerContext& ctx, const TRequestResult& buffer, bool withEntries) {
    const std::string id = buffer.ByName("Id").AsString();
    const std::string number =
        NextNumber(ctx, PostingSeries(ctx, buffer.ByName("DocSubType_Id"), "PostedReceipt_Series_Id"), buffer);
    const int64_t transaction = withEntries ? NextTransactionNo(ctx) : 0;
    const std::string postedId = CopyBuffer(ctx, id, kReceipt, number, transaction);
    if (withEntries) WriteGoods(ctx, kReceipt, postedId, id, false);
    return postedId;
}

std::string PostReturn(TServerContext& ctx, const TRequestResult& buffer) {
    const std::string id = buffer.ByName("Id").AsString();
    const std::string number = NextNumber(ctx, SetupSeries(ctx, "PostedReturnShpt_Series_Id"), buffer);
    const std::string postedId = CopyBuffer(ctx, id, kReturn, number, NextTransactionNo(ctx));
    WriteGoods(ctx, kReturn, postedId, id, true);
    return postedId;
}

std::string PostRejection(TServerContext& ctx, const TRequestResult& buffer) {
    const std::string number = NextNumber(ctx, SetupSeries(ctx, "PostRejectOrderSeries_Id"), buffer);
    return CopyBuffer(ctx, buffer.ByName("Id").AsString(), kReject, number, 0);
}

// How each quantity of the order lines moves with the buffer's quantity; a return leaves what
// was received as it was and counts what went back.
struct TQuantityMoves {
    double Received = 0, Invoiced = 0, Rejected = 0, Returned = 0;
};

TQuantityMoves MovesOf(TOrderOperation operation) {
    switch (operation) {
        case TOrderOperation::Receive: return {1, 0, 0, 0};
        case TOrderOperation::Return: return {0, 0, 0, 1};
        case TOrderOperation::Reject: return {0, 0, 1, 0};
        case TOrderOperation::Invoice: return {0, 1, 0, 0};
        case TOrderOperation::ReceiveAndInvoice: return {1, 1, 0, 0};
    }
    return {};
}

void UpdateOrderLines(TServerContext& ctx, const std::string& id, TOrderOperation operation) {
    const TQuantityMoves m = MovesOf(operation);
    MoveOrderLines(ctx,
                   "SELECT OrderLine_Id, SUM(Quantity) * ?1 AS Received, SUM(Quantity) * ?2 AS Invoiced, SUM(Quantity) * "
                   "?3 AS Rejected, SUM(Quantity) * ?4 AS Returned FROM D_PurchOrderBufLine WHERE Master_Id = ?5 AND "
                   "OrderLine_Id IS NOT NULL GROUP BY OrderLine_Id",
                   {m.Received, m.Invoiced, m.Rejected, m.Returned, id});
}

// The details of the posted lines (serial and lot numbers) stay with the document that moved
// them: the receipt, the return or rejection order, or the invoice of received goods.
void MoveLineDetails(TServerContext& ctx, const std::string& id, const TVariantArray& posted) {
    std::string postedId;
    for (const Variant& key : posted)
        if (postedId.empty()) postedId = key.AsString();
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PostPurchOrderLineDetail (Id, Comp_Id, Master_Id, MasterLine_Id, SerialNo, LotNo, "
                 "ExpirationDate, Quantity) SELECT d.Id, d.Comp_Id, ?1, d.MasterLine_Id, d.SerialNo, d.LotNo, "
                 "d.ExpirationDate, d.Quantity FROM D_PurchaseBufLineDetail d JOIN D_PurchOrderBufLine l ON l.Id = "
                 "d.MasterLine_Id AND l.Master_Id = d.Master_Id WHERE d.Master_Id = ?2 AND COALESCE(l.Quantity, 0) <> 0",
                 {postedId, id});
}

void RemoveBuffer(TServerContext& ctx, const std::string& id) {
    ExecuteBound(ctx.Db, "DELETE FROM D_ItemChargeAssigment WHERE Document_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchaseBufLineDetail WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderBufLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderBufHeader WHERE Id = ?", {id});
}

}  // namespace

int TPurchOrderPosting::PostPurchOrder(TServerContext& ctx, const std::string& id, TVariantArray& keys, int operation) {
    if (operation < 0 || operation > 4) {
        ctx.RefusalKey = "err_PostPurchOrderOperation";
        return -1;
    }
    const TOrderOperation op = static_cast<TOrderOperation>(operation);
    try {
        const TRequestResult buffer = ReadLocked(ctx, id);
        if (const char* refusal = HeaderRefusal(buffer)) throw TRefusal(refusal);
        LockOrders(ctx, "D_PurchOrderBufLine", id);
        // Sending goods back or refusing them needs no approval; taking them in or paying does.
        if (op != TOrderOperation::Return && op != TOrderOperation::Reject)
            if (const char* waiting = TOrderApproval(ctx).BufferRefusal(id)) throw TRefusal(waiting);
        const std::string refusal = BufferRefusal(op, ReadLines(ctx, id, buffer.ByName("Contragent_Id")));
        if (!refusal.empty()) throw TRefusal(refusal);
        // An invoicing buffer is checked as the invoice it posts.
        if (!Invoices(op) && !TStoredAmountsCheck(ctx).Agrees("D_PurchOrderBufHeader", "D_PurchOrderBufLine", id))
            throw TRefusal("");
        TVariantArray posted{std::string(), std::string(), std::string()};
        if (op == TOrderOperation::Receive || op == TOrderOperation::ReceiveAndInvoice)
            posted[0] = PostReceipt(ctx, buffer, op == TOrderOperation::Receive);
        if (op == TOrderOperation::Return) posted[1] = PostReturn(ctx, buffer);
        if (op == TOrderOperation::Reject) posted[1] = PostRejection(ctx, buffer);
        if (Invoices(op)) posted[2] = PostInvoice(ctx, id, op == TOrderOperation::Invoice);
        UpdateOrderLines(ctx, id, op);
        const std::vector<std::string> orders = OrdersOfLines(ctx, "D_PurchOrderBufLine", id);
        if (const char* unnumbered = FollowPostedOrders(ctx, orders, buffer.ByName("PostingDate").AsDateTime(), ""))
            throw TRefusal(unnumbered);
        MoveLineDetails(ctx, id, posted);
        RemoveBuffer(ctx, id);
        keys = posted;
        return 0;
    } catch (const TRefusal& refusal) {
        if (*refusal.what() != '\0') ctx.RefusalKey = refusal.what();
        return -1;
    }
}

std::string TPurchOrderPosting::PostInvoice(TServerContext& ctx, const std::string& id, bool received) {
    const auto markReceived = [](TServerContext& c, TPostingDocument& doc) {
        const TLedgerStore store(c);
        const std::map<std::string, TLineCost> costs = ReceivedCosts(
            c, "D_PurchInvoiceLine", doc.Id, store.Accounts().ReceiptsNotInvoiced, store.AmountDecimals());
        for (TPostingLine& line : doc.Lines) {
            const auto it = costs.find(line.Id);
            if (it == costs.end()) continue;
            line.Received = true;
            line.ReceivedCost = it->second.LCY;
            line.ReceivedCostACY = it->second.ACY;
        }
    };
    TVariantArray invoice;
    if (PostOpenInvoice(ctx, kInvoice, id, invoice, received ? TPrepareInvoice(markReceived) : TPrepareInvoice(), false) < 0)
        throw TRefusal("");
    return invoice.at(0).AsString();
}

}  // namespace tavrek::server
