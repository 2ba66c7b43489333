#include "server/posting/PurchaseProcedures.h"

#include <utility>
#include <vector>

#include "base/data/TDateTime.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/posting/VendorItemProcedures.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/TQueryBuilder.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// What a protocol is made from: invoices (open or posted) and order buffers, or posted credit memos.
struct TProtocolKind {
    std::vector<std::pair<const char*, const char*>> Sources;  // header and line tables
    int DocumentType;
    const char* SubTypeCode;  // the purchases setup's column of the protocol's subtype code
    const char* Series;       // and of its number series
    const char* PostedFlag;   // the posted table's flag of a posted protocol
    const char* PostedTable;
};

const TProtocolKind kInvoiceProtocol{{{"D_PurchHeader", "D_PurchaseLine"},
                                      {"D_PurchInvoiceHeader", "D_PurchInvoiceLine"},
                                      {"D_PurchOrderBufHeader", "D_PurchOrderBufLine"}},
                                     DocumentType::PurchProtocol,
                                     "PurchProtocol_Code",
                                     "PurchProtocol_Series_Id",
                                     "IsGlobalInvoice",
                                     "D_PurchInvoiceHeader"};
const TProtocolKind kCrMemoProtocol{{{"D_PurchCrMemoHeader", "D_PurchCrMemoLine"}},
                                    DocumentType::PurchCrMemoProtocol,
                                    "PurchCRMemoProtocol_Code",
                                    "PurchCrMemoProtocol_Series_Id",
                                    "IsGlobalCrMemo",
                                    "D_PurchCrMemoHeader"};

// The source tables that hold the document, or nullptr.
const std::pair<const char*, const char*>* FindProtocolSource(TServerContext& ctx, const TProtocolKind& kind,
                                                              const std::string& companyId, const std::string& id) {
    for (const auto& source : kind.Sources)
        if (!SelectRows(ctx.Db, std::string("SELECT 1 FROM ") + source.first + " WHERE Id = ? AND Comp_Id = ?",
                        {id, companyId})
                 .Empty())
            return &source;
    return nullptr;
}

TRequestResult ProtocolRefused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return Answer({"Result", "ErrMsg"}, {"-1", MessageText(ctx, key)});
}

bool ProtocolExists(TServerContext& ctx, const TProtocolKind& kind, const std::string& documentId) {
    return !SelectRows(ctx.Db,
                       std::string("SELECT 1 FROM D_GlobalPurchHeader WHERE AppliesToDoc_Id = ?1 AND DocumentType = ?2 "
                                   "UNION ALL SELECT 1 FROM ") + kind.PostedTable + " WHERE AppliesToDoc_Id = ?1 AND " +
                           kind.PostedFlag + " = 1 AND Annul = 0",
                       {documentId, kind.DocumentType})
                .Empty();
}

// The protocol's lines charge ourselves the VAT of the document's lines at the rates of our
// own VAT business group, in local currency; returns how many there are.
int CopyProtocolLines(TServerContext& ctx, const std::string& protocolId, const char* lineTable,
                      const std::string& documentId, const Variant& vatGroup, int decimals) {
    const std::string rate =
        "COALESCE((SELECT VATPercent FROM G_VATPostingSetup v WHERE v.Comp_Id = l.Comp_Id AND "
        "v.VATBus_PostingGroup = ?3 AND v.VATProd_PostingGroup = l.VATProdPostGroup_Id), l.VATPercent)";
    const std::string vat = "ROUND(CAST(l.TotalValue_LCY * " + rate + " / 100.0 AS NUMERIC), ?4)";
    return ExecuteBound(
        ctx.Db,
        "INSERT INTO D_GlobalPurchLine (Master_Id, Id, Comp_Id, Line_No, Type, Code, Description, Measure_Id, "
        "Quantity, Quantity_Base, DirectUnitCost, VATProdPostGroup_Id, VATBusPostGroup_Id, GenProdPostGroup_Id, "
        "VATPercent, VATBaseAmount, TotalValue, VATValue, TotalVAT, TotalValue_LCY, VATValue_LCY, TotalVAT_LCY, "
        "SrcLine_Id, BusinessGroup_Id) SELECT ?1, ?1 || '.' || l.Id, l.Comp_Id, l.Line_No, l.Type, l.Code, "
        "l.Description, l.Measure_Id, l.Quantity, l.Quantity_Base, l.UnitCost_LCY, l.VATProdPostGroup_Id, ?3, "
        "l.GenProdPostGroup_Id, " + rate + ", l.TotalValue_LCY, l.TotalValue_LCY, " + vat + ", l.TotalValue_LCY + " +
            vat + ", l.TotalValue_LCY, " + vat + ", l.TotalValue_LCY + " + vat + ", l.Id, l.BusinessGroup_Id FROM " +
            lineTable + " l WHERE l.Master_Id = ?2 AND l.TotalValue_LCY <> 0 ORDER BY l.Line_No",
        {protocolId, documentId, vatGroup, decimals});
}

// The protocol's totals as its posting takes them: the VAT of each rate on the rate's whole
// base, not the sum of the lines' rounded VAT. A protocol is in local currency.
void SumProtocol(TServerContext& ctx, const std::string& protocolId, int decimals) {
    const std::string base = "(SELECT COALESCE(SUM(TotalValue_LCY), 0) FROM D_GlobalPurchLine WHERE Master_Id = ?1)";
    const std::string vat =
        "(SELECT COALESCE(SUM(v), 0) FROM (SELECT ROUND(CAST(SUM(TotalValue_LCY) * VATPercent / 100.0 AS NUMERIC), ?2) "
        "AS v FROM D_GlobalPurchLine WHERE Master_Id = ?1 GROUP BY VATPercent) AS rates)";
    ExecuteBound(ctx.Db,
                 "UPDATE D_GlobalPurchHeader SET TotalValue = " + base + ", VATValue = " + vat + ", TotalVAT = " + base +
                     " + " + vat + ", TotalValue_LCY = " + base + ", TotalVAT_LCY = " + base + " + " + vat +
                     " WHERE Id = ?1",
                 {protocolId, decimals});
}

// Arguments: company, business group, document Id, user. The open protocol of the document,
// numbered from the protocols' series; answers its Id, or -1 and the reason.
TRequestResult CreateProtocol(TServerContext& ctx, const TVariantArray& args, const TProtocolKind& kind) {
    const std::string company = Arg(args, 0), group = Arg(args, 1), documentId = Arg(args, 2);
    const auto* source = FindProtocolSource(ctx, kind, company, documentId);
    if (source == nullptr) return ProtocolRefused(ctx, "err_PostPurchDocumentNotFound");
    if (ProtocolExists(ctx, kind, documentId)) return ProtocolRefused(ctx, "err_PurchProtocolExists");
    const TRequestResult setup = SelectRows(
        ctx.Db,
        std::string("SELECT (SELECT Id FROM N_SubDocument WHERE Comp_Id = ?1 AND Code = p.") + kind.SubTypeCode +
            "), p." + kind.Series + ", c.VATBusPostGroup_Id, c.AmountDecimals FROM C_PurchasesSetup p "
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
                             "'', 1, ?5, ?6, ?7, ?8, COALESCE(NULLIF(VendorInvoiceNo, ''), VendorCreditMemoNo), "
                             "DocumentDate, Id, COALESCE(NULLIF(VendorInvoiceNo, ''), VendorCreditMemoNo) FROM ") +
                     source->first + " WHERE Id = ?9",
                 {protocolId, kind.DocumentType, setup.Value(0, 0), number, setup.Value(0, 2), group, Arg(args, 3),
                  TDateTime::Now(), documentId});
    const int decimals = setup.Value(0, 3).IsNull() ? 2 : static_cast<int>(setup.Value(0, 3).AsInteger());
    if (CopyProtocolLines(ctx, protocolId, source->second, documentId, setup.Value(0, 2), decimals) == 0)
        return ProtocolRefused(ctx, "err_PurchProtocolNoLines");
    SumProtocol(ctx, protocolId, decimals);
    return Answer({"Result", "ErrMsg"}, {protocolId, ""});
}

TRequestResult CreatePurchaseProtocol(TServerContext& ctx, const TVariantArray& args) {
    return CreateProtocol(ctx, args, kInvoiceProtocol);
}

// The buffer's caller reads the new protocol's Id from ErrMsg, Result being only the outcome.
TRequestResult CreatePurchaseProtocolFromBuffer(TServerContext& ctx, const TVariantArray& args) {
    TRequestResult answer = CreateProtocol(ctx, args, kInvoiceProtocol);
    if (answer.ByName("Result").AsString() == "-1") return answer;
    return Answer({"Result", "ErrMsg"}, {0, answer.ByName("Result")});
}

TRequestResult CreatePurchaseCrMemoProtocol(TServerContext& ctx, const TVariantArray& args) {
    return CreateProtocol(ctx, args, kCrMemoProtocol);
}

TRequestResult Passed() { return Answer({"Code", "Msg"}, {0, ""}); }

TRequestResult Failed(TServerContext& ctx, const char* key, const std::string& detail = "") {
    return Answer({"Code", "Msg"}, {1, MessageText(ctx, key) + detail});
}

// Arguments: company, document Id, two options. A line booked on the advance payment account
// must name the advance it settles; an advance payment's own line gets its dimension at posting.
TRequestResult CheckForAccountDimension(TServerContext& ctx, const TVariantArray& args) {
    const TRequestResult lines = SelectRows(
        ctx.Db,
        "SELECT l.Line_No FROM D_PurchaseLine l JOIN C_PurchasesSetup p ON p.Id = ?1 JOIN D_PurchHeader h ON h.Id = "
        "l.Master_Id WHERE l.Master_Id = ?2 AND h.DocumentType <> ?3 AND l.Type = 2 AND l.Code = "
        "p.AdvancePaymentAccount AND COALESCE(l.AccountDimension_Id, '') = '' ORDER BY l.Line_No",
        {Arg(args, 0), Arg(args, 1), DocumentType::PurchAdvancePayment});
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

// Arguments: company, document Id, kind, two options, lock flag, business group. The open
// document (a purchase document or an order buffer) waits in the goods check (state 1) until
// the warehouse has counted it.
TRequestResult SendDocumentForCheck(TServerContext& ctx, const TVariantArray& args) {
    for (const TDocumentTables& tables : DocumentTables()) {
        if (tables.Posted) continue;
        const int changed = ExecuteBound(ctx.Db,
                                         std::string("UPDATE ") + tables.Header +
                                             " SET CheckStatus = 1 WHERE Comp_Id = ? AND Id = ? AND "
                                             "COALESCE(CheckStatus, 0) = 0",
                                         {Arg(args, 0), Arg(args, 1)});
        if (changed == 1) return Passed();
    }
    return Failed(ctx, "err_DocumentForCheck_1", "");
}

}  // namespace

void RegisterPurchaseProcedures(TProcedureRegistry& registry) {
    RegisterVendorItemProcedures(registry);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseProtocolFromPurch", CreatePurchaseProtocol);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseProtocolFromPurchOrderBuf",
                      CreatePurchaseProtocolFromBuffer);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseProtocol", CreatePurchaseProtocol);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchaseCrMemoProtocol", CreatePurchaseCrMemoProtocol);
    registry.Register(TProcedureKind::pkProcedure, "usp_CheckForAccountDimension", CheckForAccountDimension);
    registry.Register(TProcedureKind::pkProcedure, "usp_CheckCanPostDocument", CheckCanPostDocument);
    registry.Register(TProcedureKind::pkProcedure, "usp_SendDocumentForCheck", SendDocumentForCheck);
}

}  // namespace tavrek::server
