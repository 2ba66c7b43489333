#include "server/TPostingPeriod.h"

#include <cmath>

#include "server/SqlValue.h"
#include "server/schema/DocumentTables.h"

namespace tavrek::server {

bool TPostingPeriod::Allows(TServerContext& ctx, TDateTime date) {
    const TRequestResult period = SelectRows(
        ctx.Db, "SELECT AllowPostingFrom, AllowPostingTo FROM C_PurchasesSetup WHERE Id = ?", {ctx.Session.CompanyId});
    if (period.Empty()) return true;
    const double day = std::floor(date.Serial());
    const Variant from = period.Value(0, 0), to = period.Value(0, 1);
    const bool before = !from.IsEmpty() && day < std::floor(from.AsDateTime().Serial());
    const bool after = !to.IsEmpty() && day > std::floor(to.AsDateTime().Serial());
    if (!before && !after) return true;
    ctx.RefusalKey = kRefusalKey;
    ctx.RefusalArg = date.Format("dd.mm.yyyy");
    return false;
}

bool TPostingPeriod::AllowsDocument(TServerContext& ctx, const std::string& id) {
    for (const TDocumentTables& tables : DocumentTables()) {
        if (tables.Posted) continue;
        const TRequestResult date =
            SelectRows(ctx.Db,
                       "SELECT COALESCE(PostingDate, DocumentDate) FROM " + std::string(tables.Header) +
                           " WHERE Id = ? AND Comp_Id = ?",
                       {id, ctx.Session.CompanyId});
        if (date.Empty()) continue;
        return date.Value().IsNull() || Allows(ctx, date.Value().AsDateTime());
    }
    return true;
}

}  // namespace tavrek::server
