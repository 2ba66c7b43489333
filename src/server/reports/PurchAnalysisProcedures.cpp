#include "server/reports/PurchAnalysisProcedures.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>

#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr int kMostMonths = 240;
constexpr int kOnTimeDays = 365;

// ?1 company, ?2 first day, ?3 the day after the last: posted documents that are not annulled
// and not consolidations (a global invoice or a protocol repeats documents counted already).
std::string PostedFilter(const char* globalFlag) {
    return std::string(" h.Comp_Id = ?1 AND COALESCE(h.Annul, 0) = 0 AND COALESCE(h.") + globalFlag +
           ", 0) = 0 AND COALESCE(h.PostingDate, h.DocumentDate) >= ?2 AND COALESCE(h.PostingDate, h.DocumentDate) < ?3";
}

// Invoices add, credit memos take away; in the document's and in local currency, without VAT.
std::string DocumentsCte() {
    const std::string columns = "h.Contragent_Id, h.Currency_Id, COALESCE(h.PostingDate, h.DocumentDate) AS Day, ";
    return "docs AS (SELECT " + columns + "h.TotalValue AS Value, h.TotalValue_LCY AS Value_LCY FROM D_PurchInvoiceHeader h WHERE" +
           PostedFilter("IsGlobalInvoice") + " UNION ALL SELECT " + columns +
           "-h.TotalValue, -h.TotalValue_LCY FROM D_PurchCrMemoHeader h WHERE" + PostedFilter("IsGlobalCrMemo") + ")";
}

// The item lines of those documents, each item summed once; quantities in the item's base unit.
std::string ItemTotalsCte() {
    const std::string qty = "COALESCE(NULLIF(l.Quantity_Base, 0), l.Quantity)";
    const auto side = [&qty](const char* header, const char* lines, const char* flag, const char* sign) {
        return std::string("SELECT l.Code AS Item_Id, ") + sign + qty + " AS Qty, " + sign +
               "l.TotalValue_LCY AS Value_LCY FROM " + header + " h JOIN " + lines +
               " l ON l.Master_Id = h.Id WHERE l.Type = 1 AND" + PostedFilter(flag);
    };
    return "itemlines AS (" + side("D_PurchInvoiceHeader", "D_PurchInvoiceLine", "IsGlobalInvoice", "") + " UNION ALL " +
           side("D_PurchCrMemoHeader", "D_PurchCrMemoLine", "IsGlobalCrMemo", "-") +
           "), items AS (SELECT Item_Id, SUM(Qty) AS Qty, SUM(Value_LCY) AS Value_LCY FROM itemlines GROUP BY Item_Id)";
}

std::string VendorSql() {
    return "WITH " + DocumentsCte() +
           " SELECT c.Id AS Contragent_Id, c.Code, c.Name, COALESCE(cu.Code, '') AS Currency, COUNT(*) AS Documents, "
           "SUM(d.Value) AS Spend, SUM(d.Value_LCY) AS Spend_LCY FROM docs d JOIN N_Contragent c ON c.Id = d.Contragent_Id "
           "LEFT JOIN N_Currency cu ON cu.Id = d.Currency_Id GROUP BY c.Id, c.Code, c.Name, cu.Code "
           "ORDER BY Spend_LCY DESC, c.Code, Currency";
}

std::string ItemSql() {
    return "WITH " + ItemTotalsCte() +
           " SELECT i.Id AS Item_Id, i.Code, i.Name, COALESCE(g.Name, '') AS GroupName, x.Qty AS Quantity, "
           "x.Value_LCY AS Spend_LCY, CASE WHEN x.Qty <> 0 THEN x.Value_LCY / x.Qty ELSE 0 END AS AvgCost_LCY FROM items x "
           "JOIN N_Item i ON i.Id = x.Item_Id LEFT JOIN N_ItemProductGroup g ON g.Id = i.ItemProductGroup_Id "
           "ORDER BY Spend_LCY DESC, i.Code";
}

std::string GroupSql() {
    return "WITH " + ItemTotalsCte() +
           " SELECT COALESCE(g.Id, '') AS Group_Id, COALESCE(g.Name, '') AS GroupName, COUNT(*) AS Items, "
           "SUM(x.Qty) AS Quantity, SUM(x.Value_LCY) AS Spend_LCY FROM items x JOIN N_Item i ON i.Id = x.Item_Id "
           "LEFT JOIN N_ItemProductGroup g ON g.Id = i.ItemProductGroup_Id GROUP BY g.Id, g.Name "
           "ORDER BY Spend_LCY DESC, GroupName";
}

// The months of the period as rows of their own (the first and last cut to the period), so
// that a month without documents shows as 0 and the days of the documents are summed first.
std::string MonthsCte(TDateTime from, TDateTime to) {
    int year = 0, month = 0, day = 0;
    from.DecodeDate(year, month, day);
    std::string rows;
    for (int i = 0; i < kMostMonths; ++i) {
        const TDateTime first = TDateTime::FromDate(year, month, 1);
        if (first.Serial() > to.Serial()) break;
        const TDateTime next = month == 12 ? TDateTime::FromDate(year + 1, 1, 1) : TDateTime::FromDate(year, month + 1, 1);
        char row[96];
        std::snprintf(row, sizeof row, "%s('%04d-%02d', %.1f, %.1f)", rows.empty() ? "" : ", ", year, month,
                      std::max(first.Serial(), from.Serial()), std::min(next.Serial(), to.Serial() + 1));
        rows += row;
        next.DecodeDate(year, month, day);
    }
    return "months (Month, MonthFrom, MonthTo) AS (VALUES " + rows + ")";
}

std::string MonthSql(TDateTime from, TDateTime to) {
    return "WITH " + DocumentsCte() + ", days AS (SELECT Day, COUNT(*) AS Docs, SUM(Value_LCY) AS Value_LCY FROM docs GROUP BY Day), " +
           MonthsCte(from, to) +
           " SELECT m.Month, CAST(m.MonthFrom AS DOUBLE PRECISION) AS DateFrom, CAST(m.MonthTo - 1 AS DOUBLE PRECISION) AS DateTo, COALESCE(SUM(d.Docs), 0) AS Documents, "
           "COALESCE(SUM(d.Value_LCY), 0) AS Spend_LCY FROM months m LEFT JOIN days d ON d.Day >= m.MonthFrom AND "
           "d.Day < m.MonthTo GROUP BY m.Month, m.MonthFrom, m.MonthTo ORDER BY m.Month";
}

// ?4 the item: every invoice line of it, oldest first, at the price on the document and at
// what a unit cost in local currency after discounts.
std::string PriceSql() {
    return "SELECT COALESCE(h.PostingDate, h.DocumentDate) AS PostingDate, h.Id AS Document_Id, h.DocumentNo, c.Id AS Contragent_Id, c.Code, "
           "c.Name, COALESCE(cu.Code, '') AS Currency, l.Quantity, l.DirectUnitCost_ACY AS Price, "
           "l.TotalValue_LCY / l.Quantity AS Price_LCY FROM D_PurchInvoiceHeader h JOIN D_PurchInvoiceLine l ON "
           "l.Master_Id = h.Id JOIN N_Contragent c ON c.Id = h.Contragent_Id LEFT JOIN N_Currency cu ON cu.Id = "
           "h.Currency_Id WHERE l.Code = ?4 AND l.Type = 1 AND l.Quantity <> 0 AND" +
           PostedFilter("IsGlobalInvoice") + " ORDER BY PostingDate, h.DocumentNo, l.Line_No";
}

// What an order line still waits for: what came back is awaited again, what was refused is not.
const std::string kOpenQty = "(l.Quantity - COALESCE(l.ReceivedQty, 0) - COALESCE(l.RejectedQty, 0) + COALESCE(l.ReturnedQty, 0))";

// ?3 the day after the day orders are late on.
std::string OpenSql() {
    return "SELECT h.Id AS Order_Id, h.DocumentNo, h.DocumentDate, c.Id AS Contragent_Id, c.Code, c.Name, "
           "h.RequestedReceiptDate, SUM(l.Quantity) AS Ordered, SUM(l.Quantity - " + kOpenQty + ") AS Received, SUM(" +
           kOpenQty + ") AS Outstanding, SUM(CASE WHEN l.Quantity <> 0 THEN " + kOpenQty +
           " * l.TotalValue_LCY / l.Quantity ELSE 0 END) AS Outstanding_LCY, CASE WHEN h.RequestedReceiptDate < ?3 - 1 "
           "THEN ?3 - 1 - h.RequestedReceiptDate ELSE 0 END AS DaysLate FROM D_PurchHeader h JOIN D_PurchaseLine l ON "
           "l.Master_Id = h.Id JOIN N_Contragent c ON c.Id = h.Contragent_Id WHERE h.Comp_Id = ?1 AND h.DocumentType = " +
           std::to_string(DocumentType::PurchOrder) + " AND l.Type IN (1, 5) AND h.DocumentDate < ?3 AND " + kOpenQty +
           " > 0 GROUP BY h.Id, h.DocumentNo, h.DocumentDate, c.Id, c.Code, c.Name, h.RequestedReceiptDate "
           "ORDER BY DaysLate DESC, h.RequestedReceiptDate, h.DocumentNo";
}

// Orders requested in the year up to the last day (?3 the day after it): what of their goods
// was received by the requested date, early counting as on time, over what was ordered.
std::string OnTimeSql() {
    const std::string lastDay = "?3 - 1";
    return "WITH ordered AS (SELECT h.Id AS Order_Id, h.Contragent_Id, l.Id AS Line_Id, l.Quantity, "
           "h.RequestedReceiptDate AS Due FROM D_PurchHeader h JOIN D_PurchaseLine l ON l.Master_Id = h.Id WHERE "
           "h.Comp_Id = ?1 AND h.DocumentType = " + std::to_string(DocumentType::PurchOrder) +
           " AND l.Type IN (1, 5) AND h.RequestedReceiptDate > " + lastDay + " - " + std::to_string(kOnTimeDays) +
           " AND h.RequestedReceiptDate <= " + lastDay + "), ontime AS (SELECT o.Line_Id, SUM(r.Quantity) AS Qty FROM "
           "ordered o JOIN D_PurchReceiptLine r ON r.OrderLine_Id = o.Line_Id JOIN D_PurchReceiptHeader rh ON rh.Id = "
           "r.Master_Id WHERE COALESCE(rh.Annul, 0) = 0 AND COALESCE(rh.PostingDate, rh.DocumentDate) < o.Due + 1 "
           "GROUP BY o.Line_Id) SELECT c.Id AS Contragent_Id, c.Code, c.Name, COUNT(DISTINCT o.Order_Id) AS Orders, "
           "SUM(o.Quantity) AS Ordered, SUM(CASE WHEN COALESCE(t.Qty, 0) > o.Quantity THEN o.Quantity ELSE "
           "COALESCE(t.Qty, 0) END) AS OnTime, 0 AS OnTimeRate FROM ordered o JOIN N_Contragent c ON c.Id = o.Contragent_Id LEFT JOIN "
           "ontime t ON t.Line_Id = o.Line_Id GROUP BY c.Id, c.Code, c.Name ORDER BY c.Code";
}

// The engines hand out sums as text or numbers by their own lights: every number column comes
// back a number, amounts to the cent.
void TypeColumns(TRequestResult& rows, const std::map<std::string, TFieldType>& types) {
    for (size_t c = 0; c < rows.Columns.size(); ++c) {
        const auto found = std::find_if(types.begin(), types.end(),
                                        [&](const auto& t) { return EqualsIgnoreCase(t.first, rows.Columns[c]); });
        if (found == types.end()) continue;
        const bool amount = rows.Columns[c].find("Spend") != std::string::npos ||
                            rows.Columns[c].find("Outstanding_LCY") != std::string::npos;
        for (TVariantArray& row : rows.Rows) {
            row[c] = ReadColumn(row[c], found->second);
            if (amount && !row[c].IsNull()) row[c] = Variant(RoundUp(row[c].AsFloat(), 2));
        }
    }
}

// The rate in per cent to the hundredth, of the sums the statement made.
void FillOnTimeRate(TRequestResult& rows) {
    const auto column = [&rows](const char* name) { return static_cast<size_t>(rows.ColumnIndex(name)); };
    const size_t ordered = column("Ordered"), onTime = column("OnTime"), rate = column("OnTimeRate");
    for (TVariantArray& row : rows.Rows) {
        const double all = row[ordered].AsFloat();
        row[rate] = Variant(all > 0 ? RoundUp(100.0 * row[onTime].AsFloat() / all, 2) : 0.0);
    }
}

TRequestResult Refuse(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return {};
}

}  // namespace

TRequestResult PurchAnalysis(TServerContext& ctx, const TPurchAnalysisRequest& request) {
    using F = TFieldType;
    if (request.DateTo.Serial() < request.DateFrom.Serial()) return Refuse(ctx, "err_AnalysisPeriod");
    const std::map<std::string, TFieldType> types = {
        {"Documents", F::ftInteger},  {"Items", F::ftInteger},          {"Orders", F::ftInteger},
        {"Spend", F::ftFloat},        {"Spend_LCY", F::ftFloat},        {"Quantity", F::ftFloat},
        {"AvgCost_LCY", F::ftFloat},  {"Price", F::ftFloat},            {"Price_LCY", F::ftFloat},
        {"Ordered", F::ftFloat},      {"Received", F::ftFloat},         {"Outstanding", F::ftFloat},
        {"Outstanding_LCY", F::ftFloat}, {"OnTime", F::ftFloat},        {"DaysLate", F::ftInteger},
        {"DateFrom", F::ftDateTime},  {"DateTo", F::ftDateTime},        {"PostingDate", F::ftDateTime},
        {"DocumentDate", F::ftDateTime}, {"RequestedReceiptDate", F::ftDateTime}};
    const std::map<std::string, std::function<std::string()>> views = {
        {"vendor", VendorSql}, {"item", ItemSql}, {"group", GroupSql},
        {"month", [&] { return MonthSql(request.DateFrom, request.DateTo); }},
        {"price", PriceSql}, {"open", OpenSql}, {"ontime", OnTimeSql}};
    const auto view = views.find(request.View);
    if (view == views.end()) return Refuse(ctx, "err_AnalysisView");
    const int months = [&] {
        int y1 = 0, m1 = 0, d1 = 0, y2 = 0, m2 = 0, d2 = 0;
        request.DateFrom.DecodeDate(y1, m1, d1);
        request.DateTo.DecodeDate(y2, m2, d2);
        return (y2 - y1) * 12 + m2 - m1 + 1;
    }();
    if (request.View == "month" && months > kMostMonths) return Refuse(ctx, "err_AnalysisPeriod");
    const TVariantArray params{ctx.Session.CompanyId, Variant(request.DateFrom.DateOnly().Serial()),
                               Variant(request.DateTo.DateOnly().Serial() + 1), request.ItemId};
    TRequestResult rows = SelectRows(ctx.Db, view->second(), params);
    TypeColumns(rows, types);
    if (request.View == "ontime") FillOnTimeRate(rows);
    return rows;
}

void RegisterPurchAnalysisProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_PurchAnalysis", [](TServerContext& ctx, const TVariantArray& args) {
        const auto date = [&args](size_t i) {
            return i < args.size() && args[i].Type() == TVarType::varDate ? args[i].AsDateTime()
                                                                          : TDateTime::Parse(Arg(args, i));
        };
        return PurchAnalysis(ctx, {Arg(args, 1), date(2), date(3), Arg(args, 4)});
    });
}

}  // namespace tavrek::server
