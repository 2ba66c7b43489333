#include "server/posting/PostingSteps.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <utility>

#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TQueryBuilder.h"
#include "server/posting/TMinorUnits.h"

namespace tavrek::server {

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

namespace {

// A company counts its transactions in a row of its own, which the posting's transaction holds
// locked until it ends. Without a transaction series the counter gives the number; with one it
// follows the series, so that a company whose series is taken away goes on after its last number.
int64_t CountedTransactionNo(TServerContext& ctx, int64_t fromSeries) {
    return SelectRows(ctx.Db,
                      "INSERT INTO S_TransactionCounter (Comp_Id, LastNo) VALUES (?1, CASE WHEN ?2 > 0 THEN ?2 ELSE 1 "
                      "END) ON CONFLICT (Comp_Id) DO UPDATE SET LastNo = CASE WHEN ?2 > 0 THEN (CASE WHEN ?2 > "
                      "S_TransactionCounter.LastNo THEN ?2 ELSE S_TransactionCounter.LastNo END) ELSE "
                      "S_TransactionCounter.LastNo + 1 END RETURNING LastNo",
                      {ctx.Session.CompanyId, fromSeries})
        .Value()
        .AsInteger();
}

}  // namespace

int64_t NextTransactionNo(TServerContext& ctx) {
    const TRequestResult series = SelectRows(ctx.Db, "SELECT COALESCE(Transaction_Series_Id, '') FROM C_CompanySetup WHERE Id = ?",
                                             {ctx.Session.CompanyId});
    if (series.Empty() || series.Value().AsString().empty()) return CountedTransactionNo(ctx, 0);
    const std::string id = series.Value().AsString();
    std::string number;
    if (NextSerieNo(ctx, id, "", number) == 0 && !number.empty() &&
        number.find_first_not_of("0123456789") == std::string::npos) {
        const int64_t taken = std::stoll(number);
        CountedTransactionNo(ctx, taken);
        return taken;
    }
    // The posting cannot go on without its transaction: it is rolled back whole.
    throw std::runtime_error("Серията на транзакциите " + id + " не дава следващ номер (изчерпана, с префикс или на друга фирма).");
}

namespace {

std::string SubtypeOrSetupSeries(TServerContext& ctx, const Variant& subType, const char* subtypeColumn,
                                 const char* setupColumn) {
    return SelectRows(ctx.Db,
                      std::string("SELECT COALESCE(NULLIF((SELECT ") + subtypeColumn +
                          " FROM N_SubDocument WHERE Id = ?2 AND Comp_Id = ?1), ''), (SELECT " + setupColumn +
                          " FROM C_PurchasesSetup WHERE Id = ?1))",
                      {ctx.Session.CompanyId, subType})
        .Value()
        .AsString();
}

}  // namespace

std::string PostingSeries(TServerContext& ctx, const Variant& subType, const char* setupColumn) {
    return SubtypeOrSetupSeries(ctx, subType, "Post_Series_Id", setupColumn);
}

void NumberPostedDraft(TServerContext& ctx, const char* postedTable, const std::string& postedId,
                       const std::string& draftNo, const Variant& subType, const char* setupColumn,
                       const std::string& businessGroup) {
    if (setupColumn == nullptr || !draftNo.empty()) return;
    const std::string series = SubtypeOrSetupSeries(ctx, subType, "Series_Id", setupColumn);
    if (series.empty()) return;
    std::string number;
    // As at a save, a series that gives no number leaves the draft unnumbered; the posting goes on.
    if (NextSerieNo(ctx, series, businessGroup, number) < 0) {
        ctx.RefusalKey.clear();
        return;
    }
    ExecuteBound(ctx.Db, std::string("UPDATE ") + postedTable + " SET PreAssignedNo = ? WHERE Id = ?", {number, postedId});
}

int RefuseWith(TServerContext& ctx, const std::string& key) {
    ctx.RefusalKey = key;
    return -1;
}

bool AllowsNegativeStock(TServerContext& ctx) {
    return SelectRows(ctx.Db, "SELECT COALESCE(AllowNegativeQTY, 0) FROM C_CompanySetup WHERE Id = ?",
                      {ctx.Session.CompanyId})
               .Value()
               .AsInteger() == 1;
}

bool VendorDocumentPosted(TServerContext& ctx, const char* table, const char* numberColumn, const char* globalColumn,
                          const Variant& vendor, const std::string& number) {
    return !SelectRows(ctx.Db,
                       std::string("SELECT 1 FROM ") + table + " WHERE Comp_Id = ? AND Contragent_Id = ? AND " +
                           numberColumn + " = ? AND Annul = 0 AND COALESCE(" + globalColumn + ", 0) = 0 LIMIT 1",
                       {ctx.Session.CompanyId, vendor, number})
                .Empty();
}

bool NumberPosted(TServerContext& ctx, const char* postedTable, const std::string& postedId, const std::string& series,
                  const std::string& businessGroup, std::string& number) {
    if (NextSerieNo(ctx, series, businessGroup, number) < 0) return false;
    ExecuteBound(ctx.Db, std::string("UPDATE ") + postedTable + " SET DocumentNo = ?, TransactionNo = ? WHERE Id = ?",
                 {number, NextTransactionNo(ctx), postedId});
    return true;
}

namespace {

// Receipts used up close, a few hundred per statement.
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

}  // namespace

bool IssueFromOpenReceipts(TServerContext& ctx, const std::vector<TItemEntry>& issues) {
    std::map<std::pair<std::string, std::string>, double> wanted;
    for (const TItemEntry& out : issues) wanted[{out.ItemCode, out.Store}] -= out.Quantity;
    const bool negativeAllowed = AllowsNegativeStock(ctx);
    std::vector<Variant> usedUp;
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
                usedUp.push_back(open.Rows[i][0]);
                missing -= remaining;
                continue;
            }
            ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = ? WHERE Id = ?",
                         {remaining - missing, open.Rows[i][0]});
            missing = 0;
        }
        if (missing > 1e-9 && !negativeAllowed) return false;
    }
    CloseReceipts(ctx, usedUp);
    return true;
}

namespace {

// The local amount of a copied line at the document's rate, as the posting takes it; only the
// line that carries the document's rounding difference is left to correct.
std::string LineValueLCY() {
    return "ROUND(CAST(ROUND(CAST(COALESCE(TotalValue, 0) AS NUMERIC), ?3) * ?4 AS NUMERIC), ?3)";
}

double CurrencyFactor(TServerContext& ctx, const TPostedCopy& copy, const std::string& id) {
    const TRequestResult header =
        SelectRows(ctx.Db, std::string("SELECT COALESCE(Currency_Id, ''), COALESCE(CurrencyFactor, 0) FROM ") +
                               copy.FromHeader + " WHERE Id = ?",
                   {id});
    return header.Value(0, 0).AsString().empty() ? 1.0 : header.Value(0, 1).AsFloat();
}

}  // namespace

std::string CopyToPosted(TServerContext& ctx, const TPostedCopy& copy, const std::string& id, const std::string& number,
                         int64_t transaction, int decimals) {
    const std::string postedId = CreateUniqueID();
    std::map<std::string, std::string> overrides = copy.HeaderOverrides;
    overrides.insert({{"Id", "?1"},
                      {"DocumentType", std::to_string(copy.DocumentType)},
                      {"DocumentNo", "?2"},
                      {"PostingDate", "COALESCE(PostingDate, DocumentDate)"},
                      {"C_Datetime", "CAST(?3 AS DOUBLE PRECISION)"},
                      // Lists and lookups ask for documents that are not global by 0.
                      {"IsGlobalInvoice", "COALESCE(IsGlobalInvoice, 0)"},
                      {"IsGlobalCrMemo", "COALESCE(IsGlobalCrMemo, 0)"}});
    const TColumnCopy header = CopyColumns(ctx, copy.FromHeader, overrides, copy.OpenOnlyColumns);
    // The posted document is numbered from its own series; the draft's number stays beside it.
    const bool keepsDraftNo = ctx.Catalog.Find(copy.FromHeader)->Column("PreAssignedNo") == nullptr;
    ExecuteBound(ctx.Db,
                 std::string("INSERT INTO ") + copy.ToHeader + " (" + header.Target +
                     ", PostingUser_Id, TransactionNo, SrcDocument_Id, Annul" + (keepsDraftNo ? ", PreAssignedNo" : "") +
                     copy.ExtraColumns + ") SELECT " + header.Source + ", ?4, NULLIF(CAST(?5 AS INTEGER), 0), Id, 0" +
                     (keepsDraftNo ? ", DocumentNo" : "") + copy.ExtraValues + " FROM " + copy.FromHeader +
                     " WHERE Id = ?6",
                 {postedId, number, TDateTime::Now(), ctx.Session.UserId, transaction, id});
    std::map<std::string, std::string> lineOverrides = copy.LineOverrides;
    lineOverrides.insert({{"Master_Id", "?1"},
                          {"TotalValue_LCY", LineValueLCY()},
                          {"TotalVAT_LCY", LineValueLCY() + " + COALESCE(VATValue_LCY, 0)"}});
    const TColumnCopy lines = CopyColumns(ctx, copy.FromLines, lineOverrides);
    ExecuteBound(ctx.Db,
                 std::string("INSERT INTO ") + copy.ToLines + " (" + lines.Target + ") SELECT " + lines.Source +
                     " FROM " + copy.FromLines + " WHERE Master_Id = ?2" +
                     (copy.LineCondition.empty() ? "" : " AND " + copy.LineCondition) + " ORDER BY Line_No",
                 {postedId, id, decimals, CurrencyFactor(ctx, copy, id)});
    return postedId;
}

void WritePostedAmounts(TServerContext& ctx, const TPostedCopy& copy, const TPostingDocument& doc,
                        const TDocumentAmounts& a, const std::vector<TVendorEntry>& vendor) {
    const TMinorUnits units(doc.AmountDecimals);
    ExecuteBound(ctx.Db,
                 std::string("UPDATE ") + copy.ToHeader +
                     " SET TotalValue = ?, VATValue = ?, TotalVAT = ?, TotalValue_LCY = ?, TotalVAT_LCY = ?, "
                     "Remaining = ?, Remaining_ACY = ? WHERE Id = ?",
                 {units.ToAmount(a.TotalValue), units.ToAmount(a.VATValue), units.ToAmount(a.TotalVAT),
                  units.ToAmount(a.TotalValueLCY), units.ToAmount(a.TotalVATLCY),
                  vendor.empty() ? 0.0 : units.ToAmount(std::llabs(vendor[0].Remaining)),
                  vendor.empty() ? 0.0 : units.ToAmount(std::llabs(vendor[0].RemainingACY)), doc.Id});
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        if (units.Of(doc.Lines[i].ValueLCY) == a.LineValueLCY[i]) continue;
        ExecuteBound(ctx.Db,
                     std::string("UPDATE ") + copy.ToLines +
                         " SET TotalValue_LCY = ?, TotalVAT_LCY = ? + COALESCE(VATValue_LCY, 0) WHERE Id = ? AND "
                         "Master_Id = ?",
                     {units.ToAmount(a.LineValueLCY[i]), units.ToAmount(a.LineValueLCY[i]), doc.Lines[i].Id, doc.Id});
    }
}

}  // namespace tavrek::server
