#include "server/posting/TPurchCrMemoPosting.h"


#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TCrMemoApplication.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TPurchaseLedgerPosting.h"
#include "server/posting/TStoredAmountsCheck.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

const TPostedCopy kPostedCrMemo{"D_PurchHeader",
                                "D_PurchaseLine",
                                "D_PurchCrMemoHeader",
                                "D_PurchCrMemoLine",
                                DocumentType::PostedPurchCrMemo,
                                // The VAT entries read DoNotIncInVATLedger; a posted memo's view
                                // and the global selectors read its flag as NotIncludeVatLedger.
                                {{"ToInvoiceDate", "COALESCE(ToInvoiceDate, InvoiceDate)"},
                                 {"NotIncludeVatLedger", "COALESCE(DoNotIncInVATLedger, 0)"}},
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
                       "AppliesToDoc_Id, COALESCE(DocumentNo, '') AS DocumentNo FROM D_PurchHeader "
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

}  // namespace

int TPurchCrMemoPosting::PostPurchCrMemo(TServerContext& ctx, const std::string& id, TVariantArray& keys, int option) {
    if (option != kGoodsReturned && option != kPriceReduction) return RefuseWith(ctx, "err_PostPurchCrMemoOption");
    const TOpenCrMemo doc = ReadLocked(ctx, id);
    if (const char* refusal = RefusalOf(ctx, doc)) return RefuseWith(ctx, refusal);
    if (!TStoredAmountsCheck(ctx).Agrees(kPostedCrMemo.FromHeader, kPostedCrMemo.FromLines, id)) return -1;
    const TLedgerStore store(ctx);
    const std::string postedId = CopyToPosted(ctx, kPostedCrMemo, id, "", 0, store.AmountDecimals());
    const TPostingDocument posted = store.Document(kPostedCrMemo.ToHeader, kPostedCrMemo.ToLines, postedId, id);
    const TLedgerPosting posting = PostPurchaseLedgers(posted, store.Accounts());
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx, posting.RefusalKey);
    TLedgerEntries credit = CreditEntries(posting.Entries, posted.PostingDate, posted.PaidAtPosting);
    if (option == kPriceReduction) {
        // The goods stay in stock at a lower cost: the entries carry the value, no quantity.
        for (TItemEntry& e : credit.Items) e.Quantity = 0;
    } else if (!IssueFromOpenReceipts(ctx, credit.Items)) {
        return RefuseWith(ctx, "err_PostPurchCrMemoNoStock");
    }
    WritePostedAmounts(ctx, kPostedCrMemo, posted, posting.Amounts, credit.Vendor);
    ExecuteBound(ctx.Db, "DELETE FROM D_ItemChargeAssigment WHERE Document_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchaseLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchHeader WHERE Id = ?", {id});

    std::string number;
    const std::string series = PostingSeries(ctx, doc.Get("DocSubType_Id"), "PostedCrMemo_Series_Id");
    NumberPostedDraft(ctx, kPostedCrMemo.ToHeader, postedId, doc.Get("DocumentNo").AsString(), doc.Get("DocSubType_Id"),
                      "CreditMemo_Series_Id", doc.Get("BusinessGroup_Id").AsString());
    if (!NumberPosted(ctx, kPostedCrMemo.ToHeader, postedId, series, doc.Get("BusinessGroup_Id").AsString(), number))
        return -1;
    TLedgerHeader header = store.Header(kPostedCrMemo.ToHeader, postedId);
    header.VendorDocumentNo = doc.Get("VendorCreditMemoNo").AsString();
    store.Write(header, credit, false);
    if (!doc.Get("AppliesToDoc_Id").IsEmpty())
        if (const char* refusal = TCrMemoApplication(ctx).Apply(postedId, doc.Get("AppliesToDoc_Id").AsString()))
            return RefuseWith(ctx, refusal);
    keys = {postedId, number};
    return 0;
}

}  // namespace tavrek::server
