#include "server/posting/TPurchaseAnnulment.h"

#include "server/SqlValue.h"
#include "server/posting/OrderAnnulmentSteps.h"
#include "server/posting/OrderLineSteps.h"
#include "server/posting/PostedOrderSteps.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TCrMemoApplication.h"
#include "server/posting/TLedgerEntries.h"
#include "server/posting/TLedgerStore.h"
#include "server/procedures/VendorPaymentProcedures.h"
#include "server/schema/DocumentTables.h"

namespace tavrek::server {
namespace {

constexpr const char* kInvoices = "D_PurchInvoiceHeader";

// The posted documents an annulment may concern.
const char* PostedTable(TServerContext& ctx, const std::string& id) {
    for (const char* table : {kInvoices, "D_PurchCrMemoHeader", "D_PurchReceiptHeader", "D_PostPurchOrderHeader"})
        if (!SelectRows(ctx.Db, std::string("SELECT 1 FROM ") + table + " WHERE Id = ? AND Comp_Id = ?",
                        {id, ctx.Session.CompanyId})
                 .Empty())
            return table;
    return nullptr;
}

double AppliedPayments(TServerContext& ctx, const std::string& documentId) {
    return SelectRows(ctx.Db,
                      "SELECT COALESCE(SUM(d.Amount), 0) FROM G_ContragentEntryDetail d JOIN G_ContragentEntry e ON "
                      "e.Id = d.ContragentEntry_Id WHERE e.Document_Id = ?",
                      {documentId})
        .Value()
        .AsFloat();
}

// An advance another document has settled (in part) no longer sums, on its dimension, to
// what its own posting put there.
bool AdvanceSettled(TServerContext& ctx, const std::string& documentId, int64_t transactionNo) {
    return !SelectRows(ctx.Db,
                       "SELECT 1 FROM G_LEntry own WHERE own.Document_Id = ? AND own.TransactionNo = ? AND "
                       "own.Amount > 0 AND COALESCE(own.AccountDimension_Id, '') <> '' AND ABS((SELECT SUM(Amount) "
                       "FROM G_LEntry d WHERE d.Comp_Id = own.Comp_Id AND d.AccountDimension_Id = "
                       "own.AccountDimension_Id) - own.Amount) > 0.001",
                       {documentId, transactionNo})
                .Empty();
}

// An invoice posted from a receive-and-invoice buffer takes with it the receipt posted beside
// it, which has no entries of its own.
void AnnulReceiptPostedWith(TServerContext& ctx, const TAnnulRequest& request) {
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchReceiptHeader SET Annul = 1, AnnulDate = ?, AnnulDescription = ?, AnnulUser_Id = ? WHERE "
                 "Comp_Id = ? AND Annul = 0 AND TransactionNo IS NULL AND SrcDocument_Id = (SELECT SrcDocument_Id FROM "
                 "D_PurchInvoiceHeader WHERE Id = ?)",
                 {request.Date, request.Description, ctx.Session.UserId, ctx.Session.CompanyId, request.DocumentId});
}

// The orders whose lines the document carried out get their quantities back.
void ReturnToOrders(TServerContext& ctx, const std::string& table, const TAnnulRequest& request, int64_t transactionNo,
                    int64_t annulTransactionNo) {
    if (table != kInvoices) {
        ReturnOrderDocumentToOrders(ctx, table, request.DocumentId, transactionNo, annulTransactionNo);
        return;
    }
    ReturnInvoiceToOrders(ctx, request.DocumentId, transactionNo);
    AnnulReceiptPostedWith(ctx, request);
}

const char* LinesOf(const std::string& header) {
    for (const TDocumentTables& t : DocumentTables())
        if (header == t.Header) return t.Line;
    return nullptr;
}

}  // namespace

const char* TPurchaseAnnulment::Refusal(const std::string& table, const TAnnulRequest& request, int64_t transactionNo) {
    // The document stays locked until the annulment ends: the same document annulled twice at
    // once waits here and then finds itself annulled.
    const TRequestResult doc = SelectRows(
        ctx_.Db, "SELECT COALESCE(Annul, 0), PostingDate FROM " + table + " WHERE Id = ?" + ctx_.Db.Dialect().LockRow(),
        {request.DocumentId});
    if (doc.Value(0, 0).AsInteger() != 0) return "err_AnnulAlreadyAnnulled";
    if (request.Date.DateOnly() < TDateTime(doc.Value(0, 1).AsFloat()).DateOnly()) return "err_AnnulDateBeforePosting";
    if (const char* refusal = OrderDocumentAnnulmentRefusal(ctx_, table, request.DocumentId, transactionNo)) return refusal;
    const bool consumed = !SelectRows(ctx_.Db,
                                      "SELECT 1 FROM G_ItemEntry WHERE Document_Id = ? AND TransactionNo = ? AND "
                                      "Quantity > 0 AND RemainingQuantity < Quantity - 0.000001",
                                      {request.DocumentId, transactionNo})
                               .Empty();
    if (TCrMemoApplication(ctx_).AppliedToDocument(request.DocumentId) != 0) return "err_AnnulCrMemoApplied";
    if (consumed && !AllowsNegativeStock(ctx_)) return "err_AnnulStockConsumed";
    if (AdvanceSettled(ctx_, request.DocumentId, transactionNo)) return "err_AnnulPurchAdvPayment";
    if (AppliedPayments(ctx_, request.DocumentId) != 0 && !request.AnnulPayments) return "err_AnnulPaymentsApplied";
    return nullptr;
}

double TPurchaseAnnulment::UnapplyPayments(const std::string& documentId) {
    const double applied = AppliedPayments(ctx_, documentId);
    ExecuteBound(ctx_.Db,
                 "DELETE FROM G_ContragentEntryDetail WHERE ContragentEntry_Id IN (SELECT Id FROM G_ContragentEntry "
                 "WHERE Document_Id = ?)",
                 {documentId});
    return applied;
}

int TPurchaseAnnulment::Annul(const TAnnulRequest& request, const std::function<int64_t()>& nextTransactionNo,
                              Variant& output) {
    const char* table = PostedTable(ctx_, request.DocumentId);
    if (table == nullptr) {
        ctx_.RefusalKey = "err_AnnulDocumentNotFound";
        return -1;
    }
    const TLedgerStore store(ctx_);
    const TLedgerHeader posted = store.Header(table, request.DocumentId);
    if (const char* refusal = Refusal(table, request, posted.TransactionNo)) {
        ctx_.RefusalKey = refusal;
        return -1;
    }
    // A rejection moved no goods and no money: there is nothing to reverse.
    TLedgerHeader annulment = posted;
    annulment.TransactionNo = posted.TransactionNo == 0 ? 0 : nextTransactionNo();
    if (request.AnnulPayments) AnnulPaymentsOfDocument(ctx_, request.DocumentId, request.Date, annulment.TransactionNo);
    output = Variant(UnapplyPayments(request.DocumentId));
    TCrMemoApplication(ctx_).Withdraw(request.DocumentId);
    Step("annul-checked");

    store.Write(annulment, Storno(store.Read(posted), request.Date), true);
    Step("annul-entries");

    const TVariantArray posting{request.DocumentId, posted.TransactionNo};
    ExecuteBound(ctx_.Db, "UPDATE G_ItemEntry SET RemainingQuantity = 0, Opened = 0 WHERE Document_Id = ? AND TransactionNo = ?",
                 posting);
    ExecuteBound(ctx_.Db,
                 "UPDATE G_ContragentEntry SET Remaining = 0, Remaining_ACY = 0, Opened = 0 WHERE Document_Id = ? AND "
                 "TransactionNo = ?",
                 posting);
    ExecuteBound(ctx_.Db,
                 std::string("UPDATE ") + table + " SET Annul = 1, AnnulDate = ?, AnnulDescription = ?, AnnulUser_Id = ?, "
                 "Remaining = 0, Remaining_ACY = 0 WHERE Id = ?",
                 {request.Date, request.Description, ctx_.Session.UserId, request.DocumentId});
    const std::vector<std::string> orders = OrdersOfLines(ctx_, LinesOf(table), request.DocumentId);
    ReturnToOrders(ctx_, table, request, posted.TransactionNo, annulment.TransactionNo);
    if (const char* unnumbered = FollowPostedOrders(ctx_, orders, request.Date, request.Description)) {
        ctx_.RefusalKey = unnumbered;
        return -1;
    }
    Step("annul-marked");
    return 0;
}

}  // namespace tavrek::server
