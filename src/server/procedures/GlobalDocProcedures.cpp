#include "server/procedures/GlobalDocProcedures.h"

#include "base/util/TVATTotals.h"
#include "base/util/Utils.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// The kinds of global document each side's recalculation is for.
bool OfSide(const std::string& side, int64_t type) {
    if (side == "3") return type == DocumentType::GlobalInvoice || type == DocumentType::PurchProtocol;
    if (side == "5") return type == DocumentType::GlobalCrMemo || type == DocumentType::PurchCrMemoProtocol;
    return false;
}

TRequestResult Refused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return Answer({"Result"}, {-1});
}

double Number(const Variant& value) { return value.IsNull() ? 0.0 : value.AsFloat(); }

// Arguments: document Id, company (the session's is used), side. The header totals as the
// editors' whole-document recalculation makes them: the VAT of each
// rate on the rate's base (a base typed apart from the line value counts as typed), and
// documents whose lines carry only a VAT base take their local totals from the bases.
TRequestResult RecalcGlobalDocument(TServerContext& ctx, const TVariantArray& args) {
    const TRequestResult header = SelectRows(
        ctx.Db,
        "SELECT h.DocumentType, CASE WHEN COALESCE(h.Currency_Id, '') = '' THEN 1 ELSE COALESCE(h.CurrencyFactor, 0) "
        "END, COALESCE((SELECT AmountDecimals FROM C_CompanySetup WHERE Id = h.Comp_Id), 2) FROM D_GlobalPurchHeader h "
        "WHERE h.Id = ? AND h.Comp_Id = ?",
        {Arg(args, 0), ctx.Session.CompanyId});
    if (header.Empty()) return Refused(ctx, "err_RecalcDocument");
    if (!OfSide(Arg(args, 2), header.Value(0, 0).AsInteger())) return Refused(ctx, "err_GlobalDocRecalcKind");
    const double factor = Number(header.Value(0, 1));
    const int decimals = static_cast<int>(header.Value(0, 2).AsInteger());
    const TRequestResult lines = SelectRows(
        ctx.Db, "SELECT VATPercent, TotalValue, VATBaseAmount FROM D_GlobalPurchLine WHERE Master_Id = ?", {Arg(args, 0)});
    TVATTotals totals;
    double sum = 0.0;
    for (const TVariantArray& line : lines.Rows) {
        const double percent = Number(line[0]), value = RoundUp(Number(line[1]), decimals), base = Number(line[2]);
        const bool apart = base != 0.0 && RoundUp(base, 2) != RoundUp(value, 2);
        totals.AddVATGroups(std::to_string(percent), percent, apart ? base : value, (apart ? base : value) * factor);
        sum += value;
    }
    sum = RoundUp(sum, decimals);
    const double vat = totals.TotalVAT();
    const double valueLCY = RoundUp(factor * (sum != 0.0 ? sum : totals.TotalBase()), decimals);
    const double grossLCY = sum != 0.0 ? valueLCY + RoundUp(factor * vat, decimals) : RoundUp(factor * totals.TotalGross(), decimals);
    ExecuteBound(ctx.Db,
                 "UPDATE D_GlobalPurchHeader SET TotalValue = ?, VATValue = ?, TotalVAT = ?, TotalValue_LCY = ?, "
                 "TotalVAT_LCY = ? WHERE Id = ? AND Comp_Id = ?",
                 {sum, vat, RoundUp(sum + vat, decimals), valueLCY, RoundUp(grossLCY, decimals), Arg(args, 0),
                  ctx.Session.CompanyId});
    return Answer({"Result"}, {0});
}

// Arguments: company (the session's is used), document Id. Lines of a global document whose
// source line another line has taken too, in an open global
// document or a posted one, with the number of that document.
TRequestResult CheckGlobalDuplicateLine(TServerContext& ctx, const TVariantArray& args) {
    return SelectRows(ctx.Db,
                      "SELECT l.Line_No, oh.DocumentNo AS DocNo FROM D_GlobalPurchLine l "
                      "JOIN D_GlobalPurchLine o ON o.SrcLine_Id = l.SrcLine_Id AND o.Id <> l.Id "
                      "JOIN D_GlobalPurchHeader oh ON oh.Id = o.Master_Id "
                      "WHERE l.Master_Id = ?1 AND l.Comp_Id = ?2 AND COALESCE(l.SrcLine_Id, '') <> '' "
                      "UNION ALL SELECT l.Line_No, COALESCE(pi.DocumentNo, pc.DocumentNo) FROM D_GlobalPurchLine l "
                      "JOIN D_GlobalSourceLine c ON c.SrcLine_Id = l.SrcLine_Id "
                      "LEFT JOIN D_PurchInvoiceHeader pi ON pi.Id = c.Document_Id "
                      "LEFT JOIN D_PurchCrMemoHeader pc ON pc.Id = c.Document_Id "
                      "WHERE l.Master_Id = ?1 AND c.Comp_Id = ?2 ORDER BY 1",
                      {Arg(args, 1), ctx.Session.CompanyId});
}

}  // namespace

void RegisterGlobalDocProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkScript, "usp_RecalcGlobalDocument", RecalcGlobalDocument);
    registry.Register(TProcedureKind::pkTableFunction, "fn_CheckGlobalDuplicateLine", CheckGlobalDuplicateLine);
}

}  // namespace tavrek::server
