#include "server/posting/PostedOrderSteps.h"

#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TLedgerStore.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

constexpr int kOrderCompleted = 2;

// The order's columns that posted orders do not keep.
std::vector<std::string> OrderOnlyColumns(TServerContext& ctx) {
    std::vector<std::string> columns;
    const TRelationInfo* posted = ctx.Catalog.Find("D_PostPurchOrderHeader");
    for (const TColumnInfo& column : ctx.Catalog.Find("D_PurchHeader")->Columns)
        if (posted->Column(column.Name) == nullptr) columns.push_back(column.Name);
    return columns;
}

// The copy applies to its order as the order's other posted documents do. Each copy has line
// Ids of its own; the order line copied stays in OrderLine_Id.
TPostedCopy PostedOrderCopy(TServerContext& ctx) {
    TPostedCopy copy{"D_PurchHeader",       "D_PurchaseLine", "D_PostPurchOrderHeader", "D_PostPurchOrderLine",
                     DocumentType::PostedPurchOrder, {{"AppliesToDoc_Id", "Id"}}, ", OrderNo", ", DocumentNo",
                     OrderOnlyColumns(ctx)};
    copy.LineOverrides = {{"Id", "CAST(?1 AS TEXT) || '.' || Id"}, {"OrderLine_Id", "Id"}};
    return copy;
}

void WritePostedOrder(TServerContext& ctx, const std::string& order, const std::string& number, TDateTime date) {
    const std::string postedId =
        CopyToPosted(ctx, PostedOrderCopy(ctx), order, number, 0, TLedgerStore(ctx).AmountDecimals());
    ExecuteBound(ctx.Db, "UPDATE D_PostPurchOrderHeader SET PostingDate = ?1, OrderDate = ?1 WHERE Id = ?2",
                 {date, postedId});
}

}  // namespace

std::vector<std::string> OrdersOfLines(TServerContext& ctx, const char* lineTable, const std::string& documentId) {
    std::vector<std::string> orders;
    for (const TVariantArray& row :
         SelectRows(ctx.Db,
                    std::string("SELECT DISTINCT o.Master_Id FROM D_PurchaseLine o JOIN ") + lineTable +
                        " l ON l.OrderLine_Id = o.Id WHERE l.Master_Id = ? ORDER BY o.Master_Id",
                    {documentId})
             .Rows)
        orders.push_back(row[0].AsString());
    return orders;
}

const char* FollowPostedOrders(TServerContext& ctx, const std::vector<std::string>& orders, TDateTime date,
                               const std::string& reason) {
    for (const std::string& order : orders) {
        const TRequestResult state = SelectRows(
            ctx.Db,
            "SELECT h.DocStatus, COALESCE(h.BusinessGroup_Id, ''), (SELECT MIN(p.Id) FROM D_PostPurchOrderHeader p "
            "WHERE p.SrcDocument_Id = h.Id AND p.DocumentType = ?1 AND p.Annul = 0) FROM D_PurchHeader h WHERE h.Id = ?2",
            {DocumentType::PostedPurchOrder, order});
        if (state.Empty()) continue;
        const bool completed = state.Value(0, 0).AsInteger() == kOrderCompleted, kept = !state.Value(0, 2).IsNull();
        if (completed && !kept) {
            const std::string series =
                SelectRows(ctx.Db, "SELECT COALESCE(PostOrderSeries_Id, '') FROM C_PurchasesSetup WHERE Id = ?",
                           {ctx.Session.CompanyId})
                    .Value()
                    .AsString();
            std::string number;
            if (NextSerieNo(ctx, series, state.Value(0, 1).AsString(), number) < 0) return "err_GetSeriesNo";
            WritePostedOrder(ctx, order, number, date);
        }
        if (!completed && kept)
            ExecuteBound(ctx.Db,
                         "UPDATE D_PostPurchOrderHeader SET Annul = 1, AnnulDate = ?, AnnulDescription = ?, "
                         "AnnulUser_Id = ? WHERE Id = ?",
                         {date, reason, ctx.Session.UserId, state.Value(0, 2)});
    }
    return nullptr;
}

}  // namespace tavrek::server
