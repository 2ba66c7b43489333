#include "server/TClosedOrderGuard.h"

#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {

const char* TClosedOrderGuard::Refusal(const std::string& headerId, bool reopening) {
    auto [known, added] = status_.emplace(headerId, 0);
    if (added) {
        const TRequestResult order =
            SelectRows(ctx_.Db, "SELECT COALESCE(DocStatus, 0) FROM D_PurchHeader WHERE Id = ? AND DocumentType = ?",
                       {headerId, DocumentType::PurchOrder});
        known->second = order.Empty() ? 0 : order.Value().AsInteger();
    }
    if (known->second == 0) return nullptr;
    if (!reopening) return "err_PurchOrderClosed";
    if (!MayEditProperties(ctx_, kOrderFormNumber)) return "err_ReopenOrderRightNotAllowed";
    known->second = 0;
    return nullptr;
}

bool TClosedOrderGuard::MayEditProperties(TServerContext& ctx, int formNumber) {
    return SelectRows(ctx.Db,
                      "SELECT 1 FROM S_UserFormRight WHERE Comp_Id = ? AND User_Id = ? AND Form_Id = ? AND "
                      "EditProps = 1",
                      {ctx.Session.CompanyId, ctx.Session.UserId, formNumber})
        .Rows.size() == 1;
}

}  // namespace tavrek::server
