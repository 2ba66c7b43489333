#include "server/TOrderApproval.h"

#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "server/SqlValue.h"
#include "server/schema/DocumentTypes.h"
#include "server/session/TUserDirectory.h"

namespace tavrek::server {
namespace {

// The order's value is read off its lines, which the buffer's posting checks, not off the
// header's total the client sent.
std::string WaitingSql(const std::string& candidates) {
    return "SELECT h.DocumentNo FROM D_PurchHeader h JOIN C_PurchasesSetup p ON p.Id = h.Comp_Id WHERE h.Comp_Id = ?1 "
           "AND h.DocumentType = " + std::to_string(DocumentType::PurchOrder) + " AND h.Id IN (" + candidates +
           ") AND NOT EXISTS (SELECT 1 FROM D_PurchOrderApproval a WHERE a.Order_Id = h.Id) AND "
           "COALESCE(p.OrderApprovalAmount, 0) > 0 AND (SELECT "
           "COALESCE(SUM(l.TotalValue_LCY), 0) FROM D_PurchaseLine l WHERE l.Master_Id = h.Id) > p.OrderApprovalAmount "
           "ORDER BY h.DocumentNo";
}

}  // namespace

std::optional<std::string> TOrderApproval::FirstWaiting(const std::string& candidates, const std::string& argument) {
    const TRequestResult waiting = SelectRows(ctx_.Db, WaitingSql(candidates), {ctx_.Session.CompanyId, argument});
    if (waiting.Empty()) return std::nullopt;
    return waiting.Value().AsString();
}

bool TOrderApproval::Waits(const std::string& orderId) { return FirstWaiting("?2", orderId).has_value(); }

const char* TOrderApproval::BufferRefusal(const std::string& bufferId) {
    const std::optional<std::string> number = FirstWaiting(
        "SELECT o.Master_Id FROM D_PurchOrderBufLine b JOIN D_PurchaseLine o ON o.Id = b.OrderLine_Id WHERE "
        "b.Master_Id = ?2",
        bufferId);
    if (!number) return nullptr;
    ctx_.RefusalArg = *number;
    return kNotApprovedKey;
}

int TOrderApproval::Refuse(const char* key) {
    ctx_.RefusalKey = key;
    return -1;
}

int TOrderApproval::Approve(const std::string& orderId) {
    // Read afresh: a right taken away counts at once, not from the next sign-in.
    if (!TUserDirectory(ctx_.Db).Rights(ctx_.Session.CompanyId, ctx_.Session.UserId)
             .Allows(kOrderFormNumber, TFormRight::frApprove)) {
        ctx_.RefusalArg = std::string(RightCaption(TFormRight::frApprove)) + " (форма " +
                          std::to_string(kOrderFormNumber) + ")";
        return Refuse("err_RightNotGranted");
    }
    // The order stays locked to the end: of two approvers at once, the second finds it approved.
    const TRequestResult order =
        SelectRows(ctx_.Db,
                   "SELECT Id FROM D_PurchHeader WHERE Id = ? AND Comp_Id = ? AND DocumentType = ?" +
                       ctx_.Db.Dialect().LockRow(),
                   {orderId, ctx_.Session.CompanyId, DocumentType::PurchOrder});
    if (order.Empty()) return Refuse("err_PurchOrderToApproveNotFound");
    if (!SelectRows(ctx_.Db, "SELECT 1 FROM D_PurchOrderApproval WHERE Order_Id = ?", {orderId}).Empty())
        return Refuse("err_PurchOrderAlreadyApproved");
    if (!Waits(orderId)) return Refuse("err_PurchOrderApprovalNotNeeded");
    ExecuteBound(ctx_.Db, "INSERT INTO D_PurchOrderApproval (Order_Id, Comp_Id, ApprovedBy_Id, ApprovedAt) VALUES (?, ?, ?, ?)",
                 {orderId, ctx_.Session.CompanyId, ctx_.Session.UserId, TDateTime::Now()});
    return 0;
}

void TOrderApproval::Withdraw(const std::set<std::string>& orderIds) {
    for (const std::string& id : orderIds)
        ExecuteBound(ctx_.Db, "DELETE FROM D_PurchOrderApproval WHERE Order_Id = ? AND Comp_Id = ?",
                     {id, ctx_.Session.CompanyId});
}

bool TOrderApproval::ChangesWhatIsApproved(const std::string& lineColumn) {
    for (const char* column : {"Type", "Code", "Measure_Id", "QtyPerUnitOfMeasure", "Quantity", "Quantity_Base",
                               "DirectUnitCost_ACY", "DirectUnitCost", "LineDiscount", "LineDiscountAmount",
                               "InvDiscAmount", "TotalValue", "TotalValue_LCY"})
        if (EqualsIgnoreCase(lineColumn, column)) return true;
    return false;
}

}  // namespace tavrek::server
