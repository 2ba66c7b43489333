#include "server/posting/TPurchasePosting.h"

#include <map>
#include <stdexcept>

#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TProcedureRegistry.h"
#include "server/TQueryBuilder.h"
#include "server/posting/LedgerProcedures.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/PurchaseProcedures.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TPurchaseAnnulment.h"
#include "server/posting/TPurchaseLedgerPosting.h"
#include "server/posting/TMinorUnits.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

int RefuseWith(TServerContext& ctx, const std::string& key) {
    ctx.RefusalKey = key;
    return -1;
}

}  // namespace

TColumnCopy CopyColumns(TServerContext& ctx, const char* from, const std::map<std::string, std::string>& overrides,
                        const std::vector<std::string>& skip) {
    const TRelationInfo* source = ctx.Catalog.Find(from);
    if (source == nullptr) throw std::logic_error(std::string("Липсва таблица ") + from);
    TColumnCopy copy;
    for (const TColumnInfo& column : source->Columns) {
        bool skipped = false;
        for (const std::string& name : skip) skipped = skipped || EqualsIgnoreCase(name, column.Name);
        if (skipped) continue;
        const auto it = overrides.find(column.Name);
        copy.Target += (copy.Target.empty() ? "" : ", ") + QuoteIdentifier(column.Name);
        copy.Source += (copy.Source.empty() ? "" : ", ") + (it == overrides.end() ? QuoteIdentifier(column.Name) : it->second);
    }
    return copy;
}

int64_t NextTransactionNo(TServerContext& ctx) {
    const TRequestResult series = SelectRows(ctx.Db, "SELECT COALESCE(Transaction_Series_Id, '') FROM C_CompanySetup WHERE Id = ?",
                                             {ctx.Session.CompanyId});
    std::string number;
    if (!series.Empty() && !series.Value().AsString().empty() &&
        NextSerieNo(ctx, series.Value().AsString(), "", number) == 0) {
        try {
            return std::stoll(number);
        } catch (const std::exception&) {
            ctx.RefusalKey.clear();
        }
    }
    ctx.RefusalKey.clear();
    return SelectRows(ctx.Db,
                      "SELECT MAX(n) FROM (SELECT MAX(TransactionNo) AS n FROM D_PurchInvoiceHeader UNION ALL "
                      "SELECT MAX(TransactionNo) FROM D_PurchCrMemoHeader UNION ALL SELECT MAX(TransactionNo) FROM "
                      "D_PurchReceiptHeader UNION ALL SELECT MAX(TransactionNo) FROM D_PostPurchOrderHeader) AS used")
               .Value()
               .AsInteger() +
           1;
}

namespace {

struct TOpenInvoice {
    TRequestResult Row;
    Variant Get(const char* column) const { return Row.ByName(column); }
};

const std::string kOpenInvoiceColumns =
    "SELECT Id, DocumentType, Contragent_Id, DocumentDate, VendorInvoiceNo, CheckStatus, COALESCE(Currency_Id, '') "
    "AS Currency_Id, CurrencyFactor, DocSubType_Id, COALESCE(BusinessGroup_Id, '') AS BusinessGroup_Id, DirectPay "
    "FROM D_PurchHeader WHERE Id = ? AND Comp_Id = ?";

bool IsInvoiceKind(int64_t type) {
    return type == DocumentType::PurchInvoice || type == DocumentType::PurchDebitMemo ||
           type == DocumentType::PurchAdvancePayment || type == DocumentType::PurchGenericDoc;
}

// Why the open invoice cannot be posted, or nullptr.
const char* RefusalOf(TServerContext& ctx, const TOpenInvoice& doc) {
    if (doc.Row.Empty() || !IsInvoiceKind(doc.Get("DocumentType").AsInteger())) return "err_PostPurchDocumentNotFound";
    if (doc.Get("CheckStatus").AsInteger() == 1) return "err_PostPurchInDocumentCheck";
    if (doc.Get("Contragent_Id").IsEmpty()) return "err_PostPurchNoContragent";
    if (doc.Get("DocumentDate").IsNull()) return "err_PostPurchNoDocumentDate";
    if (Trim(doc.Get("VendorInvoiceNo").AsString()).empty()) return "err_PostPurchNoVendorInvoiceNo";
    if (!doc.Get("Currency_Id").IsEmpty() && doc.Get("CurrencyFactor").AsFloat() == 0.0) return "err_PostPurchZeroFactor";
    const std::string id = doc.Get("Id").AsString();
    const TRequestResult lines = SelectRows(
        ctx.Db,
        "SELECT COUNT(*), COALESCE(SUM(CASE WHEN l.Type = 2 AND l.Code = p.AdvancePaymentAccount AND COALESCE(l.AccountDimension_Id, '') = '' THEN 1 ELSE 0 END), 0) "
        "FROM D_PurchaseLine l LEFT JOIN C_PurchasesSetup p ON p.Id = ? WHERE l.Master_Id = ?",
        {ctx.Session.CompanyId, id});
    if (lines.Value(0, 0).AsInteger() == 0) return "err_PostPurchNoLines";
    if (lines.Value(0, 1).AsFloat() > 0) return "err_PostPurchAdvanceWithoutDimension";
    const TRequestResult duplicate = SelectRows(
        ctx.Db,
        "SELECT 1 FROM D_PurchInvoiceHeader WHERE Comp_Id = ? AND Contragent_Id = ? AND VendorInvoiceNo = ? "
        "AND Annul = 0 AND COALESCE(IsGlobalInvoice, 0) = 0 LIMIT 1",
        {ctx.Session.CompanyId, doc.Get("Contragent_Id"), Trim(doc.Get("VendorInvoiceNo").AsString())});
    return duplicate.Empty() ? nullptr : "err_PostPurchDuplicateVendorInvoice";
}

}  // namespace

std::string PostingSeries(TServerContext& ctx, const Variant& subType, const char* setupColumn) {
    return SelectRows(ctx.Db,
                      std::string("SELECT COALESCE(NULLIF((SELECT Post_Series_Id FROM N_SubDocument WHERE Id = ?2 AND "
                                  "Comp_Id = ?1), ''), (SELECT ") + setupColumn + " FROM C_PurchasesSetup WHERE Id = ?1))",
                      {ctx.Session.CompanyId, subType})
        .Value()
        .AsString();
}

namespace {

// The item's last purchase cost follows the invoice when the purchases setup says so.
void UpdateItemDirectCosts(TServerContext& ctx, const std::string& postedId) {
    const TRequestResult setup = SelectRows(ctx.Db, "SELECT Update_ItemDirectCost FROM C_PurchasesSetup WHERE Id = ?",
                                            {ctx.Session.CompanyId});
    if (setup.Empty() || setup.Value().AsString() != "True") return;
    // The last line of each item, found in one pass over the lines.
    ExecuteBound(ctx.Db,
                 "UPDATE N_Item SET LastDirectCost = x.Cost FROM (SELECT l.Code, l.UnitCost_LCY AS Cost FROM "
                 "D_PurchInvoiceLine l JOIN (SELECT Code, MAX(Line_No) AS LastNo FROM D_PurchInvoiceLine WHERE "
                 "Master_Id = ?1 AND Type IN (1, 5) GROUP BY Code) m ON m.Code = l.Code AND m.LastNo = l.Line_No "
                 "WHERE l.Master_Id = ?1) AS x WHERE N_Item.Comp_Id = ?2 AND N_Item.Code = x.Code",
                 {postedId, ctx.Session.CompanyId});
}

// The posted header and lines take the amounts of the posting: the document as its
// recalculation computes it, and what is left to pay the vendor.
void WritePostedAmounts(TServerContext& ctx, const std::string& headerTable, const std::string& lineTable,
                        const TPostingDocument& doc, const TLedgerPosting& posting) {
    const TMinorUnits units(doc.AmountDecimals);
    const TDocumentAmounts& a = posting.Amounts;
    const std::vector<TVendorEntry>& vendor = posting.Entries.Vendor;
    ExecuteBound(ctx.Db,
                 "UPDATE " + headerTable + " SET TotalValue = ?, VATValue = ?, TotalVAT = ?, TotalValue_LCY = ?, "
                 "TotalVAT_LCY = ?, Remaining = ?, Remaining_ACY = ? WHERE Id = ?",
                 {units.ToAmount(a.TotalValue), units.ToAmount(a.VATValue), units.ToAmount(a.TotalVAT),
                  units.ToAmount(a.TotalValueLCY), units.ToAmount(a.TotalVATLCY),
                  vendor.empty() ? 0.0 : units.ToAmount(-vendor[0].Remaining),
                  vendor.empty() ? 0.0 : units.ToAmount(-vendor[0].RemainingACY), doc.Id});
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        if (units.Of(doc.Lines[i].ValueLCY) == a.LineValueLCY[i]) continue;
        ExecuteBound(ctx.Db,
                     "UPDATE " + lineTable + " SET TotalValue_LCY = ?, TotalVAT_LCY = ? + COALESCE(VATValue_LCY, 0) "
                     "WHERE Id = ? AND Master_Id = ?",
                     {units.ToAmount(a.LineValueLCY[i]), units.ToAmount(a.LineValueLCY[i]), doc.Lines[i].Id, doc.Id});
    }
}

// The local amount of a copied line at the document's rate, as the posting takes it; only the
// line that carries the document's rounding difference is left to correct.
std::string LineValueLCY() {
    return "ROUND(CAST(ROUND(CAST(COALESCE(TotalValue, 0) AS NUMERIC), ?3) * ?4 AS NUMERIC), ?3)";
}

// Item charge assignments stay with the posted invoice; future cost periods follow it.
void KeepAssignments(TServerContext& ctx, const std::string& openId, const std::string& postedId) {
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PostItemChargeAssigment (Id, Comp_Id, SalePurch, SrcDocument_ID, ChargeLine_Id, "
                 "ItemLine_Id, ItemCharge_Id, Quantity) SELECT Id, Comp_Id, 0, ?, AppliesToDoc_Id, ItemLine_Id, "
                 "ItemCharge_Id, Quantity FROM D_ItemChargeAssigment WHERE Document_Id = ?",
                 {postedId, openId});
    ExecuteBound(ctx.Db, "DELETE FROM D_ItemChargeAssigment WHERE Document_Id = ?", {openId});
    ExecuteBound(ctx.Db, "UPDATE D_FutureCostPeriod SET Master_id = ? WHERE Master_id = ?", {postedId, openId});
}

// The open protocol copied into the posted invoices (credit memos); returns the posted Id.
std::string CopyProtocol(TServerContext& ctx, const std::string& id, bool credit, const std::string& number,
                         int64_t transaction) {
    const std::string postedId = CreateUniqueID();
    const int postedType = credit ? DocumentType::PostedPurchCrMemo : DocumentType::PostedPurchInvoice;
    const TColumnCopy header = CopyColumns(ctx, "D_GlobalPurchHeader",
                                           {{"Id", "?1"},
                                            {"DocumentType", std::to_string(postedType)},
                                            {"DocumentNo", "?2"},
                                            {"PostingDate", "COALESCE(PostingDate, DocumentDate)"},
                                            {"C_Datetime", "CAST(?3 AS DOUBLE PRECISION)"},
                                            {credit ? "IsGlobalCrMemo" : "IsGlobalInvoice", "1"}});
    ExecuteBound(ctx.Db,
                 std::string("INSERT INTO ") + (credit ? "D_PurchCrMemoHeader" : "D_PurchInvoiceHeader") + " (" +
                     header.Target + ", PostingUser_Id, TransactionNo, SrcDocument_Id, Annul, GlobDocIsPosted) SELECT " +
                     header.Source + ", ?4, CAST(?5 AS INTEGER), Id, 0, 1 FROM D_GlobalPurchHeader WHERE Id = ?6",
                 {postedId, number, TDateTime::Now(), ctx.Session.UserId, transaction, id});
    const TColumnCopy lines = CopyColumns(ctx, "D_GlobalPurchLine", {{"Master_Id", "?1"}});
    ExecuteBound(ctx.Db,
                 std::string("INSERT INTO ") + (credit ? "D_PurchCrMemoLine" : "D_PurchInvoiceLine") + " (" +
                     lines.Target + ") SELECT " + lines.Source + " FROM D_GlobalPurchLine WHERE Master_Id = ?2 ORDER BY Line_No",
                 {postedId, id});
    return postedId;
}

}  // namespace

int TPurchasePosting::PostPurchase(TServerContext& ctx, const std::string& id, TVariantArray& keys) {
    return PostOpenInvoice(ctx, id, keys, {});
}

int TPurchasePosting::PostOpenInvoice(TServerContext& ctx, const std::string& id, TVariantArray& keys,
                                      const TPrepareInvoice& prepare) {
    // Locked until the posting ends: a second client posting the same invoice waits, then
    // finds it gone.
    const TOpenInvoice doc{
        SelectRows(ctx.Db, kOpenInvoiceColumns + ctx.Db.Dialect().LockRow(), {id, ctx.Session.CompanyId})};
    if (const char* refusal = RefusalOf(ctx, doc)) return RefuseWith(ctx, refusal);
    std::string number;
    const std::string series = PostingSeries(ctx, doc.Get("DocSubType_Id"), "PostedInvoice_Series_Id");
    if (NextSerieNo(ctx, series, doc.Get("BusinessGroup_Id").AsString(), number) < 0) return -1;
    const int64_t transaction = NextTransactionNo(ctx);
    Step("numbered");

    const std::string postedId = CreateUniqueID();
    const TColumnCopy header = CopyColumns(ctx, "D_PurchHeader",
                                           {{"Id", "?1"},
                                            {"DocumentType", std::to_string(DocumentType::PostedPurchInvoice)},
                                            {"DocumentNo", "?2"},
                                            {"PostingDate", "COALESCE(PostingDate, DocumentDate)"},
                                            {"C_Datetime", "CAST(?3 AS DOUBLE PRECISION)"}});
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchInvoiceHeader (" + header.Target +
                     ", PostingUser_Id, TransactionNo, SrcDocument_Id, Annul) SELECT " + header.Source +
                     ", ?4, CAST(?5 AS INTEGER), Id, 0 FROM D_PurchHeader WHERE Id = ?6",
                 {postedId, number, TDateTime::Now(), ctx.Session.UserId, transaction, id});
    Step("header");
    const TLedgerStore store(ctx);
    const TColumnCopy lines = CopyColumns(
        ctx, "D_PurchaseLine",
        {{"Master_Id", "?1"}, {"TotalValue_LCY", LineValueLCY()}, {"TotalVAT_LCY", LineValueLCY() + " + COALESCE(VATValue_LCY, 0)"}});
    const double factor = doc.Get("Currency_Id").IsEmpty() ? 1.0 : doc.Get("CurrencyFactor").AsFloat();
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchInvoiceLine (" + lines.Target + ") SELECT " + lines.Source +
                     " FROM D_PurchaseLine WHERE Master_Id = ?2 ORDER BY Line_No",
                 {postedId, id, store.AmountDecimals(), factor});
    Step("lines");

    TPostingDocument posted = store.Document("D_PurchInvoiceHeader", "D_PurchInvoiceLine", postedId, id);
    if (prepare) prepare(ctx, posted);
    const TLedgerPosting posting = PostPurchaseLedgers(posted, store.Accounts());
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx, posting.RefusalKey);
    WritePostedAmounts(ctx, "D_PurchInvoiceHeader", "D_PurchInvoiceLine", posted, posting);
    store.Write(store.Header("D_PurchInvoiceHeader", postedId), posting.Entries, false);
    KeepAssignments(ctx, id, postedId);
    UpdateItemDirectCosts(ctx, postedId);
    Step("ledgers");

    ExecuteBound(ctx.Db, "DELETE FROM D_PurchaseLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchHeader WHERE Id = ?", {id});
    Step("removed");
    keys = {postedId, number};
    return 0;
}

int TPurchasePosting::PostPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) {
    const TRequestResult doc = SelectRows(
        ctx.Db,
        "SELECT DocumentType, DocSubType_Id, COALESCE(BusinessGroup_Id, '') FROM D_GlobalPurchHeader WHERE Id = ? "
        "AND Comp_Id = ?" + ctx.Db.Dialect().LockRow(),
        {id, ctx.Session.CompanyId});
    const int64_t expected = crMemo == 1 ? DocumentType::PurchCrMemoProtocol : DocumentType::PurchProtocol;
    if (doc.Empty() || doc.Value(0, 0).AsInteger() != expected) return RefuseWith(ctx, "err_PurchProtocolNotFound");
    const bool credit = crMemo == 1;
    const char* headerTable = credit ? "D_PurchCrMemoHeader" : "D_PurchInvoiceHeader";
    const char* lineTable = credit ? "D_PurchCrMemoLine" : "D_PurchInvoiceLine";
    std::string number;
    const std::string series =
        PostingSeries(ctx, doc.Value(0, 1), credit ? "PostPurchCrMemoProt_Series_Id" : "PostPurchProtocol_Series_Id");
    if (NextSerieNo(ctx, series, doc.Value(0, 2).AsString(), number) < 0) return -1;
    const int64_t transaction = NextTransactionNo(ctx);
    Step("numbered");

    const std::string postedId = CopyProtocol(ctx, id, credit, number, transaction);
    Step("lines");
    const TLedgerStore store(ctx);
    const TPostingDocument posted = store.Document(headerTable, lineTable, postedId, id);
    const TLedgerPosting posting = PostProtocolLedgers(posted, store.Accounts(), credit);
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx, posting.RefusalKey);
    WritePostedAmounts(ctx, headerTable, lineTable, posted, posting);
    store.Write(store.Header(headerTable, postedId), posting.Entries, false);
    Step("ledgers");
    ExecuteBound(ctx.Db, "DELETE FROM D_GlobalPurchLine WHERE Master_Id = ?", {id});
    ExecuteBound(ctx.Db, "DELETE FROM D_GlobalPurchHeader WHERE Id = ?", {id});
    Step("removed");
    keys = {postedId, number};
    return 0;
}

int TPurchasePosting::AnnulDocument(TServerContext& ctx, const std::string& id, int, const std::string& description,
                                    TDateTime date, int flag, Variant& output) {
    return TPurchaseAnnulment(ctx, onStep_)
        .Annul({id, description, date, flag == 1}, [&ctx] { return NextTransactionNo(ctx); }, output);
}

int TPurchasePosting::AnnulPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo,
                                         const std::string& description, TDateTime date) {
    const std::string protocols =
        crMemo == 1 ? "D_PurchCrMemoHeader WHERE IsGlobalCrMemo = 1" : "D_PurchInvoiceHeader WHERE IsGlobalInvoice = 1";
    if (SelectRows(ctx.Db, "SELECT 1 FROM " + protocols + " AND Id = ? AND Comp_Id = ?", {id, ctx.Session.CompanyId}).Empty())
        return RefuseWith(ctx, "err_AnnulDocumentNotFound");
    Variant unapplied;
    return AnnulDocument(ctx, id, 0, description, date, 0, unapplied);
}

void TPurchasePosting::RegisterProcedures(TProcedureRegistry& registry) {
    RegisterPurchaseProcedures(registry);
    RegisterLedgerProcedures(registry);
}

}  // namespace tavrek::server
