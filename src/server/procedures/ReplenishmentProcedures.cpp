#include "server/procedures/ReplenishmentProcedures.h"

#include <utility>
#include <vector>

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/TNumberSeries.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/procedures/ReplenishmentQueries.h"
#include "server/schema/DocumentTypes.h"
#include "server/session/TCallAuthority.h"

namespace tavrek::server {
namespace {

namespace Q = ReplenishmentQueries;

constexpr int kSuggestionForm = 10750;
constexpr int kSuggestionToVendorForm = 10760;
constexpr int kSuggestionBySaleOrderForm = 10780;
constexpr int kPurchOrderForm = 10201;

TRequestResult Result(int code) { return Answer({"Result"}, {code}); }

void SumOrderLines(TServerContext& ctx, const std::string& order) {
    std::string sums;
    for (const char* field : {"TotalValue", "VATValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
        sums += std::string(sums.empty() ? "" : ", ") + field + " = (SELECT COALESCE(SUM(" + field +
                "), 0) FROM D_PurchaseLine WHERE Master_Id = ?1)";
    ExecuteBound(ctx.Db, "UPDATE D_PurchHeader SET " + sums + " WHERE Id = ?1", {order});
}

TRequestResult Refusal(TServerContext& ctx, const std::string& key, const std::string& text) {
    ctx.RefusalKey = key;
    return Answer({"Result", "Doc_No", "Doc_Id", "ErrMsg"}, {"-1", "", "", text});
}

// Each item once, with what it takes for every run: its vendor and what that vendor takes at
// least, its minimum and multiple, its last cost and what stands in stock and on order. Flags
// are tested as "IS NULL OR =", which PostgreSQL estimates from its statistics: a COALESCE it
// guesses at 0.5 %, and the joins it then plans for one item take minutes over 50,000.
std::string ItemsCte(const std::string& extraColumns = "", const std::string& extraJoins = "") {
    return "items AS (SELECT i.Id AS Item_Id, i.Name, i.Description2, COALESCE(i.MinimumStock, 0) AS MinStock, "
           "COALESCE(i.OrderMultiple, 0) AS Mult, COALESCE(i.LastDirectCost, 0) AS Cost, v.Id AS Vendor_Id, "
           "v.Code AS VendorNo, COALESCE(iv.MinOrderQty, 0) AS Moq, COALESCE(iv.LeadTimeDays, 0) AS LeadDays, "
           "COALESCE(oh.Qty, 0) AS OnHand, COALESCE(oo.Qty, 0) AS OnOrder, COALESCE(os.Qty, 0) AS OpenSale" +
           extraColumns +
           " FROM N_Item i LEFT JOIN onhand oh ON oh.Item_Id = i.Id LEFT JOIN onorder oo ON oo.Item_Id = i.Id "
           "LEFT JOIN opensale os ON os.Item_Id = i.Id LEFT JOIN lastbought lb ON lb.Item_Id = i.Id "
           "LEFT JOIN N_Contragent v ON v.Id = COALESCE(NULLIF(i.Vendor_Id, ''), lb.Contragent_Id) "
           "LEFT JOIN N_ItemVendor iv ON iv.Item_Id = i.Id AND iv.Contragent_Id = v.Id AND iv.Comp_Id = ?1" +
           extraJoins + " WHERE i.Comp_Id = ?1 AND (i.Blocked IS NULL OR i.Blocked = 0) AND (i.Type IS NULL OR i.Type = 1)";
}

// The open sale order lines with the open quantity of the item up to and including each,
// oldest due date first.
std::string DemandLinesCte(bool perStore) {
    const std::string open = "sl.Quantity - COALESCE(sl.ShippedQty, 0)";
    return "lines AS (SELECT sl.Id, sl.Master_Id, sh.DocumentNo, sh.BusinessGroup_Id, sl.Item_Id, sl.DueDate, " + open +
           " AS Qty, SUM(" + open + ") OVER (PARTITION BY sl.Item_Id ORDER BY sl.DueDate, sl.Id ROWS UNBOUNDED "
           "PRECEDING) AS Cum FROM D_SaleOrderLine sl JOIN D_SaleOrderHeader sh ON sh.Id = sl.Master_Id "
           "WHERE sh.Comp_Id = ?1 AND (sh.DocStatus IS NULL OR sh.DocStatus = 0) AND " + open + " > 0" +
           (perStore ? " AND sh.Store_Id = ?2" : "") + ")";
}

// Sets the columns to their expressions in the line, and answers whether any differed: a line
// the editor already completed is not written again.
bool SetWhereDiffering(TServerContext& ctx, const std::string& line, const std::string& order,
                       const std::vector<std::pair<std::string, std::string>>& assignments) {
    std::string sets, differs;
    for (const auto& [column, expression] : assignments) {
        sets += (sets.empty() ? "" : ", ") + column + " = " + expression;
        differs += (differs.empty() ? "" : " OR ") + column + " IS DISTINCT FROM " + expression;
    }
    return ExecuteBound(ctx.Db, "UPDATE D_PurchaseLine SET " + sets + " WHERE Id = ? AND Master_Id = ? AND (" + differs + ")",
                        {line, order}) > 0;
}

// What typing the item's code would have brought into an order line that only names it, and
// the line's amounts at its price; the header totals follow the lines when a line changed.
void CompleteOrderLine(TServerContext& ctx, const std::string& line, const std::string& order) {
    const auto item = [](const char* column) {
        return std::string("(SELECT ") + column +
               " FROM N_Item i WHERE i.Id = D_PurchaseLine.Code AND i.Comp_Id = D_PurchaseLine.Comp_Id)";
    };
    const std::string value =
        "ROUND(CAST(Quantity * DirectUnitCost_ACY * (1 - COALESCE(LineDiscount, 0) / 100.0) AS NUMERIC), 2)";
    const std::string factor = "COALESCE((SELECT NULLIF(h.CurrencyFactor, 0) FROM D_PurchHeader h WHERE h.Id = "
                               "D_PurchaseLine.Master_Id), 1)";
    const std::string local = "ROUND(CAST(" + value + " * " + factor + " AS NUMERIC), 2)";
    // One statement: the rate is read with the VAT group the line is being given.
    const std::string vatGroup = "COALESCE(VATProdPostGroup_Id, " + item("i.VATProdPostGroup_Id") + ")";
    const std::string percent = "COALESCE((SELECT s.VATPercent FROM G_VATPostingSetup s JOIN D_PurchHeader h ON "
                                "h.Id = D_PurchaseLine.Master_Id WHERE s.Comp_Id = h.Comp_Id AND s.VATBus_PostingGroup = "
                                "h.VATBusPostGroup_Id AND s.VATProd_PostingGroup = " + vatGroup + "), 0)";
    const std::string vat = "ROUND(CAST(" + value + " * " + percent + " / 100.0 AS NUMERIC), 2)";
    const std::string localVat = "ROUND(CAST(" + local + " * " + percent + " / 100.0 AS NUMERIC), 2)";
    const bool changed = SetWhereDiffering(
        ctx, line, order,
        {{"Type", "COALESCE(Type, 1)"},
         {"Description", "COALESCE(NULLIF(Description, ''), " + item("i.Name") + ")"},
         {"Measure_Id", "COALESCE(Measure_Id, " + item("i.PurchMeasure_Id") + ")"},
         {"VATProdPostGroup_Id", vatGroup},
         {"GenProdPostGroup_Id", "COALESCE(GenProdPostGroup_Id, " + item("i.GenProdPostGroup_Id") + ")"},
         {"VATPercent", percent}, {"TotalPrice", value}, {"VATBaseAmount", value}, {"TotalValue", value},
         {"VATValue", vat}, {"TotalVAT", value + " + " + vat}, {"TotalValue_LCY", local}, {"VATValue_LCY", localVat},
         {"TotalVAT_LCY", local + " + " + localVat}, {"Quantity_Base", "Quantity"}, {"QtyToReceive", "Quantity"},
         {"QtyToInvoice", "Quantity"}, {"OutstandingQty", "Quantity"}});
    if (changed) SumOrderLines(ctx, order);
}

// The whole company: one row for each open sale order line that stock and open orders do not
// cover, and a row that brings the item up to its minimum stock once the demand is bought;
// the vendor's least order and the multiple round the item's total on that last row.
TRequestResult GetPurchOrderSuggestion(TServerContext& ctx, const TVariantArray&) {
    if (!TCallAuthority(ctx).MayOnForm(kSuggestionForm, TFormRight::frInsert)) return Result(-1);
    const std::string& company = ctx.Session.CompanyId;
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderSuggestion WHERE Comp_Id = ?", {company});
    const std::string supply = "(n.OnHand + n.OnOrder)";
    const std::string after = "(" + supply + " + n.Uncovered - n.OpenSale)";
    const std::string rounded = Q::Rounded("n.Need", "n.Moq", "n.Mult");
    const std::string columns =
        "Id, Comp_Id, Checked, Item_Id, N_Item_Name, Description2, Vendor_Id, VendorNo, Quantity, OnHand, OnOrder, "
        "Demand, MinimumStock, LastDirectCost, LastDirectCostAll, SaleOrder_Id, SaleOrderLine_Id, DueDate";
    const std::string common = "n.Item_Id AS Item_Id, n.Name, n.Description2, n.Vendor_Id, n.VendorNo, ";
    const std::string tail = "n.OnHand, n.OnOrder, ";
    const std::string figures = ", n.MinStock, n.Cost, ";
    const std::string lineQty = Q::Uncovered("l.Qty", "l.Cum", supply);
    const std::string topUpQty = "(" + rounded + " - n.Uncovered)";
    const std::string sql =
        "WITH " + Q::OnHand(false) + ", " + Q::OnOrder(false) + ", " + Q::OpenSale(false) + ", " + Q::ItemVendor() +
        ", " + ItemsCte() + "), " + DemandLinesCte(false) +
        ", bare AS (SELECT items.*, " + Q::Uncovered("OpenSale", "OpenSale", "(OnHand + OnOrder)") +
        " AS Uncovered FROM items), needs AS (SELECT n.*, n.Uncovered + CASE WHEN n.MinStock - " + after +
        " > 0 THEN n.MinStock - " + after + " ELSE 0 END AS Need FROM bare n) "
        "INSERT INTO D_PurchOrderSuggestion (" + columns + ", Line_No) SELECT x.*, ROW_NUMBER() OVER (ORDER BY "
        "x.Item_Id, CASE WHEN x.LineId IS NULL THEN 1 ELSE 0 END, x.Due, x.LineId) FROM ("
        "SELECT ?2 || ':' || l.Id, ?1, CASE WHEN n.Vendor_Id IS NULL THEN 0 ELSE 1 END, " + common + lineQty + ", " +
        tail + "l.Qty" + figures + "ROUND(CAST(" + lineQty + " * n.Cost AS NUMERIC), 2), l.Master_Id, l.Id AS LineId, "
        "l.DueDate AS Due FROM needs n JOIN lines l ON l.Item_Id = n.Item_Id WHERE " + lineQty + " > 0.000001 "
        "UNION ALL SELECT ?2 || ':' || n.Item_Id, ?1, CASE WHEN n.Vendor_Id IS NULL THEN 0 ELSE 1 END, " + common +
        topUpQty + ", " + tail + "n.OpenSale" + figures + "ROUND(CAST(" + topUpQty + " * n.Cost AS NUMERIC), 2), "
        "NULL, NULL, NULL FROM needs n WHERE n.Need > 0.000001 AND " + topUpQty + " > 0.000001) x";
    ExecuteBound(ctx.Db, sql, {company, CreateUniqueID()});
    ExecuteBound(ctx.Db, "UPDATE D_PurchOrderSuggestion SET User_Id = ?, C_Datetime = ? WHERE Comp_Id = ?",
                 {ctx.Session.UserId, TDateTime::Now(), company});
    return Result(0);
}

// The sale order behind a suggestion row is being bought for.
TRequestResult ChangeSaleOrderStatus(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kPurchOrderForm, TFormRight::frInsert)) return Result(-1);
    // A row that tops an item up has no sale order: one read and nothing to write.
    const TRequestResult row = SelectRows(ctx.Db,
                                          "SELECT SaleOrderLine_Id, SaleOrder_Id FROM D_PurchOrderSuggestion WHERE Id = ? "
                                          "AND Comp_Id = ? AND SaleOrderLine_Id IS NOT NULL",
                                          {Arg(args, 1), ctx.Session.CompanyId});
    if (row.Empty()) return Result(0);
    ExecuteBound(ctx.Db, "UPDATE D_SaleOrderLine SET PurchOrdered = 1 WHERE Id = ? AND Comp_Id = ?",
                 {row.Value(0, 0), ctx.Session.CompanyId});
    ExecuteBound(ctx.Db, "UPDATE D_SaleOrderHeader SET PurchStatus = 1 WHERE Id = ? AND Comp_Id = ?",
                 {row.Value(0, 1), ctx.Session.CompanyId});
    return Result(0);
}

// The order line made from a suggestion row gets the item's kind, text, unit and posting groups
// where the editor left them empty, and its amounts; the link to its row is kept beside it, so
// that the check can compare them (posted lines copy every column of an order line).
TRequestResult CopySuggestionToOrderLine(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kPurchOrderForm, TFormRight::frInsert)) return Result(-1);
    const TVariantArray keys{Arg(args, 1), Arg(args, 2), Arg(args, 3), ctx.Session.CompanyId};
    const std::string known = "EXISTS (SELECT 1 FROM D_PurchOrderSuggestion WHERE Id = ?1 AND Comp_Id = ?4) AND EXISTS "
                              "(SELECT 1 FROM D_PurchaseLine WHERE Id = ?3 AND Master_Id = ?2 AND Comp_Id = ?4)";
    const int linked = ExecuteBound(ctx.Db,
                                    "INSERT INTO D_PurchOrderLineSuggestion (OrderLine_Id, Comp_Id, Order_Id, "
                                    "Suggestion_Id, SaleOrderLine_Id) SELECT ?3, ?4, ?2, ?1, (SELECT SaleOrderLine_Id "
                                    "FROM D_PurchOrderSuggestion WHERE Id = ?1 AND Comp_Id = ?4) WHERE " + known +
                                        " ON CONFLICT (OrderLine_Id) DO UPDATE SET Comp_Id = excluded.Comp_Id, "
                                        "Order_Id = excluded.Order_Id, Suggestion_Id = excluded.Suggestion_Id, "
                                        "SaleOrderLine_Id = excluded.SaleOrderLine_Id",
                                    keys);
    if (linked != 1) return Result(-1);
    CompleteOrderLine(ctx, Arg(args, 3), Arg(args, 2));
    return Result(0);
}

// The lines of an order made from the suggestion that do not match their row: no row, another
// item or another vendor. No row found means the order is consistent.
TRequestResult CheckPurchOrderFromSgg(TServerContext& ctx, const TVariantArray& args) {
    return SelectRows(ctx.Db,
                      "SELECT l.Id FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id "
                      "LEFT JOIN D_PurchOrderLineSuggestion k ON k.OrderLine_Id = l.Id AND k.Order_Id = h.Id "
                      "LEFT JOIN D_PurchOrderSuggestion s ON s.Id = k.Suggestion_Id AND s.Comp_Id = h.Comp_Id "
                      "WHERE h.Id = ?2 AND h.Comp_Id = ?1 AND (s.Id IS NULL OR s.Item_Id <> l.Code OR "
                      "COALESCE(s.Vendor_Id, '') <> COALESCE(h.Contragent_Id, '')) "
                      "UNION ALL SELECT ?2 WHERE NOT EXISTS (SELECT 1 FROM D_PurchHeader WHERE Id = ?2 AND Comp_Id = ?1 "
                      "AND DocumentType = 22)",
                      {ctx.Session.CompanyId, Arg(args, 1)});
}

// An order of the run taken back: only one nothing has been received on.
TRequestResult DeletePurchOrderFromSgg(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kPurchOrderForm, TFormRight::frDelete)) return Result(-1);
    const TVariantArray keys{Arg(args, 1), ctx.Session.CompanyId, DocumentType::PurchOrder};
    const std::string order = "SELECT Id FROM D_PurchHeader WHERE Id = ? AND Comp_Id = ? AND DocumentType = ? AND "
                              "NOT EXISTS (SELECT 1 FROM D_PurchaseLine WHERE Master_Id = D_PurchHeader.Id AND "
                              "COALESCE(ReceivedQty, 0) <> 0)";
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderLineSuggestion WHERE Order_Id IN (" + order + ")", keys);
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchaseLine WHERE Master_Id IN (" + order + ")", keys);
    const int deleted = ExecuteBound(ctx.Db, "DELETE FROM D_PurchHeader WHERE Id IN (" + order + ")", keys);
    return Result(deleted == 1 ? 0 : -1);
}

// "yyyymmdd" as a date; false when the text is no date.
bool ParseCompactDate(const std::string& text, TDateTime& date) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int year = std::stoi(text.substr(0, 4)), month = std::stoi(text.substr(4, 2)), day = std::stoi(text.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    date = TDateTime::FromDate(year, month, day);
    return true;
}

bool ParseDays(const std::string& text, int& days) {
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    days = std::stoi(text);
    return true;
}

// Per item of the chosen vendor, producer and group: the daily sales of the reference period
// over the days until arrival (the vendor's lead days when none are given) and of future
// availability, plus the minimum stock, less what is available.
TRequestResult GetPurchOrderSuggestionToVendor(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kSuggestionToVendorForm, TFormRight::frInsert)) return Result(-1);
    const std::string& company = ctx.Session.CompanyId;
    TDateTime from, to;
    int arriving = 0, future = 0;
    if (!ParseDays(Arg(args, 4), arriving) || !ParseDays(Arg(args, 5), future) || !ParseCompactDate(Arg(args, 6), from) ||
        !ParseCompactDate(Arg(args, 7), to)) {
        ctx.RefusalKey = "err_GeneratePurchOrderSuggestion";
        return Result(-1);
    }
    const bool positiveOnly = Arg(args, 8) == "1";
    const std::string document = Arg(args, 9);
    if (!document.empty() &&
        SelectRows(ctx.Db, "SELECT id FROM D_PurchOrderSuggToVendorHeader WHERE id = ? AND Comp_Id = ?", {document, company})
            .Empty()) {
        ctx.RefusalKey = "err_GeneratePurchOrderSuggestion";
        return Result(-1);
    }
    const std::string ofRun = document.empty() ? "Master_Id IS NULL" : "Master_Id = ?";
    const TVariantArray runKey = document.empty() ? TVariantArray{company} : TVariantArray{company, document};
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderSuggToVendorLine WHERE Comp_Id = ? AND " + ofRun, runKey);

    const double days = std::max(1.0, to.Serial() - from.Serial() + 1.0);
    const std::string sold = "sold AS (SELECT Item_Id, -SUM(Quantity) AS Qty FROM G_ItemEntry WHERE Comp_Id = ?1 AND "
                             "DocumentType = " + std::to_string(DocumentType::SaleShipment) +
                             " AND PostingDate >= ?2 AND PostingDate < ?3 GROUP BY Item_Id)";
    const std::string raw = "(n.Daily * (n.Arriving + ?5) + n.MinStock - (n.OnHand + n.OnOrder - n.OpenSale))";
    const std::string qty = "CASE WHEN " + raw + " > 0 THEN " + Q::Rounded(raw, "n.Moq", "n.Mult") + " ELSE " + raw + " END";
    const std::string sql =
        "WITH " + Q::OnHand(false) + ", " + Q::OnOrder(false) + ", " + Q::OpenSale(false) + ", " + Q::ItemVendor() +
        ", " + sold + ", " +
        ItemsCte(", COALESCE(sd.Qty, 0) AS Sold, COALESCE(sd.Qty, 0) / CAST(?4 AS DOUBLE PRECISION) AS Daily, "
                 "CASE WHEN ?6 > 0 THEN ?6 ELSE COALESCE(iv.LeadTimeDays, 0) END AS Arriving",
                 " LEFT JOIN sold sd ON sd.Item_Id = i.Id") +
        " AND (?7 = '' OR v.Code = ?7) AND (?8 = '' OR i.Producer_Id = ?8) AND (?9 = '' OR i.ItemProductGroup_Id = ?9)) "
        "INSERT INTO D_PurchOrderSuggToVendorLine (Master_Id, Id, Comp_Id, Checked, Item_Id, N_Item_Name, "
        "N_Item_Description2, Vendor_Id, VendorNo, SoldQty, DailyDemand, ArrivingDays, OnHand, OnOrder, OpenSaleQty, "
        "MinimumStock, QTYForOrder, LastDirectCost, Line_No) SELECT NULLIF(?10, ''), ?11 || ':' || n.Item_Id, ?1, "
        "CASE WHEN n.Vendor_Id IS NOT NULL AND " + raw + " > 0 THEN 1 ELSE 0 END, n.Item_Id, n.Name, n.Description2, "
        "n.Vendor_Id, n.VendorNo, n.Sold, n.Daily, n.Arriving, n.OnHand, n.OnOrder, n.OpenSale, n.MinStock, " + qty +
        ", n.Cost, ROW_NUMBER() OVER (ORDER BY n.Item_Id) FROM items n WHERE ?12 = 0 OR " + raw + " > 0.000001";
    ExecuteBound(ctx.Db, sql,
                 {company, from.Serial(), to.Serial() + 1.0, days, future, arriving, Arg(args, 1), Arg(args, 2),
                  Arg(args, 3), document, CreateUniqueID(), positiveOnly ? 1 : 0});
    return Result(0);
}

// The store of the session's business group: mode 0 a row per open sale order line of the
// store that its stock and open orders do not cover; mode 1 a row per item that the store's
// sale orders and minimum stock need beyond its stock and open orders, rounded like an order.
TRequestResult GetPurchOrderSuggToStore(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kSuggestionBySaleOrderForm, TFormRight::frInsert)) return Result(-1);
    const std::string& company = ctx.Session.CompanyId;
    const std::string& group = ctx.Session.BusinessGroupId;
    const TRequestResult store =
        SelectRows(ctx.Db, "SELECT Store_Id FROM N_BusinessGroup WHERE Id = ? AND Comp_Id = ?", {group, company});
    if (store.Empty() || store.Value().IsNull()) {
        ctx.RefusalKey = "err_GeneratePurchOrderSuggestion";
        return Result(-1);
    }
    const int mode = Arg(args, 2) == "1" ? 1 : 0;
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ? AND BusinessGroup_Id = ?",
                 {company, group});
    const std::string columns = "Id, Comp_Id, BusinessGroup_Id, Store_Id, Mode, Checked, Processed, Item_Id, N_Item_Name, "
                                "SaleOrder_Id, SaleOrderLine_Id, SaleOrderNo, DueDate, OpenQty, OnHand, OnOrder, "
                                "MinimumStock, QtyToPurch, LastDirectCost, Line_No";
    const std::string ctes = "WITH " + Q::OnHand(true) + ", " + Q::OnOrder(true) + ", " + Q::OpenSale(true) + ", " +
                             Q::ItemVendor() + ", " + ItemsCte() + ")";
    std::string sql;
    if (mode == 0) {
        const std::string qty = Q::Uncovered("l.Qty", "l.Cum", "(n.OnHand + n.OnOrder)");
        sql = ctes + ", " + DemandLinesCte(true) + " INSERT INTO D_PurchOrderSeggBySaleOrder (" + columns +
              ") SELECT ?3 || ':' || l.Id, ?1, ?4, ?2, 0, 1, 0, n.Item_Id, n.Name, l.Master_Id, l.Id, l.DocumentNo, "
              "l.DueDate, l.Qty, n.OnHand, n.OnOrder, n.MinStock, " + qty + ", n.Cost, ROW_NUMBER() OVER (ORDER BY "
              "n.Item_Id, l.DueDate, l.Id) FROM items n JOIN lines l ON "
              "l.Item_Id = n.Item_Id WHERE " + qty + " > 0.000001";
    } else {
        const std::string need = "(n.OpenSale + n.MinStock - n.OnHand - n.OnOrder)";
        sql = ctes + " INSERT INTO D_PurchOrderSeggBySaleOrder (" + columns +
              ") SELECT ?3 || ':' || n.Item_Id, ?1, ?4, ?2, 1, 1, 0, n.Item_Id, n.Name, NULL, NULL, NULL, NULL, "
              "n.OpenSale, n.OnHand, n.OnOrder, n.MinStock, " + Q::Rounded(need, "n.Moq", "n.Mult") +
              ", n.Cost, ROW_NUMBER() OVER (ORDER BY n.Item_Id) FROM items n WHERE " + need + " > 0.000001";
    }
    ExecuteBound(ctx.Db, sql, {company, store.Value().AsString(), CreateUniqueID(), group});
    return Result(0);
}

struct TNewOrder {
    std::string Id, Number, SeriesId, SubType, Vendor, PayMethod;
};

void InsertOrderHeader(TServerContext& ctx, const TNewOrder& order) {
    const TDateTime today = TDateTime::Today();
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, Series_Id, "
                 "DocumentDate, PostingDate, OrderDate, Contragent_Id, Currency_Id, CurrencyFactor, PriceIncludingVAT, "
                 "PayMethod_Id, PayTerm_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, "
                 "BusinessGroup_Id, User_Id, C_Datetime, DocStatus) SELECT ?, Comp_Id, ?, ?, ?, ?, ?, ?, ?, Id, "
                 "COALESCE(Currency_Id, (SELECT LocalCurrency_Id FROM C_CompanySetup WHERE Id = ?)), 1, 0, "
                 "COALESCE(NULLIF(?, ''), PayMethod_Id), PayTerm_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, "
                 "CntrPostingGroup_Id, ?, ?, ?, 0 FROM N_Contragent WHERE Id = ? AND Comp_Id = ?",
                 {order.Id, DocumentType::PurchOrder, order.SubType, order.Number, order.SeriesId, today, today, today,
                  ctx.Session.CompanyId, order.PayMethod, ctx.Session.BusinessGroupId, ctx.Session.UserId,
                  TDateTime::Now(), order.Vendor, ctx.Session.CompanyId});
}

// One line per item of the ticked rows, at the item's last cost, all of it still to receive
// and to invoice; the header totals are the lines' sums.
void InsertOrderLines(TServerContext& ctx, const TNewOrder& order) {
    const std::string value = "ROUND(CAST(r.Qty * r.Cost AS NUMERIC), 2)";
    const std::string vat = "ROUND(CAST(" + value + " * COALESCE(s.VATPercent, 0) / 100.0 AS NUMERIC), 2)";
    ExecuteBound(
        ctx.Db,
        "INSERT INTO D_PurchaseLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, Quantity, "
        "Quantity_Base, DirectUnitCost_ACY, DirectUnitCost, TotalPrice, VATProdPostGroup_Id, VATBusPostGroup_Id, "
        "GenProdPostGroup_Id, GenBusPostGroup_Id, BusinessGroup_Id, VATPercent, VATBaseAmount, TotalValue, VATValue, "
        "TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, QtyToReceive, QtyToInvoice, OutstandingQty) "
        "SELECT ?1, ?1 || ':' || r.Item_Id, ?2, ROW_NUMBER() OVER (ORDER BY r.Item_Id), 1, r.Item_Id, i.Name, "
        "i.PurchMeasure_Id, r.Qty, r.Qty, r.Cost, r.Cost, " + value + ", i.VATProdPostGroup_Id, h.VATBusPostGroup_Id, "
        "i.GenProdPostGroup_Id, h.GenBusPostGroup_Id, h.BusinessGroup_Id, COALESCE(s.VATPercent, 0), " + value + ", " +
            value + ", " + vat + ", " + value + " + " + vat + ", " + value + ", " + vat + ", " + value + " + " + vat +
            ", r.Qty, r.Qty, r.Qty FROM (SELECT Item_Id, SUM(QtyToPurch) AS Qty, MAX(LastDirectCost) AS Cost FROM "
            "D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ?2 AND BusinessGroup_Id = ?3 AND Checked = 1 AND "
            "Processed = 0 AND QtyToPurch > 0 GROUP BY Item_Id) r JOIN N_Item i ON i.Id = r.Item_Id "
            "JOIN D_PurchHeader h ON h.Id = ?1 LEFT JOIN G_VATPostingSetup s ON s.Comp_Id = ?2 AND "
            "s.VATBus_PostingGroup = h.VATBusPostGroup_Id AND s.VATProd_PostingGroup = i.VATProdPostGroup_Id",
        {order.Id, ctx.Session.CompanyId, ctx.Session.BusinessGroupId});
    SumOrderLines(ctx, order.Id);
}

// Arguments: company, business group, user, subtype, vendor, payment method. The ticked rows
// of the business group with a quantity become one order of the vendor and are processed.
TRequestResult CreatePurchOrderFromSuggToStore(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kPurchOrderForm, TFormRight::frInsert))
        return Refusal(ctx, ctx.RefusalKey, "Нямате право да създавате поръчки.");
    const std::string& company = ctx.Session.CompanyId;
    const TVariantArray ofGroup{company, ctx.Session.BusinessGroupId};
    if (SelectRows(ctx.Db, "SELECT 1 FROM D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ? AND BusinessGroup_Id = ? AND "
                           "Checked = 1 AND Processed = 0 AND QtyToPurch > 0", ofGroup).Empty())
        return Refusal(ctx, "err_NoSelectedRecords", "Няма отбелязани редове с количество.");
    TNewOrder order{CreateUniqueID(), "", "", Arg(args, 3), Arg(args, 4), Arg(args, 5)};
    if (SelectRows(ctx.Db, "SELECT 1 FROM N_Contragent WHERE Id = ? AND Comp_Id = ?", {order.Vendor, company}).Empty())
        return Refusal(ctx, "err_NoSelectedVendor", "Изберете доставчик.");
    const TRequestResult series = SelectRows(
        ctx.Db, "SELECT COALESCE(NULLIF(s.Series_Id, ''), p.Order_Series_Id) FROM N_SubDocument s LEFT JOIN "
                "C_PurchasesSetup p ON p.Id = s.Comp_Id WHERE s.Id = ? AND s.Comp_Id = ?",
        {order.SubType, company});
    if (series.Empty()) return Refusal(ctx, "err_NoSubDocument", "Изберете подвид на документа.");
    order.SeriesId = series.Value().AsString();
    if (NextSerieNo(ctx, order.SeriesId, ctx.Session.BusinessGroupId, order.Number) < 0)
        return Refusal(ctx, "err_GetSeriesNo", "Няма свободен номер в серията на поръчките.");
    InsertOrderHeader(ctx, order);
    InsertOrderLines(ctx, order);
    const std::string ticked = "SELECT SaleOrderLine_Id FROM D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ? AND "
                               "BusinessGroup_Id = ? AND Checked = 1 AND Processed = 0 AND QtyToPurch > 0";
    ExecuteBound(ctx.Db, "UPDATE D_SaleOrderLine SET PurchOrdered = 1 WHERE Id IN (" + ticked + ")", ofGroup);
    ExecuteBound(ctx.Db, "UPDATE D_PurchOrderSeggBySaleOrder SET Processed = 1 WHERE Comp_Id = ? AND BusinessGroup_Id = ? "
                         "AND Checked = 1 AND Processed = 0 AND QtyToPurch > 0", ofGroup);
    return Answer({"Result", "Doc_No", "Doc_Id", "ErrMsg"}, {"0", order.Number, order.Id, ""});
}

// The script names the company; the session's is the one it may name. Only processed rows go.
TRequestResult DeleteProcessedRows(TServerContext& ctx, const TVariantArray& args) {
    if (Arg(args, 1) != "1") return Result(-1);
    ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ? AND Processed = 1",
                 {ctx.Session.CompanyId});
    return Result(0);
}

}  // namespace

void RegisterReplenishmentProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_GetPurchOrderSuggestion", GetPurchOrderSuggestion);
    registry.Register(TProcedureKind::pkProcedure, "usp_ChangeSaleOrderStatus", ChangeSaleOrderStatus);
    registry.Register(TProcedureKind::pkProcedure, "usp_CopySuggestionToOrderLine", CopySuggestionToOrderLine);
    registry.Register(TProcedureKind::pkProcedure, "usp_DeletePurchOrderFromSgg", DeletePurchOrderFromSgg);
    registry.Register(TProcedureKind::pkTableFunction, "fn_CheckPurchOrderFromSgg", CheckPurchOrderFromSgg);
    registry.Register(TProcedureKind::pkProcedure, "usp_GetPurchOrderSuggestionToVendor", GetPurchOrderSuggestionToVendor);
    registry.Register(TProcedureKind::pkProcedure, "usp_GetPurchOrderSuggToStore", GetPurchOrderSuggToStore);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchOrderFromSuggToStore", CreatePurchOrderFromSuggToStore);
}

void RegisterReplenishmentScripts(TScriptRecognizer& scripts) {
    scripts.Add("DELETE D_PurchOrderSeggBySaleOrder WHERE Comp_Id = ? AND Processed = ?", DeleteProcessedRows);
}

}  // namespace tavrek::server
