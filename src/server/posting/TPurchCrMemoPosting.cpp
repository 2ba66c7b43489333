#include "server/posting/TPurchCrMemoPosting.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TCrMemoApplication.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TPurchaseLedgerPosting.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

const TPostedCopy kPostedCrMemo{"D_PurchHeader",
                                "D_PurchaseLine",
                                "D_PurchCrMemoHeader",
                                "D_PurchCrMemoLine",
                                DocumentType::PostedPurchCrMemo,
                                {{"ToInvoiceDate", "COALESCE(ToInvoiceDate, InvoiceDate)"}},
                                "",
                                ""};

struct TOpenCrMemo {
    TRequestResult Row;
    Variant Get(const char* column) const { return Row.ByName(column); }
};

TOpenCrMemo ReadLocked(TServerContext& ctx, const std::string& id) {
    return {SelectRows(ctx.Db,
                       "SELECT Id, DocumentType, Contragent_Id, DocumentDate, CheckStatus, COALESCE(Currency_Id, '') "
                       "AS Currency_Id, CurrencyFactor, DocSubType_Id, COALESCE(BusinessGroup_Id, '') AS "
                       "BusinessGroup_Id, COALESCE(VendorCreditMemoNo, '') AS VendorCreditMemoNo, COALESCE(AppliesToDoc_Id, '') AS "
                       "AppliesToDoc_Id FROM D_PurchHeader "
                       "WHERE Id = ? AND Comp_Id = ?" + ctx.Db.Dialect().LockRow(),
                       {id, ctx.Session.CompanyId})};
}

const char* RefusalOf(TServerContext& ctx, const TOpenCrMemo& doc) {
    const int64_t type = doc.Row.Empty() ? 0 : doc.Get("DocumentType").AsInteger();
    if (type != DocumentType::PurchCrMemo && type != DocumentType::PurchGenericCrMemoDoc)
        return "err_PostPurchDocumentNotFound";
    if (doc.Get("CheckStatus").AsInteger() == 1) return "err_PostPurchInDocumentCheck";
    if (doc.Get("Contragent_Id").IsEmpty()) return "err_PostPurchNoContragent";
    if (doc.Get("DocumentDate").IsNull()) return "err_PostPurchNoDocumentDate";
    if (!doc.Get("Currency_Id").IsEmpty() && doc.Get("CurrencyFactor").AsFloat() == 0.0) return "err_PostPurchZeroFactor";
    const TRequestResult lines =
        SelectRows(ctx.Db, "SELECT COUNT(*) FROM D_PurchaseLine WHERE Master_Id = ?", {doc.Get("Id")});
    if (lines.Value().AsInteger() == 0) return "err_PostPurchNoLines";
    // A memo without the vendor's number is the company's own correction: nothing to repeat.
    const std::string number = Trim(doc.Get("VendorCreditMemoNo").AsString());
    const bool duplicate = !number.empty() && VendorDocumentPosted(ctx, "D_PurchCrMemoHeader", "VendorCreditMemoNo",
                                                                   "IsGlobalCrMemo", doc.Get("Contragent_Id"), number);
    return duplicate ? "err_PostPurchDuplicateVendorCrMemo" : nullptr;
}

// The invoice's entries with the opposite sign; what the vendor now owes back stays open
// until it is set off or paid.
TLedgerEntries CreditEntries(const TLedgerEntries& asInvoice, TDateTime postingDate, bool paidAtPosting) {
    TLedgerEntries credit = Storno(asInvoice, postingDate);
    for (TVendorEntry& e : credit.Vendor) {
        e.Remaining = paidAtPosting ? 0 : e.Amount;
        e.RemainingACY = paidAtPosting ? 0 : e.AmountACY;
    }
    return credit;
}

// Receipts emptied by a credit memo close, a few hundred per statement.
void CloseReceipts(TServerContext& ctx, const std::vector<Variant>& ids) {
    constexpr size_t kPerStatement = 500;
    for (size_t first = 0; first < ids.size(); first += kPerStatement) {
        const size_t last = std::min(ids.size(), first + kPerStatement);
        std::string list;
        for (size_t i = first; i < last; ++i) list += i == first ? "?" : ", ?";
        ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = 0, Opened = 0 WHERE Id IN (" + list + ")",
                     TVariantArray(ids.begin() + static_cast<std::ptrdiff_t>(first),
                                   ids.begin() + static_cast<std::ptrdiff_t>(last)));
    }
}

// The goods leave from the oldest receipts of their store that still hold some, each item
// and store read once; without enough in stock the credit memo is refused unless the
// company allows negative stock.
bool TakeOutOfStock(TServerContext& ctx, const TLedgerEntries& credit) {
    std::map<std::pair<std::string, std::string>, double> wanted;
    for (const TItemEntry& out : credit.Items) wanted[{out.ItemCode, out.Store}] -= out.Quantity;
    const bool negativeAllowed = AllowsNegativeStock(ctx);
    std::vector<Variant> emptied;
    for (const auto& [item, quantity] : wanted) {
        double missing = quantity;
        const TRequestResult open = SelectRows(
            ctx.Db,
            "SELECT Id, RemainingQuantity FROM G_ItemEntry WHERE Comp_Id = ? AND Item_Id = ? AND "
            "COALESCE(Store_Id, '') = ? AND Opened = 1 AND RemainingQuantity > 0 ORDER BY PostingDate, C_Datetime, Id",
            {ctx.Session.CompanyId, item.first, item.second});
        for (size_t i = 0; i < open.Rows.size() && missing > 1e-9; ++i) {
            const double remaining = open.Rows[i][1].AsFloat();
            if (remaining <= missing + 1e-9) {
                emptied.push_back(open.Rows[i][0]);
                missing -= remaining;
                continue;
            }
            ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = ? WHERE Id = ?",
                         {remaining - missing, open.Rows[i][0]});
            missing = 0;
        }
        if (missing > 1e-9 && !negativeAllowed) return false;
    }
    CloseReceipts(ctx, emptied);
    return true;
}

}  // namespace

int TPurchCrMemoPosting::PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys) {
    const TOpenCrMemo doc = ReadLocked(ctx, id);
    if (const char* refusal = RefusalOf(ctx, doc)) return RefuseWith(ctx, refusal);
    std::string number;
    const std::string series = PostingSeries(ctx, doc.Get("DocSubType_Id"), "PostedCrMemo_Series_Id");
    if (NextSerieNo(ctx, series, doc.Get("BusinessGroup_Id").AsString(), number) < 0) return -1;
    const int64_t transaction = NextTransactionNo(ctx);
    const TLedgerStore store(ctx);
    const std::string postedId = CopyToPosted(ctx, kPostedCrMemo, id, number, transaction, store.AmountDecimals());

    const TPostingDocument posted = store.Document(kPostedCrMemo.ToHeader, kPostedCrMemo.ToLines, postedId, id);
    const TLedgerPosting posting = PostPurchaseLedgers(posted, store.Accounts());
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx, posting.RefusalKey);
    const TLedgerEntries credit = CreditEntries(posting.Entries, posted.PostingDate, posted.PaidAtPosting);
    if (!TakeOutOfStock(ctx, credit)) return RefuseWith(ctx, "err_PostPurchCrMemoNoStock");
    WritePostedAmounts(ctx, kPostedCrMemo, posted, posting.Amounts, credit.Vendor);
    TLedgerHeader header = store.Header("D_PurchCrMemoHeader", postedId);
    header.VendorDocumentNo = doc.Get("VendorCreditMemoNo").AsString();
    store.Write(header, credit, false);
    if (!doc.Get("AppliesToDoc_Id").IsEmpty())
        if (const char* refusal = TCrMemoApplication(ctx).Apply(postedId, doc.Get("AppliesToDoc_Id").AsString()))
            return RefuseWith(ctx, refusal);

    ExecuteBound(ctx.Db, "DELETE FROM D_ItemChargeAssigment WHERE Document_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchaseLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchHeader WHERE Id = ?", {id});
    keys = {postedId, number};
    return 0;
}

}  // namespace tavrek::server
