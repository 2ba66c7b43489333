#include "server/TClosedOrderGuard.h"

#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"
#include "server/session/TUserDirectory.h"

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
    // Read afresh: a right taken away counts at once, not from the next sign-in.
    return TUserDirectory(ctx.Db).Rights(ctx.Session.CompanyId, ctx.Session.UserId).Allows(formNumber,
                                                                                          TFormRight::frEditProps);
}

}  // namespace tavrek::server
