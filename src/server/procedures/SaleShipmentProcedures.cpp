#include "server/procedures/SaleShipmentProcedures.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "base/util/Utils.h"
#include "server/TPostingPeriod.h"
#include "server/posting/PostingSteps.h"
#include "server/posting/TLedgerStore.h"
#include "server/posting/TMinorUnits.h"
#include "server/procedures/ProcedureArgs.h"
#include "server/schema/DocumentTypes.h"
#include "server/session/TCallAuthority.h"

namespace tavrek::server {
namespace {

constexpr int kSaleOrderForm = 5101;
constexpr double kQuantityEpsilon = 0.0000001;

struct TOrderToShip {
    std::string No, Store, BusinessGroup;
};

struct TLineToShip {
    std::string Id, Item, GenProdGroup;
    double Open = 0;
};

// An open receipt of the item in the store; Used is the cost earlier issues took of it.
struct TOpenReceipt {
    std::string Id;
    double Quantity = 0, Remaining = 0;
    int64_t Cost = 0, Used = 0;
};

std::vector<TLineToShip> OpenLines(TServerContext& ctx, const std::string& orderId) {
    std::vector<TLineToShip> lines;
    for (const TVariantArray& r :
         SelectRows(ctx.Db, "SELECT sl.Id, sl.Item_Id, COALESCE(i.GenProdPostGroup_Id, ''), sl.Quantity - "
                            "COALESCE(sl.ShippedQty, 0) FROM D_SaleOrderLine sl JOIN N_Item i ON i.Id = sl.Item_Id AND "
                            "i.Comp_Id = sl.Comp_Id WHERE sl.Master_Id = ? AND sl.Comp_Id = ? AND sl.Quantity - "
                            "COALESCE(sl.ShippedQty, 0) > 0 ORDER BY sl.Line_No, sl.Id",
                    {orderId, ctx.Session.CompanyId}).Rows)
        lines.push_back({r[0].AsString(), r[1].AsString(), r[2].AsString(), r[3].AsFloat()});
    return lines;
}

std::vector<TOpenReceipt> OpenReceipts(TServerContext& ctx, const TMinorUnits& units, const std::string& item,
                                       const std::string& store) {
    std::vector<TOpenReceipt> receipts;
    for (const TVariantArray& r :
         SelectRows(ctx.Db, "SELECT e.Id, e.Quantity, e.RemainingQuantity, e.CostAmount, COALESCE((SELECT "
                            "SUM(a.CostAmount) FROM G_ItemEntry a WHERE a.AppliesToEntry_Id = e.Id), 0) FROM G_ItemEntry "
                            "e WHERE e.Comp_Id = ? AND e.Item_Id = ? AND e.Store_Id = ? AND e.Opened = 1 AND "
                            "e.RemainingQuantity > 0 ORDER BY e.PostingDate, e.Id",
                    {ctx.Session.CompanyId, item, store}).Rows)
        receipts.push_back({r[0].AsString(), r[1].AsFloat(), r[2].AsFloat(), units.Of(r[3].AsFloat()),
                            -units.Of(r[4].AsFloat())});
    return receipts;
}

// The cost of taking quantity of the receipt: in proportion, except that the last of it
// takes whatever earlier issues left of its cost, so that a receipt is used up to the cent.
int64_t CostTaken(const TOpenReceipt& receipt, double quantity) {
    if (receipt.Remaining - quantity <= kQuantityEpsilon) return receipt.Cost - receipt.Used;
    return static_cast<int64_t>(std::llround(static_cast<double>(receipt.Cost) * quantity / receipt.Quantity));
}

// The stock and cost-of-sales accounts of the store and product group; a row of the store
// wins over the one that serves every store.
bool ShipmentAccounts(TServerContext& ctx, const std::string& store, const std::string& genProd, std::string& stock,
                      std::string& costOfSales) {
    const TRequestResult found = SelectRows(
        ctx.Db, "SELECT COALESCE(InventoryAccount, ''), COALESCE(CostOfSalesAccount, '') FROM G_InventoryPostingSetup "
                "WHERE Comp_Id = ? AND GenProdPostGroup_Id = ? AND Store_Id IN (?, '') ORDER BY Store_Id DESC",
        {ctx.Session.CompanyId, genProd, store});
    if (found.Empty()) return false;
    stock = found.Value(0, 0).AsString();
    costOfSales = found.Value(0, 1).AsString();
    return !stock.empty() && !costOfSales.empty();
}

class TShipment {
public:
    TShipment(TServerContext& ctx, const TOrderToShip& order, TDateTime date)
        : ctx_(ctx), order_(order), date_(date), units_(TLedgerStore(ctx).AmountDecimals()) {}

    // False with the refusal set when the line's accounts are missing or its stock moved meanwhile.
    bool Ship(const TLineToShip& line) {
        double left = line.Open;
        int64_t cost = 0;
        for (TOpenReceipt& receipt : OpenReceipts(ctx_, units_, line.Item, order_.Store)) {
            if (left <= kQuantityEpsilon) break;
            const double taken = std::min(left, receipt.Remaining);
            const int64_t taking = CostTaken(receipt, taken);
            if (!TakeFrom(receipt, taken)) return Refuse("err_StockChangedMeanwhile");
            entries_.push_back({CreateUniqueID(), line, receipt.Id, -taken, -taking});
            cost += taking;
            left -= taken;
        }
        const double shipped = line.Open - left;
        if (shipped <= kQuantityEpsilon) return true;
        std::string stock, costOfSales;
        if (!ShipmentAccounts(ctx_, order_.Store, line.GenProdGroup, stock, costOfSales))
            return Refuse("err_NoCostOfSalesAccount", line.GenProdGroup);
        gl_.push_back({costOfSales, date_, cost, cost, line.Id, "", "", order_.BusinessGroup, "Отчетна стойност " + order_.No});
        gl_.push_back({stock, date_, -cost, -cost, line.Id, "", "", order_.BusinessGroup, "Експедиция " + order_.No});
        ExecuteBound(ctx_.Db, "UPDATE D_SaleOrderLine SET ShippedQty = COALESCE(ShippedQty, 0) + ? WHERE Id = ?",
                     {shipped, line.Id});
        shipped_ += shipped;
        return true;
    }

    double Shipped() const { return shipped_; }

    void Write(const std::string& orderId) {
        TLedgerHeader header;
        header.DocumentId = orderId;
        header.DocumentNo = order_.No;
        header.BusinessGroup = order_.BusinessGroup;
        header.DocumentType = DocumentType::SaleShipment;
        header.TransactionNo = NextTransactionNo(ctx_);
        header.DocumentDate = date_;
        TLedgerEntries entries;
        entries.GL = gl_;
        TLedgerStore(ctx_).Write(header, entries, false);
        std::vector<TVariantArray> rows;
        for (const TIssue& issue : entries_)
            rows.push_back({issue.Id, ctx_.Session.CompanyId, issue.Line.Item, orderId, DocumentType::SaleShipment,
                            order_.No, issue.Line.Id, date_, order_.Store, order_.BusinessGroup, issue.Quantity, 0.0,
                            units_.ToAmount(issue.Cost), units_.ToAmount(issue.Cost), 0, issue.Receipt,
                            header.TransactionNo, TDateTime::Now()});
        ctx_.Db.InsertRows("G_ItemEntry",
                           "Id, Comp_Id, Item_Id, Document_Id, DocumentType, DocumentNo, Line_Id, PostingDate, Store_Id, "
                           "BusinessGroup_Id, Quantity, RemainingQuantity, CostAmount, CostAmount_ACY, Opened, "
                           "AppliesToEntry_Id, TransactionNo, C_Datetime",
                           rows);
    }

private:
    struct TIssue {
        std::string Id;
        TLineToShip Line;
        std::string Receipt;
        double Quantity;
        int64_t Cost;
    };

    // Another shipment may have taken the receipt since it was read: then nothing matches.
    bool TakeFrom(const TOpenReceipt& receipt, double quantity) {
        return ExecuteBound(ctx_.Db,
                            "UPDATE G_ItemEntry SET RemainingQuantity = CASE WHEN RemainingQuantity - ?1 <= ?3 THEN 0 "
                            "ELSE RemainingQuantity - ?1 END, Opened = CASE WHEN RemainingQuantity - ?1 <= ?3 THEN 0 "
                            "ELSE 1 END WHERE Id = ?2 AND Opened = 1 AND RemainingQuantity >= ?4",
                            {quantity, receipt.Id, kQuantityEpsilon, quantity - kQuantityEpsilon}) == 1;
    }

    bool Refuse(const char* key, const std::string& arg = {}) {
        ctx_.RefusalKey = key;
        ctx_.RefusalArg = arg;
        return false;
    }

    TServerContext& ctx_;
    TOrderToShip order_;
    TDateTime date_;
    TMinorUnits units_;
    std::vector<TIssue> entries_;
    std::vector<TGLEntry> gl_;
    double shipped_ = 0;
};

bool ParseShipDate(const std::string& text, TDateTime& date) {
    if (text.empty()) {
        date = TDateTime::Today();
        return true;
    }
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    const int month = std::stoi(text.substr(4, 2)), day = std::stoi(text.substr(6, 2));
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    date = TDateTime::FromDate(std::stoi(text.substr(0, 4)), month, day);
    return true;
}

TRequestResult ShipAnswer(double shipped) { return Answer({"Result", "ShippedQty"}, {shipped > 0 ? 0 : -1, shipped}); }

// Arguments: company, sale order, shipping day as yyyymmdd (empty: today).
TRequestResult ShipSaleOrderProcedure(TServerContext& ctx, const TVariantArray& args) {
    if (!TCallAuthority(ctx).MayOnForm(kSaleOrderForm, TFormRight::frEdit)) return ShipAnswer(0);
    TDateTime date;
    if (!ParseShipDate(Arg(args, 2), date)) {
        ctx.RefusalKey = "err_ShipmentDate";
        return ShipAnswer(0);
    }
    if (!TPostingPeriod::Allows(ctx, date)) return ShipAnswer(0);
    return ShipAnswer(ShipSaleOrder(ctx, Arg(args, 1), date));
}

}  // namespace

double ShipSaleOrder(TServerContext& ctx, const std::string& orderId, TDateTime date) {
    const TRequestResult header = SelectRows(
        ctx.Db, "SELECT COALESCE(DocumentNo, ''), COALESCE(Store_Id, ''), COALESCE(BusinessGroup_Id, '') FROM "
                "D_SaleOrderHeader WHERE Id = ? AND Comp_Id = ? AND (DocStatus IS NULL OR DocStatus = 0)",
        {orderId, ctx.Session.CompanyId});
    if (header.Empty()) {
        ctx.RefusalKey = "err_SaleOrderNotOpen";
        return 0;
    }
    TShipment shipment(ctx, {header.Value(0, 0).AsString(), header.Value(0, 1).AsString(), header.Value(0, 2).AsString()},
                       date);
    for (const TLineToShip& line : OpenLines(ctx, orderId))
        if (!shipment.Ship(line)) return 0;
    if (shipment.Shipped() <= 0) {
        ctx.RefusalKey = "err_NothingToShip";
        return 0;
    }
    shipment.Write(orderId);
    ExecuteBound(ctx.Db,
                 "UPDATE D_SaleOrderHeader SET DocStatus = 1 WHERE Id = ? AND NOT EXISTS (SELECT 1 FROM D_SaleOrderLine "
                 "WHERE Master_Id = ? AND Quantity - COALESCE(ShippedQty, 0) > 0)",
                 {orderId, orderId});
    return shipment.Shipped();
}

void RegisterSaleShipmentProcedures(TProcedureRegistry& registry) {
    registry.Register(TProcedureKind::pkProcedure, "usp_ShipSaleOrder", ShipSaleOrderProcedure);
}

}  // namespace tavrek::server
