#include "server/posting/TCrMemoApplication.h"

#include <cmath>

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

constexpr double kCent = 0.005;

struct TOpenEntry {
    std::string Id, ContragentId;
    double Remaining = 0, RemainingACY = 0;
    TDateTime PostingDate;
};

bool ReadEntry(TServerContext& ctx, const std::string& headerTable, const std::string& documentId, TOpenEntry& entry) {
    const TRequestResult row = SelectRows(
        ctx.Db,
        "SELECT e.Id, e.Contragent_Id, e.Remaining, e.Remaining_ACY, e.PostingDate FROM G_ContragentEntry e JOIN " +
            headerTable + " h ON h.Id = e.Document_Id AND h.TransactionNo = e.TransactionNo WHERE e.Document_Id = ? "
            "AND e.Comp_Id = ? AND e.Opened = 1 AND COALESCE(h.Annul, 0) = 0",
        {documentId, ctx.Session.CompanyId});
    if (row.Rows.size() != 1) return false;
    const TVariantArray& r = row.Rows[0];
    entry = {r[0].AsString(), r[1].AsString(), r[2].AsFloat(), r[3].AsFloat(), r[4].AsDateTime()};
    return true;
}

}  // namespace

const char* TCrMemoApplication::Apply(const std::string& crMemoId, const std::string& invoiceId) {
    TOpenEntry memo, invoice;
    if (!ReadEntry(ctx_, "D_PurchCrMemoHeader", crMemoId, memo) || memo.Remaining < kCent) return nullptr;
    if (!ReadEntry(ctx_, "D_PurchInvoiceHeader", invoiceId, invoice) || invoice.ContragentId != memo.ContragentId ||
        invoice.Remaining > -kCent)
        return "err_CrMemoInvoiceNotOpen";
    // The memo covers the invoice at most; what is left of either stays open.
    const bool wholeMemo = memo.Remaining <= -invoice.Remaining + kCent;
    const double applied = RoundUp(wholeMemo ? memo.Remaining : -invoice.Remaining, 2);
    const double appliedACY = RoundUp(wholeMemo ? memo.RemainingACY : -invoice.RemainingACY, 2);
    MoveRemaining(memo.Id, -applied, -appliedACY);
    MoveRemaining(invoice.Id, applied, appliedACY);
    ExecuteBound(ctx_.Db,
                 "INSERT INTO G_ContragentEntryDetail (Id, Comp_Id, ContragentEntry_Id, Document_Id, DocumentType, "
                 "EntryType, PostingDate, Amount, Amount_ACY, C_Datetime) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                 {CreateUniqueID(), ctx_.Session.CompanyId, invoice.Id, crMemoId, kCrMemoDetail, kCrMemoDetail,
                  memo.PostingDate, applied, appliedACY, TDateTime::Now()});
    return nullptr;
}

void TCrMemoApplication::Withdraw(const std::string& crMemoId) {
    const TRequestResult applied = SelectRows(
        ctx_.Db,
        "SELECT ContragentEntry_Id, Amount, Amount_ACY FROM G_ContragentEntryDetail WHERE Document_Id = ? AND "
        "DocumentType = ? AND Comp_Id = ?",
        {crMemoId, kCrMemoDetail, ctx_.Session.CompanyId});
    for (const TVariantArray& row : applied.Rows)
        MoveRemaining(row[0].AsString(), -row[1].AsFloat(), -row[2].AsFloat());
    ExecuteBound(ctx_.Db, "DELETE FROM G_ContragentEntryDetail WHERE Document_Id = ? AND DocumentType = ? AND Comp_Id = ?",
                 {crMemoId, kCrMemoDetail, ctx_.Session.CompanyId});
}

double TCrMemoApplication::AppliedToDocument(const std::string& documentId) {
    return SelectRows(ctx_.Db,
                      "SELECT COALESCE(SUM(d.Amount), 0) FROM G_ContragentEntryDetail d JOIN G_ContragentEntry e ON "
                      "e.Id = d.ContragentEntry_Id WHERE e.Document_Id = ? AND d.DocumentType = ?",
                      {documentId, kCrMemoDetail})
        .Value()
        .AsFloat();
}

// The entry's open amount moves by amount toward zero or back; it never crosses zero, so the
// posted header, which shows what is open without the entry's sign, takes its size.
void TCrMemoApplication::MoveRemaining(const std::string& entryId, double amount, double amountACY) {
    const TRequestResult entry = SelectRows(
        ctx_.Db, "SELECT Remaining, Remaining_ACY, Document_Id FROM G_ContragentEntry WHERE Id = ?", {entryId});
    if (entry.Empty()) return;
    const double remaining = RoundUp(entry.Value(0, 0).AsFloat() + amount, 2);
    const double remainingACY = std::abs(remaining) < kCent ? 0.0 : RoundUp(entry.Value(0, 1).AsFloat() + amountACY, 2);
    ExecuteBound(ctx_.Db, "UPDATE G_ContragentEntry SET Remaining = ?, Remaining_ACY = ?, Opened = ? WHERE Id = ?",
                 {remaining, remainingACY, std::abs(remaining) < kCent ? 0 : 1, entryId});
    for (const char* header : {"D_PurchInvoiceHeader", "D_PurchCrMemoHeader"})
        ExecuteBound(ctx_.Db, std::string("UPDATE ") + header + " SET Remaining = ?, Remaining_ACY = ? WHERE Id = ?",
                     {std::abs(remaining), std::abs(remainingACY), entry.Value(0, 2)});
}

}  // namespace tavrek::server
