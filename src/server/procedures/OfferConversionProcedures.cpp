#include "server/procedures/OfferConversionProcedures.h"

#include <initializer_list>

#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/SqlValue.h"
#include "server/TNumberSeries.h"
#include "server/TProcedureRegistry.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

// What an offer becomes: the document kind, and the purchases setup's series for it when
// its subtype has none.
struct TConversionTarget {
    int DocumentType;
    const char* SetupSeries;
    bool IsOrder;
};

const TConversionTarget* FindTarget(const std::string& kind) {
    static const TConversionTarget order{DocumentType::PurchOrder, "Order_Series_Id", true};
    static const TConversionTarget invoice{DocumentType::PurchInvoice, "Invoice_Series_Id", false};
    if (kind == "1") return &order;
    if (kind == "2") return &invoice;
    return nullptr;
}

TRequestResult Refused(TServerContext& ctx, const char* key) {
    ctx.RefusalKey = key;
    return Answer({"Code", "ErrMsg"}, {"-1", MessageText(ctx, key)});
}

// The columns of a table but the named ones, joined by ", " and each prefixed.
std::string OtherColumns(const TServerContext& ctx, const char* table, std::initializer_list<std::string_view> named,
                         const std::string& prefix) {
    std::string columns;
    for (const TColumnInfo& column : ctx.Catalog.Find(table)->Columns) {
        bool isNamed = false;
        for (std::string_view name : named) isNamed = isNamed || EqualsIgnoreCase(column.Name, name);
        if (!isNamed) columns += (columns.empty() ? "" : ", ") + prefix + column.Name;
    }
    return columns;
}

// The first subtype of the target kind, and the series that numbers it.
TRequestResult TargetSubType(TServerContext& ctx, const std::string& company, const TConversionTarget& target) {
    return SelectRows(ctx.Db,
                      "SELECT s.Id, COALESCE(NULLIF(s.Series_Id, ''), p." + std::string(target.SetupSeries) +
                          ", '') FROM N_SubDocument s LEFT JOIN C_PurchasesSetup p ON p.Id = s.Comp_Id "
                          "WHERE s.Comp_Id = ? AND s.DocumentType = ? AND COALESCE(s.SaleOrPurchase, 1) = 1 "
                          "ORDER BY s.Code LIMIT 1",
                      {company, target.DocumentType});
}

struct TNewDocument {
    std::string Id, OfferId, SubTypeId, Number, SeriesId, BusinessGroup, User;
};

void CopyHeader(TServerContext& ctx, const TNewDocument& doc, const TConversionTarget& target) {
    const std::string copied =
        OtherColumns(ctx, "D_PurchHeader",
                     {"Id", "DocumentType", "DocSubType_Id", "DocumentNo", "Series_Id", "AbsoluteNo", "DocumentDate",
                      "PostingDate", "OrderDate", "BusinessGroup_Id", "User_Id", "C_Datetime", "AppliesToDoc_Id",
                      "DocStatus", "CheckStatus", "VendorOrderNo", "VendorInvoiceNo"},
                     "");
    const TDateTime today = TDateTime::Today();
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchHeader (Id, DocumentType, DocSubType_Id, DocumentNo, Series_Id, DocumentDate, "
                 "PostingDate, OrderDate, BusinessGroup_Id, User_Id, C_Datetime, AppliesToDoc_Id, DocStatus, "
                 "CheckStatus, " + copied + ") SELECT ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, Id, 0, 0, " + copied +
                     " FROM D_PurchHeader WHERE Id = ?",
                 {doc.Id, target.DocumentType, doc.SubTypeId, doc.Number, doc.SeriesId, today, today, today,
                  doc.BusinessGroup, doc.User, TDateTime::Now(), doc.OfferId});
}

// An order expects all of each line still to be received and invoiced; a purchase invoice
// starts with no order quantities at all.
void CopyLines(TServerContext& ctx, const TNewDocument& doc, const TConversionTarget& target) {
    const std::string open = target.IsOrder ? "Quantity" : "0";
    const std::string copied = OtherColumns(
        ctx, "D_PurchaseLine",
        {"Master_Id", "Id", "SrcLine_Id", "OrderLine_Id", "QtyToReceive", "QtyToInvoice", "OutstandingQty", "ReceivedQty",
         "InvoicedQty", "QtyRcdNotInvoiced", "RejectedQty", "ReturnedQty", "ConfirmQuantity", "ConfirmPrice",
         "ConfirmDiscount", "QtyDiff", "PriceDiff"},
        "");
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchaseLine (Master_Id, Id, SrcLine_Id, QtyToReceive, QtyToInvoice, OutstandingQty, " +
                     copied + ") SELECT ?1, ?1 || '.' || Id, Id, " + open + ", " + open + ", " + open + ", " + copied +
                     " FROM D_PurchaseLine WHERE Master_Id = ?2",
                 {doc.Id, doc.OfferId});
}

// Arguments: company, offer Id, kind ("1" order, "2" purchase invoice), business group, user.
TRequestResult ConvertPurchOffer(TServerContext& ctx, const TVariantArray& args) {
    const std::string company = Arg(args, 0);
    TNewDocument doc{CreateUniqueID(), Arg(args, 1), "", "", "", Arg(args, 3), Arg(args, 4)};
    const TRequestResult offer =
        SelectRows(ctx.Db,
                   "SELECT COALESCE(DocStatus, 0), COALESCE(Contragent_Id, ''), (SELECT COUNT(*) FROM D_PurchaseLine "
                   "WHERE Master_Id = h.Id) FROM D_PurchHeader h WHERE Id = ? AND Comp_Id = ? AND DocumentType = ?",
                   {doc.OfferId, company, DocumentType::PurchOffer});
    if (offer.Empty()) return Refused(ctx, "err_PurchOfferNotFound");
    const TConversionTarget* target = FindTarget(Arg(args, 2));
    if (target == nullptr) return Refused(ctx, "err_PurchOfferConvertKind");
    if (offer.Value(0, 0).AsInteger() != 0) return Refused(ctx, "err_PurchOfferConverted");
    if (offer.Value(0, 1).AsString().empty()) return Refused(ctx, "err_PurchOfferNoVendor");
    if (offer.Value(0, 2).AsInteger() == 0) return Refused(ctx, "err_PurchOfferNoLines");
    const TRequestResult subType = TargetSubType(ctx, company, *target);
    if (subType.Empty()) return Refused(ctx, "err_PurchOfferNoSubType");
    doc.SubTypeId = subType.Value(0, 0).AsString();
    doc.SeriesId = subType.Value(0, 1).AsString();
    if (NextSerieNo(ctx, doc.SeriesId, doc.BusinessGroup, doc.Number) < 0) return Refused(ctx, "err_GetSeriesNo");
    CopyHeader(ctx, doc, *target);
    CopyLines(ctx, doc, *target);
    ExecuteBound(ctx.Db, "UPDATE D_PurchHeader SET DocStatus = 1 WHERE Id = ?", {doc.OfferId});
    return Answer({"Code", "ErrMsg"}, {doc.Id, ""});
}

}  // namespace

void RegisterOfferConversionProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_ConvertPurchOffer", ConvertPurchOffer);
}

}  // namespace tavrek::server
