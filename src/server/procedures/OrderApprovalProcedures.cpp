#include "server/procedures/OrderApprovalProcedures.h"

#include "base/util/Text.h"
#include "server/TOrderApproval.h"
#include "server/procedures/ProcedureArgs.h"

namespace tavrek::server {
namespace {

TRequestResult Outcome(TServerContext& ctx, int result) {
    const std::string text =
        result == 0 ? std::string() : FormatMessage(MessageText(ctx, ctx.RefusalKey.c_str()), {ctx.RefusalArg});
    return Answer({"Result", "ErrMsg"}, {result, text});
}

// Arguments: company, order id.
TRequestResult ApprovePurchOrder(TServerContext& ctx, const TVariantArray& args) {
    return Outcome(ctx, TOrderApproval(ctx).Approve(Arg(args, 1)));
}

// Arguments: company, order id. Result 1 when the order waits for approval, with the message
// that says so.
TRequestResult GetPurchOrderApproval(TServerContext& ctx, const TVariantArray& args) {
    TOrderApproval approval(ctx);
    if (!approval.Waits(Arg(args, 1))) return Answer({"Result", "ErrMsg"}, {0, ""});
    const TRequestResult number =
        SelectRows(ctx.Db, "SELECT DocumentNo FROM D_PurchHeader WHERE Id = ? AND Comp_Id = ?",
                   {Arg(args, 1), ctx.Session.CompanyId});
    ctx.RefusalKey = TOrderApproval::kNotApprovedKey;
    ctx.RefusalArg = number.Value().AsString();
    return Answer({"Result", "ErrMsg"},
                  {1, FormatMessage(MessageText(ctx, TOrderApproval::kNotApprovedKey), {ctx.RefusalArg})});
}

}  // namespace

void RegisterOrderApprovalProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_ApprovePurchOrder", ApprovePurchOrder);
    registry.Register(TProcedureKind::pkProcedure, "usp_GetPurchOrderApproval", GetPurchOrderApproval);
}

}  // namespace tavrek::server
