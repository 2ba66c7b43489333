#include "server/posting/PurchaseProcedures.h"

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/posting/VendorItemProcedures.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/TQueryBuilder.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

struct TProtocolSource {
    const char* Header;
    const char* Line;
};

// The invoice a protocol is made for: an open one, one already posted, or an order buffer.
const TProtocolSource* FindProtocolSource(TServerContext& ctx, const std::string& companyId, const std::string& id) {
    static const TProtocolSource sources[] = {{"D_PurchHeader", "D_PurchaseLine"},
                                              {"D_PurchInvoiceHeader", "D_PurchInvoiceLine"},
                                              {"D_PurchOrderBufHeader", "D_PurchOrderBufLine"}};
    for (const TProtocolSource& source : sources)
        if (!SelectRows(ctx.Db, std::string("SELECT 1 FROM ") + source.Header + " WHERE Id = ? AND Comp_Id = ?",
                        {id, companyId})
                 .Empty())
            return &source;
    return nullptr;
}

TRequestResult ProtocolRefused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return Answer({"Result", "ErrMsg"}, {"-1", MessageText(ctx, key)});
}

// Arguments: company, business group, invoice Id, user. The protocol charges ourselves the
// VAT of the invoice's lines at the rates of our own VAT business group, in local currency.
TRequestResult CreatePurchaseProtocolFromPurch(TServerContext& ctx, const TVariantArray& args) {
    const std::string company = Arg(args, 0), group = Arg(args, 1), invoiceId = Arg(args, 2);
    const TProtocolSource* source = FindProtocolSource(ctx, company, invoiceId);
    if (source == nullptr) return ProtocolRefused(ctx, "err_PostPurchDocumentNotFound");
    const TRequestResult existing = SelectRows(
        ctx.Db,
        "SELECT 1 FROM D_GlobalPurchHeader WHERE AppliesToDoc_Id = ?1 AND DocumentType = ?2 UNION ALL "
        "SELECT 1 FROM D_PurchInvoiceHeader WHERE AppliesToDoc_Id = ?1 AND IsGlobalInvoice = 1 AND Annul = 0",
        {invoiceId, DocumentType::PurchProtocol});
    if (!existing.Empty()) return ProtocolRefused(ctx, "err_PurchProtocolExists");

    const TRequestResult setup = SelectRows(
        ctx.Db,
        "SELECT (SELECT Id FROM N_SubDocument WHERE Comp_Id = ?1 AND Code = p.PurchProtocol_Code), "
        "p.PurchProtocol_Series_Id, c.VATBusPostGroup_Id, c.AmountDecimals FROM C_PurchasesSetup p "
        "JOIN C_CompanySetup c ON c.Id = p.Id WHERE p.Id = ?1",
        {company});
    std::string number;
    if (NextSerieNo(ctx, setup.Value(0, 1).AsString(), group, number) < 0)
        return Answer({"Result", "ErrMsg"}, {"-1", MessageText(ctx, "err_GetSeriesNo")});
    const std::string protocolId = CreateUniqueID();
    ExecuteBound(ctx.Db,
                 std::string("INSERT INTO D_GlobalPurchHeader (Id, Comp_Id, DocumentType, DocSubType_Id, DocumentNo, "
                             "DocumentDate, PostingDate, Contragent_Id, Currency_Id, CurrencyFactor, VATBusPostGroup_Id, "
                             "BusinessGroup_Id, User_Id, C_Datetime, ToInvoiceNo, InvoiceDate, AppliesToDoc_Id, "
                             "VendorInvoiceNo) SELECT ?1, Comp_Id, ?2, ?3, ?4, DocumentDate, PostingDate, Contragent_Id, "
                             "'', 1, ?5, ?6, ?7, ?8, VendorInvoiceNo, DocumentDate, Id, VendorInvoiceNo FROM ") +
                     source->Header + " WHERE Id = ?9",
                 {protocolId, DocumentType::PurchProtocol, setup.Value(0, 0), number, setup.Value(0, 2), group,
                  Arg(args, 3), TDateTime::Now(), invoiceId});
    const int decimals = setup.Value(0, 3).IsNull() ? 2 : static_cast<int>(setup.Value(0, 3).AsInteger());
    const std::string rate =
        "COALESCE((SELECT VATPercent FROM G_VATPostingSetup v WHERE v.Comp_Id = l.Comp_Id AND "
        "v.VATBus_PostingGroup = ?3 AND v.VATProd_PostingGroup = l.VATProdPostGroup_Id), l.VATPercent)";
    const std::string vat = "ROUND(CAST(l.TotalValue_LCY * " + rate + " / 100.0 AS NUMERIC), ?4)";
    const int lines = ExecuteBound(
        ctx.Db,
        "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, "
        "Quantity, Quantity_Base, DirectUnitCost, VATProdPostGroup_Id, VATBusPostGroup_Id, GenProdPostGroup_Id, "
        "VATPercent, VATBaseAmount, TotalValue, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, "
        "SrcLine_Id, BusinessGroup_Id) SELECT ?1, ?1 || '.' || l.Id, l.Comp_Id, l.Line_No, l.Type, l.Code, "
        "l.Description, l.Measure_Id, l.Quantity, l.Quantity_Base, l.UnitCost_LCY, l.VATProdPostGroup_Id, ?3, "
        "l.GenProdPostGroup_Id, " + rate + ", l.TotalValue_LCY, l.TotalValue_LCY, " + vat + ", l.TotalValue_LCY + " +
            vat + ", l.TotalValue_LCY, " + vat + ", l.TotalValue_LCY + " + vat + ", l.Id, l.BusinessGroup_Id FROM " +
            source->Line + " l WHERE l.Master_Id = ?2 AND l.TotalValue_LCY <> 0 ORDER BY l.Line_No",
        {protocolId, invoiceId, setup.Value(0, 2), decimals});
    if (lines == 0) return ProtocolRefused(ctx, "err_PurchProtocolNoLines");
    ExecuteBound(ctx.Db,
                 "UPDATE D_GlobalPurchHeader SET TotalValue = (SELECT COALESCE(SUM(TotalValue), 0) FROM D_GlobalPurchLine WHERE "
                 "Master_Id = ?1), VATValue = (SELECT COALESCE(SUM(VATValue), 0) FROM D_GlobalPurchLine WHERE Master_Id = ?1), "
                 "TotalVAT = (SELECT COALESCE(SUM(TotalVAT), 0) FROM D_GlobalPurchLine WHERE Master_Id = ?1), TotalValue_LCY = "
                 "(SELECT COALESCE(SUM(TotalValue_LCY), 0) FROM D_GlobalPurchLine WHERE Master_Id = ?1), TotalVAT_LCY = "
                 "(SELECT COALESCE(SUM(TotalVAT_LCY), 0) FROM D_GlobalPurchLine WHERE Master_Id = ?1) WHERE Id = ?1",
                 {protocolId});
    return Answer({"Result", "ErrMsg"}, {protocolId, ""});
}

TRequestResult Passed() { return Answer({"Code", "Msg"}, {0, ""}); }

TRequestResult Failed(TServerContext& ctx, const char* key, const std::string& detail = "") {
    return Answer({"Code", "Msg"}, {1, MessageText(ctx, key) + detail});
}

// Arguments: company, document Id, two options. A line booked on the advance payment account
// must name the advance it settles.
TRequestResult CheckForAccountDimension(TServerContext& ctx, const TVariantArray& args) {
    const TRequestResult lines = SelectRows(
        ctx.Db,
        "SELECT l.Line_No FROM D_PurchaseLine l JOIN C_PurchasesSetup p ON p.Id = ?1 WHERE l.Master_Id = ?2 AND "
        "l.Type = 2 AND l.Code = p.AdvancePaymentAccount AND COALESCE(l.AccountDimension_Id, '') = '' ORDER BY l.Line_No",
        {Arg(args, 0), Arg(args, 1)});
    if (lines.Empty()) return Passed();
    return Failed(ctx, "err_PostPurchAdvanceWithoutDimension", " (ред " + lines.Value().AsString() + ")");
}

// Arguments: company, payment method, cash desk, sale (0) or purchase (1), paid at posting.
TRequestResult CheckCanPostDocument(TServerContext& ctx, const TVariantArray& args) {
    const std::string method = Arg(args, 1);
    const bool direct = args.size() > 4 && args[4].AsInteger() == 1;
    if (method.empty()) return direct ? Failed(ctx, "err_PostPurchDirectPayMethod") : Passed();
    const TRequestResult found =
        SelectRows(ctx.Db, "SELECT DirectPay FROM N_PaymentMethod WHERE Comp_Id = ? AND Id = ?", {Arg(args, 0), method});
    if (found.Empty()) return Failed(ctx, "err_PostPurchPayMethod");
    if (direct && found.Value().AsInteger() != 1) return Failed(ctx, "err_PostPurchDirectPayMethod");
    return Passed();
}

// Arguments: company, document Id, kind, two options, lock flag, business group. The
// document waits in the goods check (state 1) until the warehouse has counted it.
TRequestResult SendDocumentForCheck(TServerContext& ctx, const TVariantArray& args) {
    const int changed = ExecuteBound(ctx.Db,
                                     "UPDATE D_PurchHeader SET CheckStatus = 1 WHERE Comp_Id = ? AND Id = ? AND "
                                     "COALESCE(CheckStatus, 0) = 0",
                                     {Arg(args, 0), Arg(args, 1)});
    return changed == 1 ? Passed() : Failed(ctx, "err_DocumentForCheck_1", "");
}

}  // namespace

void RegisterPurchaseProcedures(TProcedureRegistry& registry) {
    RegisterVendorItemProcedures(registry);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseProtocolFromPurch", CreatePurchaseProtocolFromPurch);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseProtocolFromPurchOrderBuf",
                      CreatePurchaseProtocolFromPurch);
    registry.Register(TProcedureKind::pkProcedure, "usp_CheckForAccountDimension", CheckForAccountDimension);
    registry.Register(TProcedureKind::pkProcedure, "usp_CheckCanPostDocument", CheckCanPostDocument);
    registry.Register(TProcedureKind::pkProcedure, "usp_SendDocumentForCheck", SendDocumentForCheck);
}

}  // namespace tavrek::server
