#include "server/posting/LedgerProcedures.h"

#include <algorithm>

#include "server/SqlValue.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {
namespace {

constexpr double kQuantityNoise = 0.000001;

// The receipts of a document (mode 0) or of one line (mode 2) that later issues used.
TRequestResult UsedReceipts(TServerContext& ctx, const std::string& company, const std::string& id, int mode) {
    return SelectRows(ctx.Db,
                      std::string("SELECT e.Id, e.Item_Id, COALESCE(e.BusinessGroup_Id, ''), e.Quantity - "
                                  "e.RemainingQuantity, COALESCE(i.Code, e.Item_Id), COALESCE(i.Name, '') FROM G_ItemEntry e "
                                  "LEFT JOIN N_Item i ON i.Id = e.Item_Id WHERE e.Comp_Id = ? AND ") +
                          (mode == 2 ? "e.Line_Id" : "e.Document_Id") +
                          " = ? AND e.Quantity > 0 AND e.RemainingQuantity < e.Quantity - 0.000001 ORDER BY e.Id",
                      {company, id});
}

// Other open receipts of the same item and business group, oldest first.
TRequestResult OtherBatches(TServerContext& ctx, const std::string& company, const TVariantArray& receipt) {
    return SelectRows(ctx.Db,
                      "SELECT Id, RemainingQuantity FROM G_ItemEntry WHERE Comp_Id = ? AND Item_Id = ? AND "
                      "COALESCE(BusinessGroup_Id, '') = ? AND Id <> ? AND Quantity > 0 AND RemainingQuantity > 0 "
                      "ORDER BY PostingDate, Id",
                      {company, receipt[1], receipt[2], receipt[0]});
}

// Moves up to quantity of the use of one batch onto the other batches; returns what was moved.
double MoveUse(TServerContext& ctx, const TRequestResult& others, double quantity) {
    double moved = 0;
    for (const TVariantArray& batch : others.Rows) {
        const double take = std::min(batch[1].AsFloat(), quantity - moved);
        if (take <= kQuantityNoise) break;
        ExecuteBound(ctx.Db,
                     "UPDATE G_ItemEntry SET RemainingQuantity = RemainingQuantity - ?, Opened = CASE WHEN "
                     "RemainingQuantity - ? > 0.000001 THEN 1 ELSE 0 END WHERE Id = ?",
                     {take, take, batch[0]});
        moved += take;
    }
    return moved;
}

// Arguments: company, document (or line) Id, AllowNegativeQTY, 0 for the document or 2 for
// one line, 0. Gives the used quantities of the document's batches back to them by taking
// them from other batches of the item; answers one row (item code, name, used, available)
// per item whose other batches do not hold enough, which then keeps its use unless the
// company allows negative stock.
TRequestResult RestorItemEntryUsedQuantity(TServerContext& ctx, const TVariantArray& args) {
    const std::string company = Arg(args, 0), id = Arg(args, 1);
    const bool allowNegative = Arg(args, 2) == "1";
    TRequestResult shortages{{"Code", "Name", "UsedQty", "AvailableQty"}, {}};
    for (const TVariantArray& receipt : UsedReceipts(ctx, company, id, std::atoi(Arg(args, 3).c_str())).Rows) {
        const double used = receipt[3].AsFloat();
        const TRequestResult others = OtherBatches(ctx, company, receipt);
        double available = 0;
        for (const TVariantArray& batch : others.Rows) available += batch[1].AsFloat();
        if (available + kQuantityNoise < used && !allowNegative) {
            shortages.Rows.push_back({receipt[4], receipt[5], used, available});
            continue;
        }
        const double moved = MoveUse(ctx, others, used);
        ExecuteBound(ctx.Db, "UPDATE G_ItemEntry SET RemainingQuantity = RemainingQuantity + ?, Opened = 1 WHERE Id = ?",
                     {moved, receipt[0]});
    }
    return shortages;
}

}  // namespace

void RegisterLedgerProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_RestorItemEntryUsedQuantity", RestorItemEntryUsedQuantity);
}

}  // namespace tavrek::server
