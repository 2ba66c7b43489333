#include "server/posting/TGlobalDocPosting.h"

#include <vector>

#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TGlobalDocLedgers.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TMinorUnits.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {

// Where the documents of one kind of global document come from and go to.
struct TGlobalSide {
    int OpenType, PostedType;
    const char* PostedHeader;
    const char* PostedLines;
    const char* SourceHeader;
    const char* SourceLines;
    const char* OutOfLedger;     // the source's flag of documents kept out of the VAT ledger
    const char* GlobalFlag;      // the posted documents' flag of global ones
    const char* GlobalNo;        // the source's number of the global document that took it
    const char* VendorGlobalNo;  // and the vendor's number of that document
    const char* VendorNo;        // the open global document's vendor number (an expression)
    const char* PostingSeries;   // the purchases setup's column of the posted series
    bool CreditMemo, Protocol;
};

namespace {

constexpr const char* kInvoices = "D_PurchInvoiceHeader";
constexpr const char* kInvoiceLines = "D_PurchInvoiceLine";
constexpr const char* kCrMemos = "D_PurchCrMemoHeader";
constexpr const char* kCrMemoLines = "D_PurchCrMemoLine";
constexpr const char* kProtocolNo = "COALESCE(NULLIF(ToInvoiceNo, ''), VendorInvoiceNo)";

const TGlobalSide kGlobalInvoice{DocumentType::GlobalInvoice, DocumentType::PostedGlobalInvoice, kInvoices,
                                 kInvoiceLines, kInvoices, kInvoiceLines, "DoNotIncInVATLedger", "IsGlobalInvoice",
                                 "GlobalInvoiceNo", "VendorGlobalInvoiceNo", "VendorInvoiceNo",
                                 "PostedInvoice_Series_Id", false, false};
const TGlobalSide kGlobalCrMemo{DocumentType::GlobalCrMemo, DocumentType::PostedGlobalCrMemo, kCrMemos, kCrMemoLines,
                                kCrMemos, kCrMemoLines, "NotIncludeVatLedger", "IsGlobalCrMemo", "GlobalCrMemoNo",
                                "VendorGlobalCrMemoNo", "VendorCreditMemoNo", "PostedCrMemo_Series_Id", true, false};
const TGlobalSide kGlobalProtocol{DocumentType::PurchProtocol, DocumentType::PostedPurchInvoice, kInvoices,
                                  kInvoiceLines, kInvoices, kInvoiceLines, "DoNotIncInVATLedger", "IsGlobalInvoice",
                                  "GlobalInvoiceNo", "VendorGlobalInvoiceNo", kProtocolNo,
                                  "PostPurchProtocol_Series_Id", false, true};
const TGlobalSide kGlobalCrMemoProtocol{DocumentType::PurchCrMemoProtocol, DocumentType::PostedPurchCrMemo, kCrMemos,
                                        kCrMemoLines, kCrMemos, kCrMemoLines, "NotIncludeVatLedger", "IsGlobalCrMemo",
                                        "GlobalCrMemoNo", "VendorGlobalCrMemoNo", kProtocolNo,
                                        "PostPurchCrMemoProt_Series_Id", true, true};

const TGlobalSide& SideOf(int crMemo, bool protocol) {
    if (protocol) return crMemo == 1 ? kGlobalCrMemoProtocol : kGlobalProtocol;
    return crMemo == 1 ? kGlobalCrMemo : kGlobalInvoice;
}

TRequestResult ReadLocked(TServerContext& ctx, const std::string& id, const std::string& vendorNo) {
    return SelectRows(ctx.Db,
                      "SELECT DocumentType, DocSubType_Id, COALESCE(BusinessGroup_Id, '') AS BusinessGroup_Id, "
                      "COALESCE(Contragent_Id, '') AS Contragent_Id, DocumentDate, COALESCE(Currency_Id, '') AS "
                      "Currency_Id, CurrencyFactor, TransactionNo, COALESCE(AppliesToDoc_Id, '') AS AppliesToDoc_Id, "
                      "COALESCE(" + vendorNo + ", '') AS VendorNo FROM D_GlobalPurchHeader WHERE Id = ? AND "
                      "Comp_Id = ?" + ctx.Db.Dialect().LockRow(),
                      {id, ctx.Session.CompanyId});
}

Variant Get(const TRequestResult& doc, const char* column) { return doc.ByName(column); }

// The posting groups a line of a global document leaves empty are its source line's, else
// (those the header has) its header's.
std::string FromSource(const TGlobalSide& side, const std::string& column, bool inHeader) {
    return "COALESCE(NULLIF(" + column + ", ''), (SELECT s." + column + " FROM " + side.SourceLines +
           " s WHERE s.Id = D_GlobalPurchLine.SrcLine_Id)" +
           (inHeader ? ", (SELECT h." + column + " FROM D_GlobalPurchHeader h WHERE h.Id = D_GlobalPurchLine.Master_Id)"
                     : std::string()) +
           ")";
}

std::string FromVendor(const std::string& column) {
    return "COALESCE(NULLIF(" + column + ", ''), (SELECT c." + column +
           " FROM N_Contragent c WHERE c.Id = D_GlobalPurchHeader.Contragent_Id))";
}

// A posted global document is in the VAT ledger, whatever its sources were.
TPostedCopy PostedCopy(const TGlobalSide& side) {
    TPostedCopy copy{"D_GlobalPurchHeader",
                     "D_GlobalPurchLine",
                     side.PostedHeader,
                     side.PostedLines,
                     side.PostedType,
                     {{side.GlobalFlag, "1"},
                      {"DoNotIncInVATLedger", "0"},
                      {"NotIncludeVatLedger", "0"},
                      {"CntrPostingGroup_Id", FromVendor("CntrPostingGroup_Id")},
                      {"VATBusPostGroup_Id", FromVendor("VATBusPostGroup_Id")},
                      {"GenBusPostGroup_Id", FromVendor("GenBusPostGroup_Id")}},
                     ", GlobDocIsPosted",
                     ", 1",
                     {"TransactionNo"}};
    for (const char* column : {"VATBusPostGroup_Id", "GenBusPostGroup_Id"})
        copy.LineOverrides[column] = FromSource(side, column, true);
    copy.LineOverrides["GenProdPostGroup_Id"] = FromSource(side, "GenProdPostGroup_Id", false);
    return copy;
}

// The VAT each source booked for the lines taken, per rate of each source at its own rate of exchange.
std::vector<TSourceVAT> SourceVAT(TServerContext& ctx, const TGlobalSide& side, const std::string& postedId,
                                  int decimals) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        std::string("SELECT MIN(COALESCE(s.VATBusPostGroup_Id, '')), MIN(COALESCE(s.VATProdPostGroup_Id, '')), "
                    "COALESCE(v.VATCalculationType, s.VATCalculationType, 0), COALESCE(s.VATLedger, 0), "
                    "COALESCE(s.VATPercent, 0), COALESCE(SUM(s.TotalValue), 0), "
                    "MIN(CASE WHEN COALESCE(sh.Currency_Id, '') = '' OR COALESCE(sh.CurrencyFactor, 0) = 0 THEN 1 "
                    "ELSE sh.CurrencyFactor END) FROM ") +
            side.PostedLines + " l JOIN " + side.SourceLines + " s ON s.Id = l.SrcLine_Id JOIN " + side.SourceHeader +
            " sh ON sh.Id = s.Master_Id LEFT JOIN G_VATPostingSetup v ON v.Comp_Id = sh.Comp_Id AND "
            "v.VATBus_PostingGroup = s.VATBusPostGroup_Id AND v.VATProd_PostingGroup = s.VATProdPostGroup_Id "
            "WHERE l.Master_Id = ? GROUP BY s.Master_Id, COALESCE(v.VATCalculationType, s.VATCalculationType, 0), "
            "COALESCE(s.VATLedger, 0), COALESCE(s.VATPercent, 0)",
        {postedId});
    const TMinorUnits units(decimals);
    std::vector<TSourceVAT> sources;
    for (const TVariantArray& r : rows.Rows) {
        const int64_t vat = units.Of(units.ToAmount(units.Of(r[5].AsFloat())) * r[4].AsFloat() / 100.0);
        sources.push_back({r[0].AsString(), r[1].AsString(), static_cast<TVATCalculation>(r[2].AsInteger()),
                           static_cast<int>(r[3].AsInteger()), units.Convert(units.ToAmount(vat), r[6].AsFloat()), vat});
    }
    return sources;
}

// A protocol of VAT charged by reverse charge charges what its sources deducted.
bool SourcesChargedInReverse(TServerContext& ctx, const TGlobalSide& side, const std::string& postedId) {
    return !SelectRows(ctx.Db,
                       std::string("SELECT 1 FROM G_VATEntry e WHERE e.Comp_Id = ?2 AND e.VATCalculationType = ?3 AND "
                                   "e.Document_Id IN (SELECT s.Master_Id FROM ") +
                           side.PostedLines + " l JOIN " + side.SourceLines +
                           " s ON s.Id = l.SrcLine_Id WHERE l.Master_Id = ?1) LIMIT 1",
                       {postedId, ctx.Session.CompanyId, static_cast<int64_t>(TVATCalculation::ReverseCharge)})
                .Empty();
}

bool TransactionUsed(TServerContext& ctx, int64_t transaction) {
    return !SelectRows(ctx.Db,
                       "SELECT 1 FROM G_LEntry WHERE Comp_Id = ?1 AND TransactionNo = ?2 UNION ALL SELECT 1 FROM "
                       "D_PurchInvoiceHeader WHERE Comp_Id = ?1 AND TransactionNo = ?2 UNION ALL SELECT 1 FROM "
                       "D_PurchCrMemoHeader WHERE Comp_Id = ?1 AND TransactionNo = ?2",
                       {ctx.Session.CompanyId, transaction})
                .Empty();
}

void RemoveOpen(TServerContext& ctx, const std::string& id) {
    ExecuteBound(ctx.Db, "DELETE FROM D_GlobalPurchLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_GlobalPurchHeader WHERE Id = ?", {id});
}

bool Numbered(TServerContext& ctx, const TGlobalSide& side, const TRequestResult& doc, const std::string& postedId,
              std::string& number) {
    const std::string series = PostingSeries(ctx, Get(doc, "DocSubType_Id"), side.PostingSeries);
    if (NextSerieNo(ctx, series, Get(doc, "BusinessGroup_Id").AsString(), number) < 0) return false;
    ExecuteBound(ctx.Db, std::string("UPDATE ") + side.PostedHeader + " SET DocumentNo = ? WHERE Id = ?",
                 {number, postedId});
    return true;
}

}  // namespace

int TGlobalDocPosting::PostGlobalDoc(const std::string& id, int crMemo, TVariantArray& keys) {
    if (crMemo != 0 && crMemo != 1) return RefuseWith(ctx_, "err_GlobalDocWrongKind");
    return Post(id, SideOf(crMemo, false), keys);
}

int TGlobalDocPosting::PostPurchProtocol(const std::string& id, int crMemo, TVariantArray& keys) {
    const TGlobalSide& side = SideOf(crMemo, true);
    const TRequestResult doc = ReadLocked(ctx_, id, side.VendorNo);
    if (doc.Empty() || Get(doc, "DocumentType").AsInteger() != side.OpenType)
        return RefuseWith(ctx_, "err_PurchProtocolNotFound");
    // A protocol of one document, or one typed without sources, is no consolidation.
    const bool consolidates =
        Get(doc, "AppliesToDoc_Id").IsEmpty() &&
        !SelectRows(ctx_.Db, "SELECT 1 FROM D_GlobalPurchLine WHERE Master_Id = ? AND COALESCE(SrcLine_Id, '') <> '' LIMIT 1",
                    {id})
             .Empty();
    return consolidates ? Post(id, side, keys) : PostSingleProtocol(id, crMemo, doc, keys);
}

const char* TGlobalDocPosting::Refusal(const TRequestResult& doc, const TGlobalSide& side) {
    if (doc.Empty() || Get(doc, "DocumentType").AsInteger() != side.OpenType)
        return side.Protocol ? "err_PurchProtocolNotFound" : "err_GlobalDocNotFound";
    if (Get(doc, "Contragent_Id").IsEmpty()) return "err_PostPurchNoContragent";
    if (Get(doc, "DocumentDate").IsNull()) return "err_PostPurchNoDocumentDate";
    if (Trim(Get(doc, "VendorNo").AsString()).empty()) return "err_GlobalDocNoVendorNo";
    if (!Get(doc, "Currency_Id").IsEmpty() && Get(doc, "CurrencyFactor").AsFloat() == 0.0) return "err_PostPurchZeroFactor";
    return nullptr;
}

// Why the lines cannot be posted, or nullptr; the line a refusal names goes to ctx.RefusalArg.
const char* TGlobalDocPosting::LinesRefusal(const std::string& id, const TGlobalSide& side, const Variant& vendor) {
    const TRequestResult lines = SelectRows(
        ctx_.Db,
        std::string("SELECT COUNT(*), COALESCE(SUM(CASE WHEN COALESCE(l.SrcLine_Id, '') <> '' THEN 1 ELSE 0 END), 0), "
                    "MIN(CASE WHEN COALESCE(l.SrcLine_Id, '') <> '' AND h.Id IS NULL THEN l.Line_No END) FROM "
                    "D_GlobalPurchLine l LEFT JOIN ") +
            side.SourceLines + " s ON s.Id = l.SrcLine_Id LEFT JOIN " + side.SourceHeader +
            " h ON h.Id = s.Master_Id AND h.Comp_Id = ?2 AND h.Contragent_Id = ?3 AND COALESCE(h.Annul, 0) = 0 AND "
            "COALESCE(h." + side.GlobalFlag + ", 0) = 0 AND COALESCE(h." + side.OutOfLedger + ", 0) = 1 AND "
            "COALESCE(h." + side.GlobalNo + ", '') = '' WHERE l.Master_Id = ?1",
        {id, ctx_.Session.CompanyId, vendor});
    if (lines.Value(0, 0).AsInteger() == 0) return "err_PostPurchNoLines";
    if (lines.Value(0, 1).AsInteger() == 0) return "err_GlobalDocNoSources";
    if (lines.Value(0, 2).IsNull()) return nullptr;
    ctx_.RefusalArg = lines.Value(0, 2).AsString();
    return "err_GlobalDocSourceNotAllowed";
}

TLedgerPosting TGlobalDocPosting::Ledgers(TPostingDocument& posted, const TGlobalSide& side, const TLedgerStore& store) {
    const std::vector<TSourceVAT> sources = SourceVAT(ctx_, side, posted.Id, store.AmountDecimals());
    if (!side.Protocol) return PostGlobalDocLedgers(posted, sources, store.Accounts(), side.CreditMemo);
    posted.ChargesReverseCharge = SourcesChargedInReverse(ctx_, side, posted.Id);
    TLedgerPosting posting = PostProtocolLedgers(posted, store.Accounts(), side.CreditMemo);
    if (posted.ChargesReverseCharge && posting.RefusalKey.empty())
        SettleReverseCharge(posting, sources, store.Accounts(), posted.PostingDate, side.CreditMemo);
    return posting;
}

int TGlobalDocPosting::Post(const std::string& id, const TGlobalSide& side, TVariantArray& keys) {
    const TRequestResult doc = ReadLocked(ctx_, id, side.VendorNo);
    if (const char* refusal = Refusal(doc, side)) return RefuseWith(ctx_, refusal);
    if (const char* refusal = LinesRefusal(id, side, Get(doc, "Contragent_Id"))) return RefuseWith(ctx_, refusal);
    const int64_t transaction = TransactionOf(doc);
    if (transaction < 0) return RefuseWith(ctx_, "err_GlobalDocTransactionUsed");

    const TLedgerStore store(ctx_);
    const TPostedCopy copy = PostedCopy(side);
    const std::string postedId = CopyToPosted(ctx_, copy, id, "", transaction, store.AmountDecimals());
    if (!Claim(postedId, side)) return RefuseWith(ctx_, "err_GlobalDocLineTaken");
    Step("claimed");
    TPostingDocument posted = store.Document(copy.ToHeader, copy.ToLines, postedId, id);
    const TLedgerPosting posting = Ledgers(posted, side, store);
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx_, posting.RefusalKey);
    WritePostedAmounts(ctx_, copy, posted, posting.Amounts, posting.Entries.Vendor);
    RemoveOpen(ctx_, id);

    std::string number;
    if (!Numbered(ctx_, side, doc, postedId, number)) return -1;
    const std::string vendorNo = Trim(Get(doc, "VendorNo").AsString());
    Stamp(postedId, side, number, vendorNo);
    TLedgerHeader header = store.Header(copy.ToHeader, postedId);
    header.VendorDocumentNo = vendorNo;
    store.Write(header, posting.Entries, false);
    Step("ledgers");
    keys = {postedId, number};
    return 0;
}

// The number the first save drew, unless something was posted under it; else a new one.
int64_t TGlobalDocPosting::TransactionOf(const TRequestResult& doc) {
    const Variant drawn = Get(doc, "TransactionNo");
    if (drawn.IsNull() || drawn.AsInteger() == 0) return NextTransactionNo(ctx_);
    return TransactionUsed(ctx_, drawn.AsInteger()) ? -1 : drawn.AsInteger();
}

// Each source line goes to one global document only: the primary key of the claims refuses a
// second, also one another session is posting at the same moment (that one waits, then finds it taken).
bool TGlobalDocPosting::Claim(const std::string& postedId, const TGlobalSide& side) {
    ExecuteBound(
        ctx_.Db,
        std::string("INSERT INTO D_GlobalSourceLine (SrcLine_Id, Comp_Id, Document_Id, Line_Id, SourceDocument_Id) "
                    "SELECT l.SrcLine_Id, ?2, ?1, l.Id, s.Master_Id FROM ") +
            side.PostedLines + " l JOIN " + side.SourceLines +
            " s ON s.Id = l.SrcLine_Id WHERE l.Master_Id = ?1 ON CONFLICT (SrcLine_Id) DO NOTHING",
        {postedId, ctx_.Session.CompanyId});
    const TRequestResult untaken = SelectRows(
        ctx_.Db,
        std::string("SELECT COUNT(*), MIN(l.Line_No) FROM ") + side.PostedLines +
            " l LEFT JOIN D_GlobalSourceLine c ON c.SrcLine_Id = l.SrcLine_Id AND c.Line_Id = l.Id AND c.Document_Id = ?1 "
            "WHERE l.Master_Id = ?1 AND COALESCE(l.SrcLine_Id, '') <> '' AND c.SrcLine_Id IS NULL",
        {postedId});
    if (untaken.Value(0, 0).AsInteger() == 0) return true;
    ctx_.RefusalArg = untaken.Value(0, 1).AsString();
    return false;
}

void TGlobalDocPosting::Stamp(const std::string& postedId, const TGlobalSide& side, const std::string& number,
                              const std::string& vendorNo) {
    ExecuteBound(ctx_.Db,
                 std::string("UPDATE ") + side.SourceHeader + " SET " + side.GlobalNo + " = ?1, " +
                     side.VendorGlobalNo + " = ?2 WHERE Id IN (SELECT SourceDocument_Id FROM D_GlobalSourceLine "
                                           "WHERE Document_Id = ?3)",
                 {number, vendorNo, postedId});
}

int TGlobalDocPosting::PostSingleProtocol(const std::string& id, int crMemo, const TRequestResult& doc,
                                          TVariantArray& keys) {
    const TGlobalSide& side = SideOf(crMemo, true);
    const int64_t transaction = TransactionOf(doc);
    if (transaction < 0) return RefuseWith(ctx_, "err_GlobalDocTransactionUsed");
    const TPostedCopy copy{"D_GlobalPurchHeader", "D_GlobalPurchLine", side.PostedHeader,
                           side.PostedLines,      side.PostedType,     {{side.GlobalFlag, "1"}},
                           ", GlobDocIsPosted",   ", 1",               {"TransactionNo"}};
    const TLedgerStore store(ctx_);
    const std::string postedId = CopyToPosted(ctx_, copy, id, "", transaction, store.AmountDecimals());
    Step("lines");
    TPostingDocument posted = store.Document(copy.ToHeader, copy.ToLines, postedId, id);
    posted.ChargesReverseCharge =
        !SelectRows(ctx_.Db, "SELECT 1 FROM G_VATEntry WHERE Document_Id = ? AND VATCalculationType = ? LIMIT 1",
                    {Get(doc, "AppliesToDoc_Id"), static_cast<int64_t>(TVATCalculation::ReverseCharge)})
             .Empty();
    const TLedgerPosting posting = PostProtocolLedgers(posted, store.Accounts(), side.CreditMemo);
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx_, posting.RefusalKey);
    WritePostedAmounts(ctx_, copy, posted, posting.Amounts, posting.Entries.Vendor);
    RemoveOpen(ctx_, id);
    Step("removed");
    std::string number;
    if (!Numbered(ctx_, side, doc, postedId, number)) return -1;
    Step("numbered");
    store.Write(store.Header(copy.ToHeader, postedId), posting.Entries, false);
    Step("ledgers");
    keys = {postedId, number};
    return 0;
}

int TGlobalDocPosting::DeleteGlobalDoc(const std::string& id, int crMemo) {
    const TRequestResult doc = SelectRows(ctx_.Db, "SELECT DocumentType FROM D_GlobalPurchHeader WHERE Id = ? AND Comp_Id = ?",
                                          {id, ctx_.Session.CompanyId});
    if (doc.Empty()) {
        const bool posted = !SelectRows(ctx_.Db,
                                        "SELECT 1 FROM D_PurchInvoiceHeader WHERE Id = ?1 AND Comp_Id = ?2 UNION ALL "
                                        "SELECT 1 FROM D_PurchCrMemoHeader WHERE Id = ?1 AND Comp_Id = ?2",
                                        {id, ctx_.Session.CompanyId})
                                 .Empty();
        return RefuseWith(ctx_, posted ? "err_GlobalDocPosted" : "err_GlobalDocNotFound");
    }
    // The protocol list and editor delete with marker 1, as the credit memos' side does.
    const int64_t type = doc.Value().AsInteger();
    const bool ofSide = crMemo == 0 ? type == DocumentType::GlobalInvoice
                                    : crMemo == 1 && (type == DocumentType::GlobalCrMemo || type == DocumentType::PurchProtocol ||
                                                      type == DocumentType::PurchCrMemoProtocol);
    if (!ofSide) return RefuseWith(ctx_, "err_GlobalDocWrongKind");
    ExecuteBound(ctx_.Db, "DELETE FROM D_GlobalPurchLine WHERE Master_Id = ?", {id});
    return 0;
}

int TGlobalDocPosting::AnnulGlobalDoc(const std::string& id, int crMemo, const std::function<int()>& annul) {
    const TGlobalSide& side = SideOf(crMemo, false);
    if (SelectRows(ctx_.Db,
                   std::string("SELECT 1 FROM ") + side.PostedHeader + " WHERE " + side.GlobalFlag +
                       " = 1 AND Id = ? AND Comp_Id = ?",
                   {id, ctx_.Session.CompanyId})
            .Empty())
        return RefuseWith(ctx_, "err_AnnulDocumentNotFound");
    const int result = annul();
    if (result < 0) return result;
    ExecuteBound(ctx_.Db,
                 std::string("UPDATE ") + side.SourceHeader + " SET " + side.GlobalNo + " = NULL, " +
                     side.VendorGlobalNo + " = NULL WHERE Id IN (SELECT SourceDocument_Id FROM D_GlobalSourceLine "
                                           "WHERE Document_Id = ?)",
                 {id});
    ExecuteBound(ctx_.Db, "DELETE FROM D_GlobalSourceLine WHERE Document_Id = ?", {id});
    return result;
}

}  // namespace tavrek::server
