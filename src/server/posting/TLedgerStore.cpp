#include "server/posting/TLedgerStore.h"

#include <cstdio>

#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"
#include "server/posting/TMinorUnits.h"

namespace tavrek::server {
namespace {

std::string Text(const TVariantArray& row, size_t i) { return row[i].IsNull() ? std::string() : row[i].AsString(); }

TDateTime Date(const Variant& value) { return TDateTime(value.IsNull() ? 0.0 : value.AsFloat()); }

}  // namespace

// Keys of the entries of one write: a random key with the entry's number in its last group,
// so that the entries of a posting sit side by side in the index of their keys instead of
// touching a page of it each.
class TEntryKeys {
public:
    TEntryKeys() : prefix_(CreateUniqueID().substr(0, 25)) {}

    std::string Next() {
        char number[16];
        std::snprintf(number, sizeof number, "%012llX}", ++count_);
        return prefix_ + number;
    }

private:
    std::string prefix_;  // "{XXXXXXXX-XXXX-4XXX-YXXX-"
    unsigned long long count_ = 0;
};

TLedgerStore::TLedgerStore(TServerContext& ctx) : ctx_(ctx) {
    const TRequestResult found =
        SelectRows(ctx.Db, "SELECT AmountDecimals FROM C_CompanySetup WHERE Id = ?", {ctx.Session.CompanyId});
    decimals_ = found.Empty() || found.Value().IsNull() ? 2 : static_cast<int>(found.Value().AsInteger());
}

TPostingAccounts TLedgerStore::Accounts() const {
    const std::string company = ctx_.Session.CompanyId;
    TPostingAccounts accounts;
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT Id, COALESCE(PayablesAccount, '') FROM N_CntrPostingGroup WHERE Comp_Id = ?", {company}).Rows)
        accounts.SetPayables(Text(r, 0), Text(r, 1));
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT GenBusPostGroup_Id, GenProdPostGroup_Id, PurchaseAccount FROM G_GenPostingSetup "
                             "WHERE Comp_Id = ?", {company}).Rows)
        accounts.SetPurchase(Text(r, 0), Text(r, 1), Text(r, 2));
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT Store_Id, GenProdPostGroup_Id, InventoryAccount FROM G_InventoryPostingSetup "
                             "WHERE Comp_Id = ?", {company}).Rows)
        accounts.SetInventory(Text(r, 0), Text(r, 1), Text(r, 2));
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT VATBus_PostingGroup, VATProd_PostingGroup, COALESCE(PurchaseVATAccount, ''), "
                             "COALESCE(PurchaseChargedVATAccount, '') FROM G_VATPostingSetup WHERE Comp_Id = ?", {company}).Rows)
        accounts.SetVAT(Text(r, 0), Text(r, 1), {Text(r, 2), Text(r, 3)});
    const TRequestResult setup = SelectRows(
        ctx_.Db, "SELECT FutureCostsAccount, DirectPayAccount, ProtocolTransitAccount, ReceiptsNotInvoicedAccount FROM "
                 "C_PurchasesSetup WHERE Id = ?",
        {company});
    if (!setup.Empty()) {
        accounts.DeferredCosts = Text(setup.Rows[0], 0);
        accounts.DirectPayment = Text(setup.Rows[0], 1);
        accounts.ProtocolTransit = Text(setup.Rows[0], 2);
        accounts.ReceiptsNotInvoiced = Text(setup.Rows[0], 3);
    }
    return accounts;
}

TLedgerHeader TLedgerStore::Header(const std::string& headerTable, const std::string& documentId) const {
    const TRequestResult found = SelectRows(
        ctx_.Db,
        "SELECT Id, COALESCE(DocumentNo, ''), COALESCE(VendorInvoiceNo, ''), COALESCE(Contragent_Id, ''), "
        "COALESCE(Currency_Id, ''), COALESCE(CntrPostingGroup_Id, ''), COALESCE(BusinessGroup_Id, ''), "
        "COALESCE(LedgerSubjectType, ''), DocumentType, COALESCE(TransactionNo, 0), COALESCE(CurrencyFactor, 1), "
        "DocumentDate, DueDate, COALESCE(DoNotIncInVATLedger, 0) FROM " + headerTable + " WHERE Id = ? AND Comp_Id = ?",
        {documentId, ctx_.Session.CompanyId});
    TLedgerHeader h;
    if (found.Empty()) return h;
    const TVariantArray& r = found.Rows[0];
    h = {Text(r, 0), Text(r, 1), Text(r, 2), Text(r, 3), Text(r, 4), Text(r, 5), Text(r, 6), Text(r, 7),
         r[8].AsInteger(), r[9].AsInteger(), r[10].AsFloat(), Date(r[11]), Date(r[12]), static_cast<int>(r[13].AsInteger())};
    if (h.CurrencyId.empty() || h.CurrencyFactor == 0) h.CurrencyFactor = 1;
    return h;
}

TPostingDocument TLedgerStore::Document(const std::string& headerTable, const std::string& lineTable,
                                        const std::string& documentId, const std::string& sourceId) const {
    const TLedgerHeader h = Header(headerTable, documentId);
    TPostingDocument doc;
    doc.Id = documentId;
    doc.DocumentNo = h.DocumentNo;
    doc.VendorDocumentNo = h.VendorDocumentNo;
    doc.ContragentId = h.ContragentId;
    doc.CurrencyId = h.CurrencyId;
    doc.CntrPostingGroup = h.CntrPostingGroup;
    doc.BusinessGroup = h.BusinessGroup;
    doc.CurrencyFactor = h.CurrencyFactor;
    doc.DocumentDate = h.DocumentDate;
    doc.AmountDecimals = decimals_;
    const TRequestResult header = SelectRows(
        ctx_.Db, "SELECT PostingDate, COALESCE(DirectPay, 0) FROM " + headerTable + " WHERE Id = ?", {documentId});
    doc.PostingDate = Date(header.Value(0, 0));
    doc.PaidAtPosting = header.Value(0, 1).AsInteger() == 1;
    const int64_t sourceType =
        SelectRows(ctx_.Db, "SELECT DocumentType FROM D_PurchHeader WHERE Id = ?", {sourceId}).Value().AsInteger();
    doc.TypedVAT = sourceType == DocumentType::PurchGenericDoc || sourceType == DocumentType::PurchGenericCrMemoDoc;
    // Item lines name the item by its code; the ledgers keep the item's key.
    const TRequestResult lines = SelectRows(
        ctx_.Db,
        "SELECT l.Id, l.Line_No, l.Type, CASE WHEN l.Type IN (1, 5) THEN COALESCE(i.Id, l.Code) ELSE l.Code END, "
        "COALESCE(l.Description, ''), CASE WHEN COALESCE(l.Quantity_Base, 0) <> 0 THEN l.Quantity_Base ELSE "
        "COALESCE(l.Quantity, 0) * COALESCE(NULLIF(l.QtyPerUnitOfMeasure, 0), 1) END, COALESCE(l.TotalValue, 0), "
        "COALESCE(l.VATBaseAmount, 0), COALESCE(l.VATPercent, 0), COALESCE(s.VATCalculationType, l.VATCalculationType, 0), "
        "COALESCE(l.VATLedger, 0), COALESCE(l.VATBusPostGroup_Id, ''), COALESCE(l.VATProdPostGroup_Id, ''), "
        "COALESCE(NULLIF(l.GenBusPostGroup_Id, ''), h.GenBusPostGroup_Id, ''), "
        "COALESCE(NULLIF(l.GenProdPostGroup_Id, ''), i.GenProdPostGroup_Id, ''), "
        "COALESCE(NULLIF(l.BusinessGroup_Id, ''), h.BusinessGroup_Id, ''), COALESCE(b.Store_Id, ''), "
        "COALESCE(l.AccountDimension_Id, ''), COALESCE(l.GlobalDimension_Id, ''), COALESCE(l.TotalValue_LCY, 0), "
        "COALESCE(l.VATValue, 0) "
        "FROM " + lineTable + " l JOIN " + headerTable +
            " h ON h.Id = l.Master_Id LEFT JOIN N_Item i ON i.Comp_Id = h.Comp_Id AND i.Code = l.Code "
        "AND l.Type IN (1, 5) LEFT JOIN N_BusinessGroup b ON b.Id = COALESCE(NULLIF(l.BusinessGroup_Id, ''), "
        "h.BusinessGroup_Id) LEFT JOIN G_VATPostingSetup s ON s.Comp_Id = h.Comp_Id AND s.VATBus_PostingGroup = "
        "l.VATBusPostGroup_Id AND s.VATProd_PostingGroup = l.VATProdPostGroup_Id WHERE l.Master_Id = ? ORDER BY l.Line_No",
        {documentId});
    for (const TVariantArray& r : lines.Rows)
        doc.Lines.push_back({Text(r, 0), static_cast<int>(r[1].AsInteger()), static_cast<int>(r[2].AsInteger()),
                             Text(r, 3), Text(r, 4), r[5].AsFloat(), r[6].AsFloat(), r[7].AsFloat(), r[8].AsFloat(),
                             static_cast<int>(r[9].AsInteger()), static_cast<int>(r[10].AsInteger()), Text(r, 11),
                             Text(r, 12), Text(r, 13), Text(r, 14), Text(r, 15), Text(r, 16), Text(r, 17), Text(r, 18),
                             r[19].AsFloat(), r[20].AsFloat()});
    for (const TVariantArray& r : SelectRows(ctx_.Db,
                                             "SELECT AppliesToDoc_Id, ItemLine_Id, Quantity FROM D_ItemChargeAssigment "
                                             "WHERE Document_Id = ?", {sourceId}).Rows)
        doc.Charges.push_back({Text(r, 0), Text(r, 1), r[2].AsFloat()});
    for (const TVariantArray& r : SelectRows(ctx_.Db,
                                             "SELECT MasterLine_Id, PeriodDate, Amount FROM D_FutureCostPeriod "
                                             "WHERE Master_id = ? ORDER BY PeriodDate", {sourceId}).Rows)
        doc.FutureCosts.push_back({Text(r, 0), Date(r[1]), r[2].AsFloat()});
    return doc;
}

void TLedgerStore::Write(const TLedgerHeader& header, const TLedgerEntries& entries, bool storno) const {
    TEntryKeys keys;
    WriteItems(header, entries, keys);
    WriteVendor(header, entries, keys);
    WriteVAT(header, entries, keys);
    WriteGL(header, entries, storno, keys);
}

void TLedgerStore::WriteItems(const TLedgerHeader& h, const TLedgerEntries& entries, TEntryKeys& keys) const {
    const TMinorUnits units(decimals_);
    const TDateTime now = TDateTime::Now();
    std::vector<TVariantArray> rows;
    for (const TItemEntry& e : entries.Items) {
        const bool receipt = e.Quantity > 0;
        rows.push_back({keys.Next(), ctx_.Session.CompanyId, e.ItemCode, h.DocumentId, h.DocumentType, h.DocumentNo,
                        e.LineId, e.PostingDate, e.Store, e.BusinessGroup, e.Quantity, receipt ? e.Quantity : 0.0,
                        units.ToAmount(e.CostAmount), units.ToAmount(e.CostAmountACY), receipt ? 1 : 0, h.TransactionNo,
                        now});
    }
    ctx_.Db.InsertRows("G_ItemEntry",
        "Id, Comp_Id, Item_Id, Document_Id, DocumentType, DocumentNo, Line_Id, PostingDate, Store_Id, "
        "BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, CostAmount_ACY, Opened, TransactionNo, "
        "C_Datetime",
        rows);
}

void TLedgerStore::WriteVendor(const TLedgerHeader& h, const TLedgerEntries& entries, TEntryKeys& keys) const {
    const TMinorUnits units(decimals_);
    std::vector<TVariantArray> rows;
    for (const TVendorEntry& e : entries.Vendor)
        rows.push_back({keys.Next(), ctx_.Session.CompanyId, h.ContragentId, h.DocumentId, h.DocumentType,
                        h.DocumentNo, h.VendorDocumentNo, h.DocumentDate, e.PostingDate, h.DueDate, h.CurrencyId,
                        h.CurrencyFactor, units.ToAmount(e.Amount), units.ToAmount(e.AmountACY),
                        units.ToAmount(e.Remaining), units.ToAmount(e.RemainingACY), e.Remaining != 0 ? 1 : 0, 0,
                        h.CntrPostingGroup, h.BusinessGroup, h.TransactionNo, ctx_.Session.UserId, TDateTime::Now()});
    ctx_.Db.InsertRows("G_ContragentEntry",
        "Id, Comp_Id, Contragent_Id, Document_Id, DocumentType, DocumentNo, VendorDocumentNo, DocumentDate, "
        "PostingDate, DueDate, Currency_Id, CurrencyFactor, Amount, Amount_ACY, Remaining, Remaining_ACY, "
        "Opened, Gen_PostingType, CntrPostingGroup_Id, BusinessGroup_Id, TransactionNo, User_Id, C_Datetime",
        rows);
}

void TLedgerStore::WriteVAT(const TLedgerHeader& h, const TLedgerEntries& entries, TEntryKeys& keys) const {
    const TMinorUnits units(decimals_);
    std::vector<TVariantArray> rows;
    for (const TVATEntry& e : entries.VAT)
        rows.push_back({keys.Next(), ctx_.Session.CompanyId, h.DocumentId, h.DocumentType, h.DocumentNo,
                        h.VendorDocumentNo, h.DocumentDate, e.PostingDate, h.ContragentId, e.VATBusPostGroup,
                        e.VATProdPostGroup, e.Percent, e.CalculationType, e.VATLedger, units.ToAmount(e.Base),
                        units.ToAmount(e.Amount), units.ToAmount(e.BaseACY), units.ToAmount(e.AmountACY),
                        h.DoNotIncInVATLedger, h.LedgerSubjectType, h.TransactionNo, TDateTime::Now()});
    ctx_.Db.InsertRows("G_VATEntry",
        "Id, Comp_Id, Document_Id, DocumentType, DocumentNo, VendorDocumentNo, DocumentDate, PostingDate, "
        "Contragent_Id, VATBusPostGroup_Id, VATProdPostGroup_Id, VATPercent, VATCalculationType, VATLedger, "
        "Base, Amount, Base_ACY, Amount_ACY, DoNotIncInVATLedger, LedgerSubjectType, TransactionNo, "
        "C_Datetime",
        rows);
}

void TLedgerStore::WriteGL(const TLedgerHeader& h, const TLedgerEntries& entries, bool storno,
                           TEntryKeys& keys) const {
    const TMinorUnits units(decimals_);
    const TDateTime now = TDateTime::Now();
    std::vector<TVariantArray> rows;
    for (const TGLEntry& e : entries.GL)
        rows.push_back({keys.Next(), ctx_.Session.CompanyId, h.TransactionNo, e.Account, e.PostingDate,
                        h.DocumentId, h.DocumentType, h.DocumentNo, e.LineId, units.ToAmount(e.Amount),
                        units.ToAmount(e.AmountACY), h.CurrencyId, e.ContragentId,
                        e.Dimension.empty() ? Variant() : Variant(e.Dimension), e.BusinessGroup,
                        e.Description, storno ? 1 : 0, ctx_.Session.UserId, now});
    ctx_.Db.InsertRows("G_LEntry",
        "Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, DocumentType, DocumentNo, "
        "Line_Id, Amount, Amount_ACY, Currency_Id, Contragent_Id, AccountDimension_Id, BusinessGroup_Id, "
        "Description, Storno, User_Id, C_Datetime",
        rows);
}

TLedgerEntries TLedgerStore::Read(const TLedgerHeader& header) const {
    const TMinorUnits units(decimals_);
    const TVariantArray posting{header.DocumentId, header.TransactionNo};
    TLedgerEntries entries;
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT Line_Id, Item_Id, BusinessGroup_Id, Store_Id, PostingDate, Quantity, CostAmount, "
                             "CostAmount_ACY FROM G_ItemEntry WHERE Document_Id = ? AND TransactionNo = ?", posting).Rows)
        entries.Items.push_back({Text(r, 0), Text(r, 1), Text(r, 2), Text(r, 3), Date(r[4]), r[5].AsFloat(),
                                 units.Of(r[6].AsFloat()), units.Of(r[7].AsFloat())});
    for (const TVariantArray& r : SelectRows(ctx_.Db, "SELECT PostingDate, Amount, Amount_ACY, Remaining, Remaining_ACY "
                                                      "FROM G_ContragentEntry WHERE Document_Id = ? AND TransactionNo = ?", posting).Rows)
        entries.Vendor.push_back({Date(r[0]), units.Of(r[1].AsFloat()), units.Of(r[2].AsFloat()), units.Of(r[3].AsFloat()),
                                  units.Of(r[4].AsFloat())});
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT COALESCE(VATBusPostGroup_Id, ''), COALESCE(VATProdPostGroup_Id, ''), PostingDate, "
                             "VATPercent, VATCalculationType, VATLedger, Base, Amount, Base_ACY, Amount_ACY FROM G_VATEntry "
                             "WHERE Document_Id = ? AND TransactionNo = ?", posting).Rows)
        entries.VAT.push_back({Text(r, 0), Text(r, 1), Date(r[2]), r[3].AsFloat(), static_cast<int>(r[4].AsInteger()),
                               static_cast<int>(r[5].AsInteger()), units.Of(r[6].AsFloat()), units.Of(r[7].AsFloat()),
                               units.Of(r[8].AsFloat()), units.Of(r[9].AsFloat())});
    for (const TVariantArray& r :
         SelectRows(ctx_.Db, "SELECT Account_Id, PostingDate, Amount, Amount_ACY, COALESCE(Line_Id, ''), "
                             "COALESCE(AccountDimension_Id, ''), COALESCE(Contragent_Id, ''), COALESCE(BusinessGroup_Id, ''), "
                             "COALESCE(Description, '') FROM G_LEntry WHERE Document_Id = ? AND TransactionNo = ?", posting).Rows)
        entries.GL.push_back({Text(r, 0), Date(r[1]), units.Of(r[2].AsFloat()), units.Of(r[3].AsFloat()), Text(r, 4),
                              Text(r, 5), Text(r, 6), Text(r, 7), Text(r, 8)});
    return entries;
}

}  // namespace tavrek::server
