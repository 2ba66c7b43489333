#include "server/procedures/StandardProcedures.h"

#include <cstdio>
#include <iomanip>
#include <sstream>
#include <utility>

#include "base/data/TDateTime.h"
#include "base/util/TVATTotals.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/procedures/GlobalDocProcedures.h"
#include "server/procedures/OfferConversionProcedures.h"
#include "server/procedures/OrderApprovalProcedures.h"
#include "server/procedures/OrderImportProcedures.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/procedures/ReplenishmentProcedures.h"
#include "server/procedures/SaleShipmentProcedures.h"
#include "server/procedures/VendorPaymentProcedures.h"
#include "server/TQueryBuilder.h"
#include "server/reports/PurchAnalysisProcedures.h"
#include "server/reports/VATLedgerProcedures.h"
#include "server/schema/DocumentTables.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// The tables of an open purchase document: order buffers have their own, every other kind
// lives in D_PurchHeader.
struct TOpenDocument {
    const char* Header;
    const char* Line;
    TRequestResult Row;
};

TOpenDocument FindOpenDocument(TServerContext& ctx, const TVariantArray& args) {
    for (const auto& [headerTable, lineTable] : {std::pair{"D_PurchHeader", "D_PurchaseLine"},
                                                 std::pair{"D_PurchOrderBufHeader", "D_PurchOrderBufLine"}}) {
        TOpenDocument doc{headerTable, lineTable,
                          SelectRows(ctx.Db,
                                     "SELECT h.CurrencyFactor, COALESCE((SELECT AmountDecimals FROM C_CompanySetup WHERE "
                                     "Id = h.Comp_Id), 2) FROM " + std::string(headerTable) +
                                         " h WHERE h.Id = ? AND h.Comp_Id = ?",
                                     {Arg(args, 0), Arg(args, 1)})};
        if (!doc.Row.Empty()) return doc;
    }
    return {"", "", {}};
}

// A purchase document keeps the totals its editor's recalculation shows: the VAT of each
// rate is taken on that rate's base, not summed from the lines' rounded VAT.
TRequestResult RecalcPurchDocument(TServerContext& ctx, const TVariantArray& args) {
    const TOpenDocument doc = FindOpenDocument(ctx, args);
    const TRequestResult& header = doc.Row;
    if (header.Empty()) {
        ctx.RefusalKey = "err_RecalcDocument";
        return Answer({"Result"}, {-1});
    }
    const double factor = header.Value(0, 0).IsNull() ? 1.0 : header.Value(0, 0).AsFloat();
    const int decimals = static_cast<int>(header.Value(0, 1).AsInteger());
    const TRequestResult lines = SelectRows(
        ctx.Db, std::string("SELECT VATPercent, TotalValue, VATBaseAmount FROM ") + doc.Line + " WHERE Master_Id = ?",
        {Arg(args, 0)});
    TVATTotals totals;
    double sum = 0.0;
    for (size_t row = 0; row < lines.Rows.size(); ++row) {
        const double percent = lines.Value(row, 0).IsNull() ? 0.0 : lines.Value(row, 0).AsFloat();
        const double value = lines.Value(row, 1).IsNull() ? 0.0 : lines.Value(row, 1).AsFloat();
        const double base = lines.Value(row, 2).IsNull() ? value : lines.Value(row, 2).AsFloat();
        const double taxed = RoundUp(base, 2) != RoundUp(value, 2) ? base : value;
        totals.AddVATGroups(std::to_string(percent), percent, taxed, taxed * factor);
        sum += RoundUp(value, decimals);
    }
    sum = RoundUp(sum, decimals);
    const double vat = totals.TotalVAT(), valueLCY = RoundUp(sum * factor, decimals);
    const double vatLCY = RoundUp(factor * vat, decimals);
    ExecuteBound(ctx.Db,
                 std::string("UPDATE ") + doc.Header + " SET TotalValue = ?, VATValue = ?, TotalVAT = ?, TotalValue_LCY = ?, "
                 "TotalVAT_LCY = ? WHERE Id = ? AND Comp_Id = ?",
                 {sum, vat, RoundUp(sum + vat, decimals), valueLCY, RoundUp(valueLCY + vatLCY, decimals), Arg(args, 0),
                  Arg(args, 1)});
    return Answer({"Result"}, {0});
}

struct TFoundDocument {
    const TDocumentTables* Tables = nullptr;
    TVariantArray Row;  // DocumentType, CheckStatus, DocumentNo
};

TFoundDocument FindDocument(TServerContext& ctx, const std::string& companyId, const std::string& id) {
    for (const TDocumentTables& tables : DocumentTables()) {
        TRequestResult found = SelectRows(
            ctx.Db, std::string("SELECT DocumentType, CheckStatus, DocumentNo FROM ") + tables.Header +
                        " WHERE Id = ? AND Comp_Id = ?",
            {id, companyId});
        if (!found.Empty()) return {&tables, std::move(found.Rows[0])};
    }
    return {};
}

std::string JsonValue(const Variant& value) {
    switch (value.Type()) {
        case TVarType::varNull: return "null";
        case TVarType::varBoolean: return value.AsBoolean() ? "true" : "false";
        case TVarType::varInteger: return std::to_string(value.AsInteger());
        case TVarType::varDouble:
        case TVarType::varDate: {
            std::ostringstream number;
            number << std::setprecision(17) << value.AsFloat();
            return number.str();
        }
        case TVarType::varString: break;
    }
    std::string text = "\"";
    for (const char c : value.AsString()) {
        if (c == '"' || c == '\\') text += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            text += escaped;
        } else {
            text += c;
        }
    }
    return text + "\"";
}

std::string JsonObject(const TRequestResult& rows, size_t row) {
    std::string json = "{";
    for (size_t i = 0; i < rows.Columns.size(); ++i)
        json += (i == 0 ? "" : ",") + JsonValue(Variant(rows.Columns[i])) + ":" + JsonValue(rows.Value(row, i));
    return json + "}";
}

// The document as it stood, header and lines, as JSON.
std::string Snapshot(TServerContext& ctx, const TDocumentTables& tables, const std::string& id) {
    const TRequestResult header = SelectRows(ctx.Db, std::string("SELECT * FROM ") + tables.Header + " WHERE Id = ?", {id});
    const TRequestResult lines =
        SelectRows(ctx.Db, std::string("SELECT * FROM ") + tables.Line + " WHERE Master_Id = ? ORDER BY Line_No", {id});
    std::string json = "{\"Header\":" + JsonObject(header, 0) + ",\"Lines\":[";
    for (size_t row = 0; row < lines.Rows.size(); ++row) json += (row == 0 ? "" : ",") + JsonObject(lines, row);
    return json + "]}";
}

// Kept in S_DocumentHistory before the document goes.
TRequestResult SaveHistoryBeforeDelete(TServerContext& ctx, const TVariantArray& args) {
    const TFoundDocument document = FindDocument(ctx, Arg(args, 0), Arg(args, 1));
    if (document.Tables == nullptr) return Answer({"Code", "ErrMsg"}, {-1, "Документът не е намерен"});
    ExecuteBound(ctx.Db,
                 "INSERT INTO S_DocumentHistory (Comp_Id, Document_Id, DocumentType, Action, User_Id, "
                 "BusinessGroup_Id, C_Datetime, Snapshot) VALUES (?, ?, ?, 'Delete', ?, ?, ?, ?)",
                 {Arg(args, 0), Arg(args, 1), document.Row[0], Arg(args, 3), Arg(args, 4), TDateTime::Now(),
                  Snapshot(ctx, *document.Tables, Arg(args, 1))});
    return Answer({"Code", "ErrMsg"}, {0, ""});
}

// A document sent for the goods check may not be deleted: the code is its check state.
TRequestResult CheckDocumentBeforeDelete(TServerContext& ctx, const TVariantArray& args) {
    const TFoundDocument document = FindDocument(ctx, Arg(args, 0), Arg(args, 1));
    const int64_t status = document.Tables == nullptr ? 0 : document.Row[1].AsInteger();
    return Answer({"Code", "Msg"}, {status, status == 0 ? "" : document.Row[2].AsString()});
}

// Price kind 0: the price is without VAT; 1: it includes the VAT of the item's group.
TRequestResult UpdateItemUnitPrice(TServerContext& ctx, const TVariantArray& args) {
    const double price = args.size() > 2 ? args[2].AsFloat() : 0.0;
    const bool withVat = args.size() > 3 && args[3].AsInteger() == 1;
    const std::string net =
        withVat ? "? / (1 + COALESCE((SELECT v.VATPercent FROM G_VATPostingSetup v JOIN C_CompanySetup c ON c.Id = i.Comp_Id "
                  "WHERE v.Comp_Id = i.Comp_Id AND v.VATBus_PostingGroup = c.VATBusPostGroup_Id "
                  "AND v.VATProd_PostingGroup = i.VATProdPostGroup_Id), 0) / 100.0)"
                : "?";
    const int changed = ExecuteBound(ctx.Db, "UPDATE N_Item AS i SET UnitPrice = " + net + " WHERE Comp_Id = ? AND Code = ?",
                                     {price, Arg(args, 0), Arg(args, 1)});
    if (changed == 1) return Answer({"Result", "ErrMsg"}, {0, ""});
    ctx.RefusalKey = "err_Update_N_Item_UnitPrice";
    return Answer({"Result", "ErrMsg"}, {-1, "Артикул с код '" + Arg(args, 1) + "' не е намерен"});
}

// The vendor's own payment method, else the one of the document subtype.
TRequestResult GetDocPayMethod(TServerContext& ctx, const TVariantArray& args) {
    return SelectRows(ctx.Db,
                      "SELECT COALESCE(NULLIF((SELECT PayMethod_Id FROM N_Contragent WHERE Id = ? AND Comp_Id = ?), ''), "
                      "(SELECT PaymentMethod FROM N_SubDocument WHERE Id = ? AND Comp_Id = ?)) AS PayMethod_Id",
                      {Arg(args, 5), Arg(args, 0), Arg(args, 4), Arg(args, 0)});
}

// Open amounts of the vendor's posted advance payments.
TRequestResult GetContragentAdvancePayment(TServerContext& ctx, const TVariantArray& args) {
    return SelectRows(ctx.Db,
                      "SELECT SUM(Remaining) AS ContragentAdvancePayment FROM D_PurchInvoiceHeader WHERE Comp_Id = ? "
                      "AND Contragent_Id = ? AND DocumentType = ? AND Annul = 0",
                      {Arg(args, 0), Arg(args, 1), DocumentType::PurchAdvancePayment});
}

// An item by the vendor's item number, or by our own code.
TRequestResult FindItem(TServerContext& ctx, const TVariantArray& args) {
    return SelectRows(ctx.Db,
                      "SELECT Item_Id FROM N_VendorPrice WHERE VendorItemNo = ?1 AND Contragent_Id = ?2 "
                      "UNION SELECT i.Id FROM N_Item i JOIN N_Contragent c ON c.Comp_Id = i.Comp_Id "
                      "WHERE i.Code = ?1 AND c.Id = ?2 AND NOT EXISTS (SELECT 1 FROM N_VendorPrice "
                      "WHERE VendorItemNo = ?1 AND Contragent_Id = ?2)",
                      {Arg(args, 0), Arg(args, 1)});
}

TRequestResult SetVendorOrderNo(TServerContext& ctx, const TVariantArray& args) {
    const int changed =
        ExecuteBound(ctx.Db, "UPDATE D_PurchHeader SET VendorOrderNo = ? WHERE Comp_Id = ? AND Id = ?", args);
    return Answer({"Result"}, {changed == 1 ? 0 : -1});
}

}  // namespace

void RegisterStandardProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkScript, "usp_RecalcPurchDocument", [](TServerContext& ctx, const TVariantArray& a) {
        return RecalcPurchDocument(ctx, a);
    });
    RegisterGlobalDocProcedures(registry);
    registry.Register(TProcedureKind::pkProcedure, "usp_SaveHistoryBeforeDelete", SaveHistoryBeforeDelete);
    RegisterVendorPaymentProcedures(registry);
    RegisterOfferConversionProcedures(registry);
    RegisterReplenishmentProcedures(registry);
    RegisterSaleShipmentProcedures(registry);
    RegisterVATLedgerProcedures(registry);
    RegisterOrderApprovalProcedures(registry);
    RegisterOrderImportProcedures(registry);
    RegisterPurchAnalysisProcedures(registry);
    registry.Register(TProcedureKind::pkProcedure, "usp_CheckDocumentBeforeDelete", CheckDocumentBeforeDelete);
    registry.Register(TProcedureKind::pkProcedure, "usp_UPDATE_N_Item_UnitPrice", UpdateItemUnitPrice);
    registry.Register(TProcedureKind::pkTableFunction, "fn_GetDocPayMethod", GetDocPayMethod);
    registry.Register(TProcedureKind::pkTableFunction, "fn_GetContragentAdvancePayment", GetContragentAdvancePayment);
    registry.Register(TProcedureKind::pkTableFunction, "fn_FindItem", FindItem);
}

void RegisterStandardScripts(TScriptRecognizer& scripts) {
    scripts.Add("UPDATE D_PurchHeader SET VendorOrderNo = ? WHERE Comp_Id = ? AND Id = ?", SetVendorOrderNo);
    RegisterReplenishmentScripts(scripts);
}

}  // namespace tavrek::server
