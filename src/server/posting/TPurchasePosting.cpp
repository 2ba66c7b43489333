#include "server/posting/TPurchasePosting.h"

#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TProcedureRegistry.h"
#include "server/posting/LedgerProcedures.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/PurchaseProcedures.h"
#include "server/posting/TGlobalDocPosting.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TPurchaseAnnulment.h"
#include "server/posting/TPurchaseLedgerPosting.h"
#include "server/posting/TStoredAmountsCheck.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

const TPostedCopy kPostedInvoice{"D_PurchHeader", "D_PurchaseLine", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
                                 DocumentType::PostedPurchInvoice, {}, "", ""};

struct TOpenInvoice {
    TRequestResult Row;
    Variant Get(const char* column) const { return Row.ByName(column); }
};

// The open document, locked until the posting ends: a second client posting the same
// invoice waits, then finds it gone. Its subtype is the one the posted invoice takes.
TOpenInvoice ReadLocked(TServerContext& ctx, const TPostedCopy& from, const std::string& id) {
    const auto subType = from.HeaderOverrides.find("DocSubType_Id");
    return {SelectRows(ctx.Db,
                       "SELECT Id, DocumentType, Contragent_Id, DocumentDate, VendorInvoiceNo, CheckStatus, "
                       "COALESCE(Currency_Id, '') AS Currency_Id, CurrencyFactor, " +
                           (subType == from.HeaderOverrides.end() ? std::string("DocSubType_Id") : subType->second) +
                           " AS DocSubType_Id, COALESCE(BusinessGroup_Id, '') AS BusinessGroup_Id, DirectPay, "
                           "COALESCE(DocumentNo, '') AS DocumentNo FROM " +
                           from.FromHeader + " WHERE Id = ? AND Comp_Id = ?" + ctx.Db.Dialect().LockRow(),
                       {id, ctx.Session.CompanyId})};
}

// An order buffer is posted as an invoice by the order posting, which checked it as a buffer.
bool IsInvoiceKind(int64_t type) {
    return type == DocumentType::PurchInvoice || type == DocumentType::PurchDebitMemo ||
           type == DocumentType::PurchAdvancePayment || type == DocumentType::PurchGenericDoc ||
           type == DocumentType::PurchOrderBuffer;
}

// Why the open invoice cannot be posted, or nullptr.
const char* RefusalOf(TServerContext& ctx, const TPostedCopy& from, const TOpenInvoice& doc) {
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
        "FROM " + std::string(from.FromLines) + " l LEFT JOIN C_PurchasesSetup p ON p.Id = ? WHERE l.Master_Id = ?" +
            (from.LineCondition.empty() ? "" : " AND " + from.LineCondition),
        {ctx.Session.CompanyId, id});
    if (lines.Value(0, 0).AsInteger() == 0) return "err_PostPurchNoLines";
    if (lines.Value(0, 1).AsFloat() > 0) return "err_PostPurchAdvanceWithoutDimension";
    const bool duplicate = VendorDocumentPosted(ctx, "D_PurchInvoiceHeader", "VendorInvoiceNo", "IsGlobalInvoice",
                                                doc.Get("Contragent_Id"), Trim(doc.Get("VendorInvoiceNo").AsString()));
    return duplicate ? "err_PostPurchDuplicateVendorInvoice" : nullptr;
}

// Invoices posted at once by several clients lock the items they share in one order, so that
// one waits for the other instead of both deadlocking in the cost update's join order.
void LockItemsInKeyOrder(TServerContext& ctx, const std::string& postedId) {
    const std::string lock = ctx.Db.Dialect().LockRow();
    if (lock.empty()) return;
    SelectRows(ctx.Db,
               "SELECT i.Id FROM N_Item i WHERE i.Comp_Id = ?2 AND EXISTS (SELECT 1 FROM D_PurchInvoiceLine l WHERE "
               "l.Master_Id = ?1 AND l.Type IN (1, 5) AND (l.Code = i.Code OR l.Code = i.Id)) ORDER BY i.Id" + lock,
               {postedId, ctx.Session.CompanyId});
}

// The item's last purchase cost follows the invoice when the purchases setup says so.
void UpdateItemDirectCosts(TServerContext& ctx, const std::string& postedId) {
    const TRequestResult setup = SelectRows(ctx.Db, "SELECT Update_ItemDirectCost FROM C_PurchasesSetup WHERE Id = ?",
                                            {ctx.Session.CompanyId});
    if (setup.Empty() || setup.Value().AsString() != "True") return;
    LockItemsInKeyOrder(ctx, postedId);
    // The last line of each item, found in one pass over the document's lines: grouped by an
    // expression, so that the index of all posted lines by item is not walked for the order.
    ExecuteBound(ctx.Db,
                 "UPDATE N_Item SET LastDirectCost = x.Cost FROM (SELECT l.Code, l.UnitCost_LCY AS Cost FROM "
                 "D_PurchInvoiceLine l JOIN (SELECT COALESCE(Code, '') AS Code, MAX(Line_No) AS LastNo FROM "
                 "D_PurchInvoiceLine WHERE Master_Id = ?1 AND Type IN (1, 5) GROUP BY COALESCE(Code, '')) m "
                 "ON m.Code = l.Code AND m.LastNo = l.Line_No WHERE l.Master_Id = ?1) AS x "
                 "WHERE N_Item.Comp_Id = ?2 AND (N_Item.Code = x.Code OR N_Item.Id = x.Code)",
                 {postedId, ctx.Session.CompanyId});
}

// The item's average unit cost (UnitCost) is its stock's cost over its quantity after the
// invoice's entries, unless the purchases setup says not to calculate it ("False": the box
// "Без изч. на средна себестойност" is ticked). Stock sold out keeps its last average.
void UpdateItemAverageCosts(TServerContext& ctx, const std::string& postedId) {
    const TRequestResult setup = SelectRows(ctx.Db, "SELECT UpdateAVGUnitCost FROM C_PurchasesSetup WHERE Id = ?",
                                            {ctx.Session.CompanyId});
    if (setup.Empty() || setup.Value().AsString() != "True") return;
    constexpr int kAverageCostDecimals = 4;
    ExecuteBound(ctx.Db,
                 "UPDATE N_Item SET UnitCost = x.Cost FROM (SELECT e.Item_Id, ROUND(CAST(SUM(e.CostAmount) / "
                 "SUM(e.Quantity) AS NUMERIC), ?3) AS Cost FROM G_ItemEntry e WHERE e.Comp_Id = ?2 AND e.Item_Id IN "
                 "(SELECT d.Item_Id FROM G_ItemEntry d WHERE d.Document_Id = ?1) GROUP BY e.Item_Id HAVING "
                 "SUM(e.Quantity) > 1e-9) AS x WHERE N_Item.Comp_Id = ?2 AND (N_Item.Code = x.Item_Id OR N_Item.Id = "
                 "x.Item_Id)",
                 {postedId, ctx.Session.CompanyId, kAverageCostDecimals});
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

// An advance payment is booked on an analytical dimension of its own, named after the
// vendor's document, which later invoices settle through their advance lines.
void OpenAdvanceDimension(TServerContext& ctx, const TOpenInvoice& doc) {
    const TRequestResult lines = SelectRows(
        ctx.Db,
        "SELECT l.Id, l.Code FROM D_PurchaseLine l JOIN C_PurchasesSetup p ON p.Id = ? WHERE l.Master_Id = ? AND "
        "l.Type = 2 AND l.Code = p.AdvancePaymentAccount AND COALESCE(l.AccountDimension_Id, '') = ''",
        {ctx.Session.CompanyId, doc.Get("Id")});
    for (const TVariantArray& line : lines.Rows) {
        const std::string dimension = CreateUniqueID();
        ExecuteBound(ctx.Db,
                     "INSERT INTO N_LAccountDimension (Id, Comp_Id, Account_Id, ReferenceType, Reference_Id, "
                     "Description, DocumentDate) VALUES (?, ?, ?, 0, ?, ?, ?)",
                     {dimension, ctx.Session.CompanyId, line[1], doc.Get("Contragent_Id"),
                      "Аванс по " + Trim(doc.Get("VendorInvoiceNo").AsString()), doc.Get("DocumentDate")});
        ExecuteBound(ctx.Db, "UPDATE D_PurchaseLine SET AccountDimension_Id = ? WHERE Id = ? AND Master_Id = ?",
                     {dimension, line[0], doc.Get("Id")});
    }
}

}  // namespace

int TPurchasePosting::PostPurchase(TServerContext& ctx, const std::string& id, TVariantArray& keys) {
    return PostOpenInvoice(ctx, kPostedInvoice, id, keys, {});
}

int TPurchasePosting::PostOpenInvoice(TServerContext& ctx, const TPostedCopy& from, const std::string& id,
                                      TVariantArray& keys, const TPrepareInvoice& prepare, bool removeOpen) {
    const TOpenInvoice doc = ReadLocked(ctx, from, id);
    if (!doc.Row.Empty() && doc.Get("DocumentType").AsInteger() == DocumentType::PurchAdvancePayment)
        OpenAdvanceDimension(ctx, doc);
    if (const char* refusal = RefusalOf(ctx, from, doc)) return RefuseWith(ctx, refusal);
    if (!TStoredAmountsCheck(ctx).Agrees(from.FromHeader, from.FromLines, id, from.LineCondition)) return -1;

    const TLedgerStore store(ctx);
    const std::string postedId = CopyToPosted(ctx, from, id, "", 0, store.AmountDecimals());
    Step("header");
    Step("lines");

    TPostingDocument posted = store.Document("D_PurchInvoiceHeader", "D_PurchInvoiceLine", postedId, id);
    if (prepare) prepare(ctx, posted);
    const TLedgerPosting posting = PostPurchaseLedgers(posted, store.Accounts());
    if (!posting.RefusalKey.empty()) return RefuseWith(ctx, posting.RefusalKey);
    WritePostedAmounts(ctx, from, posted, posting.Amounts, posting.Entries.Vendor);
    KeepAssignments(ctx, id, postedId);
    UpdateItemDirectCosts(ctx, postedId);
    if (removeOpen) {
        ExecuteBound(ctx.Db, std::string("DELETE FROM ") + from.FromLines + " WHERE Master_Id = ?", {id});
        ExecuteBound(ctx.Db, std::string("DELETE FROM ") + from.FromHeader + " WHERE Id = ?", {id});
    }
    Step("removed");

    // The series stay locked from here to the commit: other postings wait only for the entries.
    const std::string businessGroup = doc.Get("BusinessGroup_Id").AsString();
    if (removeOpen)
        NumberPostedDraft(ctx, "D_PurchInvoiceHeader", postedId, doc.Get("DocumentNo").AsString(), doc.Get("DocSubType_Id"),
                          doc.Get("DocumentType").AsInteger() == DocumentType::PurchDebitMemo ? nullptr : "Invoice_Series_Id",
                          businessGroup);
    std::string number;
    if (!NumberPosted(ctx, "D_PurchInvoiceHeader", postedId, PostingSeries(ctx, doc.Get("DocSubType_Id"), "PostedInvoice_Series_Id"),
                businessGroup, number))
        return -1;
    Step("numbered");
    store.Write(store.Header("D_PurchInvoiceHeader", postedId), posting.Entries, false);
    UpdateItemAverageCosts(ctx, postedId);
    Step("ledgers");
    keys = {postedId, number};
    return 0;
}

int TPurchasePosting::PostPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) {
    return TGlobalDocPosting(ctx, onStep_).PostPurchProtocol(id, crMemo, keys);
}

int TPurchasePosting::PostGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo, TVariantArray& keys) {
    return TGlobalDocPosting(ctx, onStep_).PostGlobalDoc(id, crMemo, keys);
}

int TPurchasePosting::DeleteGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo) {
    return TGlobalDocPosting(ctx, onStep_).DeleteGlobalDoc(id, crMemo);
}

int TPurchasePosting::AnnulDocument(TServerContext& ctx, const std::string& id, int, const std::string& description,
                                    TDateTime date, int flag, Variant& output) {
    return TPurchaseAnnulment(ctx, onStep_)
        .Annul({id, description, date, flag == 1}, [&ctx] { return NextTransactionNo(ctx); }, output);
}

int TPurchasePosting::AnnulGlobalDoc(TServerContext& ctx, const std::string& id, int crMemo,
                                     const std::string& description, TDateTime date, int annulPayments) {
    Variant unapplied;
    return TGlobalDocPosting(ctx, onStep_).AnnulGlobalDoc(
        id, crMemo, [&] { return AnnulDocument(ctx, id, 0, description, date, annulPayments, unapplied); });
}

int TPurchasePosting::AnnulPurchProtocol(TServerContext& ctx, const std::string& id, int crMemo,
                                         const std::string& description, TDateTime date) {
    return AnnulGlobalDoc(ctx, id, crMemo, description, date, 0);
}

void TPurchasePosting::RegisterProcedures(TProcedureRegistry& registry) {
    RegisterPurchaseProcedures(registry);
    RegisterLedgerProcedures(registry);
}

}  // namespace tavrek::server
