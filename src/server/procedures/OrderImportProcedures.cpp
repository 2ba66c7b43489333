#include "server/procedures/OrderImportProcedures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

#include "amounts/PurchLineAmounts.h"
#include "base/data/TDateTime.h"
#include "base/util/Text.h"
#include "base/util/Utils.h"
#include "server/TNumberSeries.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/schema/DocumentTypes.h"
#include "server/session/TCallAuthority.h"

namespace tavrek::server {
namespace {

constexpr int kImportForm = 10560;
constexpr int kBufferForm = 10501;
constexpr int kBusinessGroupTarget = 10;
// Quantities are typed to a few decimals; what differs by less is the same quantity.
constexpr double kEpsilon = 1e-7;

TRequestResult ResultRow(int code, const std::string& text = {}) { return Answer({"Result", "ErrMsg"}, {code, text}); }

// A refusal rolls the call back (the key is set) and tells the person why in ErrMsg.
TRequestResult Refuse(TServerContext& ctx, const char* key, const std::string& arg = {}) {
    ctx.RefusalKey = key;
    ctx.RefusalArg = arg;
    std::string text = MessageText(ctx, key);
    if (const size_t at = text.find("%s"); at != std::string::npos) text.replace(at, 2, arg);
    return ResultRow(-1, text);
}

// A quantity sent as text: a number with a point or a comma, nothing else.
bool ParseQuantity(const std::string& text, double& quantity) {
    std::string number = Trim(text);
    std::replace(number.begin(), number.end(), ',', '.');
    if (number.empty()) return false;
    char* end = nullptr;
    quantity = std::strtod(number.c_str(), &end);
    return end == number.c_str() + number.size() && std::isfinite(quantity);
}

struct TImportHeader {
    std::string Id, Vendor, DocumentNo;
};

bool ReadImport(TServerContext& ctx, const std::string& id, TImportHeader& header) {
    const TRequestResult row = SelectRows(ctx.Db,
                                          "SELECT Id, COALESCE(Contragent_id, ''), COALESCE(DocumentNo, '') FROM "
                                          "D_PurchOrdImportHeader WHERE Id = ? AND Comp_Id = ?" +
                                              ctx.Db.Dialect().LockRow(),
                                          {id, ctx.Session.CompanyId});
    if (row.Empty()) return false;
    header = {row.Value(0, 0).AsString(), row.Value(0, 1).AsString(), row.Value(0, 2).AsString()};
    return true;
}

// What is left of each line of the import once its distribution is taken off.
void RefreshRemaining(TServerContext& ctx, const std::string& importId) {
    ExecuteBound(ctx.Db,
                 "UPDATE D_PurchOrdImportLine SET RemainingQty = COALESCE(Quantity, 0) - COALESCE((SELECT SUM(d.Quantity) "
                 "FROM D_PurchOrdImportLineDetail d WHERE d.MasterLine_Id = D_PurchOrdImportLine.Id), 0) WHERE Master_Id = ?",
                 {importId});
}

struct TDistribution {
    std::string LineId, OrderLineId, BusinessGroup;
    int TargetKind = 0;
    std::string TargetId;
    double Quantity = 0;
};

// Statements carry this many rows at most: a large import is not one statement per line, and no
// statement exceeds what an engine binds.
constexpr size_t kChunk = 100;

// The distributions of the import, written a chunk of rows per statement.
void InsertDistributions(TServerContext& ctx, const std::string& importId, const std::vector<TDistribution>& rows) {
    const TDateTime now = TDateTime::Now();
    for (size_t from = 0; from < rows.size(); from += kChunk) {
        const size_t to = std::min(rows.size(), from + kChunk);
        std::string values;
        TVariantArray args;
        for (size_t i = from; i < to; ++i) {
            const TDistribution& d = rows[i];
            values += std::string(i == from ? "" : ", ") + "(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
            args.insert(args.end(), {CreateUniqueID(), ctx.Session.CompanyId, importId, d.LineId, d.OrderLineId,
                                     d.TargetKind, d.TargetId, d.BusinessGroup.empty() ? Variant() : Variant(d.BusinessGroup),
                                     d.Quantity, ctx.Session.UserId, now});
        }
        ExecuteBound(ctx.Db,
                     "INSERT INTO D_PurchOrdImportLineDetail (Id, Comp_Id, Master_Id, MasterLine_Id, PurchLineId, TargetKind, "
                     "Target_Id, BusinessGroup_Id, Quantity, User_Id, C_Datetime) VALUES " + values,
                     args);
    }
}

// An open order line of the vendor with what is free of it.
struct TFreeLine {
    std::string Id, OrderNo, BusinessGroup;
    double Free = 0;
};

// The vendor's open order lines per item, oldest order first.
std::map<std::string, std::vector<TFreeLine>> FreeLinesByItem(TServerContext& ctx, const std::string& vendor,
                                                              const std::string& group) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        "SELECT PurchLineId, Item_Id, PurchFreeQty, COALESCE(OrderNo, ''), COALESCE(BusinessGroup_Id, '') FROM "
        "dv_PurchOrdImpOrderLine WHERE Comp_Id = ?1 AND Contragent_Id = ?2 AND (?3 = '' OR BusinessGroup_Id = ?3) "
        "ORDER BY OrderDate, OrderNo, Line_No",
        {ctx.Session.CompanyId, vendor, group});
    std::map<std::string, std::vector<TFreeLine>> byItem;
    for (const TVariantArray& r : rows.Rows)
        if (r[2].AsFloat() > kEpsilon)
            byItem[r[1].AsString()].push_back({r[0].AsString(), r[3].AsString(), r[4].AsString(), r[2].AsFloat()});
    return byItem;
}

struct TImportLine {
    std::string Id, Item, OrderNo;
    int64_t LineNo = 0;
    bool KnownItem = false;
    double Quantity = 0, Remaining = 0;
};

std::vector<TImportLine> ReadImportLines(TServerContext& ctx, const std::string& importId) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        "SELECT l.Id, COALESCE(l.Line_No, 0), COALESCE(l.ItemForConnetc, ''), COALESCE(l.OrderNo, ''), "
        "(SELECT COUNT(*) FROM N_Item i WHERE i.Id = l.ItemForConnetc AND i.Comp_Id = ?1), COALESCE(l.Quantity, 0), "
        "COALESCE(l.Quantity, 0) - COALESCE((SELECT SUM(d.Quantity) FROM D_PurchOrdImportLineDetail d WHERE "
        "d.MasterLine_Id = l.Id), 0) FROM D_PurchOrdImportLine l WHERE l.Master_Id = ?2 ORDER BY l.Line_No, l.Id",
        {ctx.Session.CompanyId, importId});
    std::vector<TImportLine> lines;
    for (const TVariantArray& r : rows.Rows)
        lines.push_back({r[0].AsString(), r[2].AsString(), r[3].AsString(), r[1].AsInteger(), r[4].AsInteger() > 0,
                         r[5].AsFloat(), r[6].AsFloat()});
    return lines;
}

// The lines of the order a line names come first, each set oldest first as it was.
std::vector<TFreeLine*> PlacesFor(std::vector<TFreeLine>& free, const std::string& orderNo) {
    std::vector<TFreeLine*> places;
    for (TFreeLine& line : free) places.push_back(&line);
    if (!orderNo.empty())
        std::stable_partition(places.begin(), places.end(), [&](const TFreeLine* l) { return l->OrderNo == orderNo; });
    return places;
}

// Arguments: company, import id, business group to keep to (empty: all), current business
// group, user. Each line's remaining quantity goes onto the vendor's open order lines of its
// item, never more than a line has free; what finds no free line stays remaining.
TRequestResult AttachImpToOrder(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kImportForm, TFormRight::frEdit)) return ResultRow(-1);
    TImportHeader header;
    if (!ReadImport(ctx, Arg(args, 1), header)) return Refuse(ctx, "err_PurchOrdImportNotFound");
    if (header.Vendor.empty()) return Refuse(ctx, "err_NoContragentSet");
    std::vector<TImportLine> lines = ReadImportLines(ctx, header.Id);
    for (const TImportLine& line : lines) {
        if (!line.KnownItem) return Refuse(ctx, "err_OrdImportUnknownItem", std::to_string(line.LineNo));
        if (!(line.Quantity > kEpsilon)) return Refuse(ctx, "err_OrdImportLineQuantity", std::to_string(line.LineNo));
    }
    std::map<std::string, std::vector<TFreeLine>> free = FreeLinesByItem(ctx, header.Vendor, Arg(args, 2));
    std::vector<TDistribution> attached;
    for (TImportLine& line : lines) {
        auto found = free.find(line.Item);
        if (found == free.end()) continue;
        for (TFreeLine* place : PlacesFor(found->second, line.OrderNo)) {
            if (line.Remaining <= kEpsilon) break;
            const double taken = std::min(place->Free, line.Remaining);
            if (taken <= kEpsilon) continue;
            attached.push_back({line.Id, place->Id, place->BusinessGroup, 0, place->Id, taken});
            place->Free -= taken;
            line.Remaining -= taken;
        }
    }
    InsertDistributions(ctx, header.Id, attached);
    RefreshRemaining(ctx, header.Id);
    return ResultRow(0);
}

// The business group a distribution to a sale order line serves: the sale order's.
std::string SaleOrderGroup(TServerContext& ctx, const std::string& saleLine) {
    return SelectRows(ctx.Db,
                      "SELECT COALESCE(h.BusinessGroup_Id, '') FROM D_SaleOrderLine l JOIN D_SaleOrderHeader h ON "
                      "h.Id = l.Master_Id WHERE l.Id = ? AND h.Comp_Id = ?",
                      {saleLine, ctx.Session.CompanyId})
        .Value()
        .AsString();
}

// Whether the target may take the quantity: the sale order line the order line serves, with
// that much still to ship, or a business group of the company. Sets the group it goes to.
const char* TargetRefusal(TServerContext& ctx, const std::string& importId, TDistribution& d) {
    if (d.TargetKind == DocumentType::SaleOrder) {
        const TRequestResult entry = SelectRows(ctx.Db,
                                                "SELECT QtyToShip FROM dv_PurchOrdImportEntry WHERE Doc_Id = ? AND "
                                                "PurchLineId = ? AND SaleDocLine_id = ? AND Comp_Id = ?",
                                                {importId, d.OrderLineId, d.TargetId, ctx.Session.CompanyId});
        if (entry.Empty()) return "err_OrdImportNotServedSaleLine";
        if (d.Quantity > entry.Value().AsFloat() + kEpsilon) return "err_OrdImportQtyOverToShip";
        d.BusinessGroup = SaleOrderGroup(ctx, d.TargetId);
        return nullptr;
    }
    if (d.TargetKind == kBusinessGroupTarget) {
        if (SelectRows(ctx.Db, "SELECT 1 FROM N_BusinessGroup WHERE Id = ? AND Comp_Id = ?", {d.TargetId, ctx.Session.CompanyId})
                .Empty())
            return "err_OrdImportUnknownBusinessGroup";
        d.BusinessGroup = d.TargetId;
        return nullptr;
    }
    return "err_OrdImportTargetKind";
}

// Arguments: company, import id, imported line id, order line id, target kind, target id,
// quantity (text), current business group, user.
TRequestResult SetOrdImportLineDetail(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kImportForm, TFormRight::frEdit)) return ResultRow(-1);
    TImportHeader header;
    if (!ReadImport(ctx, Arg(args, 1), header)) return Refuse(ctx, "err_PurchOrdImportNotFound");
    TDistribution d{Arg(args, 2), Arg(args, 3), "", std::atoi(Arg(args, 4).c_str()), Arg(args, 5), 0};
    if (!ParseQuantity(Arg(args, 6), d.Quantity) || d.Quantity <= kEpsilon)
        return Refuse(ctx, "err_OrdImportQuantity", Arg(args, 6));
    std::vector<TImportLine> lines = ReadImportLines(ctx, header.Id);
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const TImportLine& l) { return l.Id == d.LineId; });
    if (line == lines.end()) return Refuse(ctx, "err_PurchOrdImportLineNotFound");
    if (d.Quantity > line->Remaining + kEpsilon) return Refuse(ctx, "err_OrdImportQtyOverRemaining");
    const TRequestResult orderLine = SelectRows(
        ctx.Db, "SELECT PurchFreeQty FROM dv_PurchOrdImpOrderLine WHERE PurchLineId = ? AND Comp_Id = ? AND Contragent_Id = ? AND Item_Id = ?",
        {d.OrderLineId, ctx.Session.CompanyId, header.Vendor, line->Item});
    if (orderLine.Empty()) return Refuse(ctx, "err_OrdImportNotVendorsOrderLine");
    if (d.Quantity > orderLine.Value().AsFloat() + kEpsilon) return Refuse(ctx, "err_OrdImportQtyOverFree");
    if (const char* refusal = TargetRefusal(ctx, header.Id, d)) return Refuse(ctx, refusal);
    InsertDistributions(ctx, header.Id, {d});
    RefreshRemaining(ctx, header.Id);
    return ResultRow(0);
}

// Arguments: company, distribution id, quantity to take back (text), current business group,
// user. A distribution a buffer carries out is the buffer's.
TRequestResult RemoveFromRelationOrdImpLine(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kImportForm, TFormRight::frEdit)) return ResultRow(-1);
    const TRequestResult detail = SelectRows(ctx.Db,
                                             "SELECT Master_Id, Quantity, BufferLine_Id FROM D_PurchOrdImportLineDetail "
                                             "WHERE Id = ? AND Comp_Id = ?",
                                             {Arg(args, 1), ctx.Session.CompanyId});
    if (detail.Empty()) return Refuse(ctx, "err_PurchOrdImportLineNotFound");
    if (!detail.Value(0, 2).IsEmpty()) return Refuse(ctx, "err_OrdImportDetailInBuffer");
    double quantity = 0;
    const double held = detail.Value(0, 1).AsFloat();
    if (!ParseQuantity(Arg(args, 2), quantity) || quantity <= kEpsilon || quantity > held + kEpsilon)
        return Refuse(ctx, "err_OrdImportQuantity", Arg(args, 2));
    if (quantity >= held - kEpsilon)
        ExecuteBound(ctx.Db, "DELETE FROM D_PurchOrdImportLineDetail WHERE Id = ?", {Arg(args, 1)});
    else
        ExecuteBound(ctx.Db, "UPDATE D_PurchOrdImportLineDetail SET Quantity = ? WHERE Id = ?", {held - quantity, Arg(args, 1)});
    RefreshRemaining(ctx, detail.Value(0, 0).AsString());
    return ResultRow(0);
}

// ---- Generating the buffers ----

const std::vector<std::string> kBufferColumns{"Result", "Doc_ID", "DocumentNo", "ErrMsg"};

TRequestResult BufferRefusal(TServerContext& ctx, int code, const char* key, const std::string& arg = {}) {
    TRequestResult refused = Refuse(ctx, key, arg);
    // -2 hands the caller the key, whose text it shows; -1 the text itself.
    const std::string text = code == -2 ? std::string(key) : refused.Value(0, 1).AsString();
    return TRequestResult{kBufferColumns, {{code, "", "", text}}};
}

// The columns both tables have, but those the copy sets itself, each after prefix.
std::string CommonColumns(TServerContext& ctx, const char* from, const char* to, const std::set<std::string>& except,
                          const std::string& prefix = "") {
    const TRelationInfo* source = ctx.Catalog.Find(from);
    const TRelationInfo* target = ctx.Catalog.Find(to);
    std::string columns;
    for (const TColumnInfo& column : target->Columns)
        if (source->Column(column.Name) != nullptr && !except.count(ToLowerAscii(column.Name)))
            columns += (columns.empty() ? "" : ", ") + prefix + column.Name;
    return columns;
}

struct TPrecision {
    int Amount = 2, UnitPrice = 2;
};

TPrecision CompanyPrecision(TServerContext& ctx) {
    const TRequestResult setup = SelectRows(
        ctx.Db, "SELECT COALESCE(AmountDecimals, 2), COALESCE(UnitPriceDecimals, 2) FROM C_CompanySetup WHERE Id = ?",
        {ctx.Session.CompanyId});
    if (setup.Empty()) return {};
    return {static_cast<int>(setup.Value(0, 0).AsInteger()), static_cast<int>(setup.Value(0, 1).AsInteger())};
}

// One distribution waiting for its buffer, with the order line it carries out.
struct TPendingLine {
    std::string DetailId, OrderLineId, OrderId, BusinessGroup;
    double Quantity = 0;
};

struct TNewBuffer {
    std::string OrderId, BusinessGroup, Id, Number;
    // Order line -> the distributions it carries out, in the order first met.
    std::vector<std::pair<std::string, std::vector<const TPendingLine*>>> Lines;
};

// A buffer line computed from its order line's price, discount and VAT as the editor would.
struct TOrderLinePrice {
    int64_t PriceIncludingVAT = 0;
    double Price = 0, Discount = 0, VATPercent = 0, Factor = 1, QtyPerUnit = 1;
};

std::map<std::string, TOrderLinePrice> OrderLinePrices(TServerContext& ctx, const std::string& importId) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        "SELECT l.Id, COALESCE(l.PriceIncludingVAT, 0), COALESCE(l.DirectUnitCost_ACY, 0), COALESCE(l.LineDiscount, 0), "
        "COALESCE(l.VATPercent, 0), COALESCE(NULLIF(h.CurrencyFactor, 0), 1), COALESCE(NULLIF(l.QtyPerUnitOfMeasure, 0), 1) "
        "FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id WHERE l.Id IN (SELECT PurchLineId FROM "
        "D_PurchOrdImportLineDetail WHERE Master_Id = ? AND BufferLine_Id IS NULL)",
        {importId});
    std::map<std::string, TOrderLinePrice> prices;
    for (const TVariantArray& r : rows.Rows)
        prices[r[0].AsString()] = {r[1].AsInteger(), r[2].AsFloat(), r[3].AsFloat(), r[4].AsFloat(), r[5].AsFloat(),
                                   r[6].AsFloat()};
    return prices;
}

amounts::TPurchLine BufferLineAmounts(const TOrderLinePrice& p, double quantity, TPrecision precision) {
    amounts::TPurchLine line;
    line.PriceIncludingVAT = p.PriceIncludingVAT;
    line.Quantity = quantity;
    line.DirectUnitCost_ACY = p.Price;
    line.VATPercent = p.VATPercent;
    if (p.Discount != 0 && p.Price != 0) {
        const double base = p.PriceIncludingVAT != 0 ? RoundUp(p.Price / (1 + p.VATPercent / 100.0), precision.UnitPrice)
                                                     : p.Price;
        line.LineDiscountAmount = RoundUp(base * quantity * p.Discount / 100.0, precision.UnitPrice);
    }
    amounts::CalcTotalPrice(line, {precision.Amount, precision.UnitPrice});
    amounts::UpdateVATAmounts(line, p.Factor, precision.Amount);
    return line;
}

void InsertBufferHeader(TServerContext& ctx, const TNewBuffer& buffer, const std::string& subType,
                        const std::string& seriesId, const TImportHeader& import) {
    static const std::set<std::string> kSet{"id", "documenttype", "docsubtype_id", "documentno", "series_id",
                                            "appliestodoc_id", "toorderno", "operationname", "businessgroup_id",
                                            "documentdate", "postingdate", "docstatus", "checkstatus", "user_id",
                                            "c_datetime", "vendorshipmentno", "transactionno"};
    const std::string copied = CommonColumns(ctx, "D_PurchHeader", "D_PurchOrderBufHeader", kSet);
    const TDateTime today = TDateTime::Today();
    ExecuteBound(ctx.Db,
                 "INSERT INTO D_PurchOrderBufHeader (" + copied +
                     ", Id, DocumentType, DocSubType_Id, DocumentNo, Series_Id, AppliesToDoc_Id, ToOrderNo, OperationName, "
                     "BusinessGroup_Id, DocumentDate, PostingDate, DocStatus, VendorShipmentNo, User_Id, C_Datetime) SELECT " +
                     copied + ", ?, ?, ?, ?, ?, Id, DocumentNo, ?, COALESCE(NULLIF(?, ''), BusinessGroup_Id), ?, ?, 0, ?, ?, ? "
                              "FROM D_PurchHeader WHERE Id = ? AND Comp_Id = ?",
                 {buffer.Id, DocumentType::PurchOrderBuffer, subType, buffer.Number, seriesId,
                  MessageText(ctx, "str_Receive"), buffer.BusinessGroup, today, today, import.DocumentNo,
                  ctx.Session.UserId, TDateTime::Now(), buffer.OrderId, ctx.Session.CompanyId});
}

// The values a buffer line gets beside the columns of its order line, in the order of kLineValues.
constexpr const char* kLineValues[] = {"Id", "OrderLine_Id", "Line_No", "Quantity", "Quantity_Base", "QtyToReceive",
                                       "QtyToInvoice", "LineDiscountAmount", "TotalPrice", "TotalValue", "VATBaseAmount",
                                       "VATValue", "TotalVAT", "TotalValue_LCY", "VATValue_LCY", "TotalVAT_LCY"};

TVariantArray LineValues(const std::string& lineId, const std::string& orderLine, int lineNo, double quantity,
                         const TOrderLinePrice& price, TPrecision precision) {
    using amounts::TLineAmount;
    const amounts::TPurchLine a = BufferLineAmounts(price, quantity, precision);
    return {lineId, orderLine, lineNo, quantity, quantity * price.QtyPerUnit, quantity, quantity, a.LineDiscountAmount,
            a.Get(TLineAmount::TotalPrice), a.Get(TLineAmount::TotalValue), a.Get(TLineAmount::VATBaseAmount),
            a.Get(TLineAmount::VATValue), a.Get(TLineAmount::TotalVAT), a.Get(TLineAmount::TotalValue_LCY),
            a.Get(TLineAmount::VATValue_LCY), a.Get(TLineAmount::TotalVAT_LCY)};
}

// The lines of values as a table v both engines read, each value typed as its column.
std::string ValuesTable(size_t rows) {
    std::string row;
    for (size_t i = 0; i < std::size(kLineValues); ++i)
        row += std::string(i == 0 ? "(" : ", ") + (i < 2 ? "CAST(? AS TEXT)" : i == 2 ? "CAST(? AS INTEGER)" : "CAST(? AS DOUBLE PRECISION)");
    row += ")";
    std::string names, values;
    for (const char* name : kLineValues) names += std::string(names.empty() ? "" : ", ") + name;
    for (size_t r = 0; r < rows; ++r) values += (r == 0 ? "" : ", ") + row;
    return "v (" + names + ") AS (VALUES " + values + ")";
}

void InsertLineChunk(TServerContext& ctx, const TNewBuffer& buffer, const std::vector<TVariantArray>& lines) {
    static const std::set<std::string> kSet{
        "master_id", "id", "line_no", "quantity", "quantity_base", "orderline_id", "receivedqty", "invoicedqty",
        "rejectedqty", "returnedqty", "outstandingqty", "qtyrcdnotinvoiced", "qtytoreceive", "qtytoinvoice",
        "calculatedqty", "linediscountamount", "invdiscamount", "totalprice", "totalvalue", "vatbaseamount", "vatvalue",
        "totalvat", "totalvalue_lcy", "vatvalue_lcy", "totalvat_lcy", "businessgroup_id"};
    std::string given, fromValues;
    for (const char* name : kLineValues) {
        given += std::string(", ") + name;
        fromValues += std::string(", v.") + name;
    }
    // The values table comes first in the text, its markers too; the buffer's two values follow.
    TVariantArray args;
    for (const TVariantArray& line : lines) args.insert(args.end(), line.begin(), line.end());
    args.push_back(buffer.Id);
    args.push_back(buffer.BusinessGroup.empty() ? Variant() : Variant(buffer.BusinessGroup));
    std::string sql = "WITH " + ValuesTable(lines.size()) + " INSERT INTO D_PurchOrderBufLine (" +
                      CommonColumns(ctx, "D_PurchaseLine", "D_PurchOrderBufLine", kSet) +
                      ", Master_Id, BusinessGroup_Id, InvDiscAmount" + given + ") SELECT " +
                      CommonColumns(ctx, "D_PurchaseLine", "D_PurchOrderBufLine", kSet, "l.") +
                      ", CAST(? AS TEXT), CAST(? AS TEXT), 0" + fromValues +
                      " FROM v JOIN D_PurchaseLine l ON l.Id = v.OrderLine_Id";
    ExecuteBound(ctx.Db, sql, args);
}

// Each distribution is carried out by the buffer's line of its order line.
void MarkCarriedOut(TServerContext& ctx, const TNewBuffer& buffer, const std::vector<std::string>& distributions) {
    for (size_t from = 0; from < distributions.size(); from += kChunk) {
        const size_t to = std::min(distributions.size(), from + kChunk);
        TVariantArray args{buffer.Id};
        std::string marks;
        for (size_t i = from; i < to; ++i) {
            args.push_back(distributions[i]);
            marks += i == from ? "?" : ", ?";
        }
        ExecuteBound(ctx.Db,
                     "UPDATE D_PurchOrdImportLineDetail SET BufferLine_Id = CAST(? AS TEXT) || ':' || PurchLineId WHERE Id IN (" +
                         marks + ")",
                     args);
    }
}

void InsertBufferLines(TServerContext& ctx, const TNewBuffer& buffer, const std::map<std::string, TOrderLinePrice>& prices,
                       TPrecision precision) {
    std::vector<TVariantArray> chunk;
    std::vector<std::string> distributions;
    int lineNo = 0;
    for (const auto& [orderLine, pending] : buffer.Lines) {
        double quantity = 0;
        for (const TPendingLine* p : pending) {
            quantity += p->Quantity;
            distributions.push_back(p->DetailId);
        }
        chunk.push_back(LineValues(buffer.Id + ":" + orderLine, orderLine, ++lineNo, quantity, prices.at(orderLine), precision));
        if (chunk.size() == kChunk) {
            InsertLineChunk(ctx, buffer, chunk);
            chunk.clear();
        }
    }
    if (!chunk.empty()) InsertLineChunk(ctx, buffer, chunk);
    MarkCarriedOut(ctx, buffer, distributions);
    std::string sums;
    for (const char* field : {"TotalValue", "VATValue", "TotalVAT", "TotalValue_LCY", "TotalVAT_LCY"})
        sums += std::string(sums.empty() ? "" : ", ") + field + " = (SELECT COALESCE(SUM(" + field +
                "), 0) FROM D_PurchOrderBufLine WHERE Master_Id = ?1)";
    ExecuteBound(ctx.Db, "UPDATE D_PurchOrderBufHeader SET " + sums + " WHERE Id = ?1", {buffer.Id});
}

// The distributions no buffer carries out yet, what the server attached before what was
// distributed by hand; false when one's order line is no longer open.
bool ReadPending(TServerContext& ctx, const std::string& importId, std::vector<TPendingLine>& pending) {
    const TRequestResult rows = SelectRows(
        ctx.Db,
        "SELECT d.Id, d.PurchLineId, o.Order_Id, COALESCE(d.BusinessGroup_Id, ''), d.Quantity FROM "
        "D_PurchOrdImportLineDetail d LEFT JOIN dv_PurchOrdImpOrderLine o ON o.PurchLineId = d.PurchLineId WHERE "
        "d.Master_Id = ? AND d.BufferLine_Id IS NULL AND d.Quantity > 0 ORDER BY o.OrderDate, o.OrderNo, o.Line_No, "
        "d.TargetKind, d.C_Datetime, d.Id",
        {importId});
    for (const TVariantArray& r : rows.Rows) {
        if (r[2].IsEmpty()) return false;
        pending.push_back({r[0].AsString(), r[1].AsString(), r[2].AsString(), r[3].AsString(), r[4].AsFloat()});
    }
    return true;
}

// One buffer per order and business group, its lines one per order line.
std::vector<TNewBuffer> GroupIntoBuffers(const std::vector<TPendingLine>& pending) {
    std::vector<TNewBuffer> buffers;
    for (const TPendingLine& p : pending) {
        auto buffer = std::find_if(buffers.begin(), buffers.end(), [&](const TNewBuffer& b) {
            return b.OrderId == p.OrderId && b.BusinessGroup == p.BusinessGroup;
        });
        if (buffer == buffers.end()) buffer = buffers.insert(buffers.end(), TNewBuffer{p.OrderId, p.BusinessGroup, {}, {}, {}});
        auto line = std::find_if(buffer->Lines.begin(), buffer->Lines.end(),
                                 [&](const auto& l) { return l.first == p.OrderLineId; });
        if (line == buffer->Lines.end()) line = buffer->Lines.insert(buffer->Lines.end(), {p.OrderLineId, {}});
        line->second.push_back(&p);
    }
    return buffers;
}

// Arguments: company, import id, document subtype of the buffers, current business group,
// user. One row per buffer made: "0", its Id and its number.
TRequestResult CreatePurchOrderBuffImp(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kBufferForm, TFormRight::frInsert))
        return TRequestResult{kBufferColumns, {{-1, "", "", MessageText(ctx, TCallAuthority::kRightNotGrantedKey)}}};
    TImportHeader header;
    if (!ReadImport(ctx, Arg(args, 1), header)) return BufferRefusal(ctx, -1, "err_PurchOrdImportNotFound");
    const TRequestResult subType = SelectRows(
        ctx.Db,
        "SELECT s.Id, COALESCE(NULLIF(s.Series_Id, ''), p.PurchOrderBuf_Series_Id, '') FROM N_SubDocument s LEFT JOIN "
        "C_PurchasesSetup p ON p.Id = s.Comp_Id WHERE s.Id = ? AND s.Comp_Id = ? AND s.DocumentType = ?",
        {Arg(args, 2), ctx.Session.CompanyId, DocumentType::PurchOrderBuffer});
    if (subType.Empty()) return BufferRefusal(ctx, -2, "err_SelectDocSubType");
    std::vector<TPendingLine> pending;
    if (!ReadPending(ctx, header.Id, pending)) return BufferRefusal(ctx, -1, "err_OrdImportOrderNotOpen");
    if (pending.empty()) return BufferRefusal(ctx, -2, "err_OrdImportNothingToGenerate");
    const std::map<std::string, TOrderLinePrice> prices = OrderLinePrices(ctx, header.Id);
    const TPrecision precision = CompanyPrecision(ctx);
    const std::string seriesId = subType.Value(0, 1).AsString();
    TRequestResult created{kBufferColumns, {}};
    for (TNewBuffer& buffer : GroupIntoBuffers(pending)) {
        buffer.Id = CreateUniqueID();
        if (NextSerieNo(ctx, seriesId, ctx.Session.BusinessGroupId, buffer.Number) < 0)
            return BufferRefusal(ctx, -1, "err_GetSeriesNo");
        InsertBufferHeader(ctx, buffer, subType.Value(0, 0).AsString(), seriesId, header);
        InsertBufferLines(ctx, buffer, prices, precision);
        created.Rows.push_back({0, buffer.Id, buffer.Number, ""});
    }
    return created;
}

}  // namespace

void RegisterOrderImportProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_AttachImpToOrder", AttachImpToOrder);
    registry.Register(TProcedureKind::pkProcedure, "usp_SetOrdImportLineDetail", SetOrdImportLineDetail);
    registry.Register(TProcedureKind::pkProcedure, "usp_RemoveFromRelationOrdImpLine", RemoveFromRelationOrdImpLine);
    registry.Register(TProcedureKind::pkProcedure, "usp_CreatePurchOrderBuffImp", CreatePurchOrderBuffImp);
}

}  // namespace tavrek::server
