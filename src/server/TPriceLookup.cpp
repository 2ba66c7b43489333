#include "server/TPriceLookup.h"

#include <cmath>
#include <stdexcept>

#include "base/data/EVariantError.h"
#include "server/SqlValue.h"

namespace tavrek::server {
namespace {

// Indices of the price request.
enum TRequestIndex : size_t {
    riVendor = 2, riCode = 3, riMeasure = 4, riCurrency = 5, riVATBus = 6, riPriceIncludingVAT = 7,
    riQuantity = 9, riDate = 10, riQuantityBase = 11, riVATProd = 12, riCurrencyFactor = 13, riRequestSize = 18
};

TDateTime DateOf(const Variant& value) {
    if (value.IsEmpty()) return TDateTime::Today();
    try {
        return value.AsDateTime().DateOnly();
    } catch (const std::exception&) {
        return TDateTime::Today();
    }
}

struct TLineItem {
    std::string CompanyId, ItemId, BaseMeasure, Measure;
    double QtyPerUnit = 1.0, QuantityBase = 0.0;
};

bool FindLineItem(TServerContext& ctx, const TVariantArray& request, TLineItem& item) {
    const TRequestResult found = SelectRows(
        ctx.Db,
        "SELECT i.Comp_Id, i.Id, COALESCE(i.BaseMeasure_Id, ''), "
        "COALESCE((SELECT QtyPerUnitOfMeasure FROM N_ItemMeasure WHERE Item_Id = i.Id AND Measure_Id = ?3), 1) "
        "FROM N_Item i JOIN N_Contragent c ON c.Comp_Id = i.Comp_Id WHERE c.Id = ?1 AND (i.Code = ?2 OR i.Id = ?2) LIMIT 1",
        {request[riVendor].AsString(), request[riCode].AsString(), request[riMeasure].AsString()});
    if (found.Empty()) return false;
    item.CompanyId = found.Value(0, 0).AsString();
    item.ItemId = found.Value(0, 1).AsString();
    item.BaseMeasure = found.Value(0, 2).AsString();
    item.Measure = request[riMeasure].IsEmpty() ? item.BaseMeasure : request[riMeasure].AsString();
    const double quantity = request[riQuantity].AsFloat(), quantityBase = request[riQuantityBase].AsFloat();
    item.QtyPerUnit = quantity != 0.0 && quantityBase != 0.0 ? quantityBase / quantity : found.Value(0, 3).AsFloat();
    item.QuantityBase = quantityBase != 0.0 ? quantityBase : quantity * item.QtyPerUnit;
    return true;
}

// Converts the vendor's price into the document's currency; false when a rate is missing.
bool ToDocumentCurrency(TServerContext& ctx, const TVariantArray& request, const std::string& priceCurrency,
                        TDateTime date, double& price) {
    const std::string documentCurrency = request[riCurrency].AsString();
    if (priceCurrency == documentCurrency) return true;
    const double priceRate = CurrencyRate(ctx, priceCurrency, date);
    double documentRate = documentCurrency.empty() ? 1.0 : request[riCurrencyFactor].AsFloat();
    if (documentRate == 0.0) documentRate = CurrencyRate(ctx, documentCurrency, date);
    if (priceRate == 0.0 || documentRate == 0.0) return false;
    price = price * priceRate / documentRate;
    return true;
}

double VATPercent(TServerContext& ctx, const std::string& companyId, const TVariantArray& request) {
    const TRequestResult found = SelectRows(ctx.Db,
                                            "SELECT VATPercent FROM G_VATPostingSetup WHERE Comp_Id = ? AND "
                                            "VATBus_PostingGroup = ? AND VATProd_PostingGroup = ?",
                                            {companyId, request[riVATBus].AsString(), request[riVATProd].AsString()});
    return found.Empty() ? 0.0 : found.Value().AsFloat();
}

}  // namespace

double CurrencyRate(TServerContext& ctx, const std::string& currencyId, TDateTime date) {
    if (currencyId.empty()) return 1.0;
    const TRequestResult found = SelectRows(
        ctx.Db,
        "SELECT CASE WHEN c.IsLocal = 1 THEN 1.0 WHEN c.FixedFactor > 0 THEN c.FixedFactor ELSE "
        "(SELECT r.Factor FROM N_CurrencyRate r WHERE r.Currency_Id = c.Id AND r.StartingDate < ?1 "
        "ORDER BY r.StartingDate DESC LIMIT 1) END FROM N_Currency c WHERE c.Id = ?2 OR c.Code = ?2 LIMIT 1",
        {date.DateOnly().Serial() + 1.0, currencyId});
    return found.Empty() || found.Value().IsNull() ? 0.0 : found.Value().AsFloat();
}

int ItemPriceAndDiscount(TServerContext& ctx, const TVariantArray& request, TItemParams& params) {
    if (request.size() < riRequestSize)
        throw std::invalid_argument("Заявката за цена трябва да има 18 стойности, а има " + std::to_string(request.size()));
    TLineItem item;
    if (request[riVendor].IsEmpty() || !FindLineItem(ctx, request, item)) return 1;
    const TDateTime date = DateOf(request[riDate]);
    const TVariantArray window{request[riVendor].AsString(), item.ItemId, date.Serial() + 1.0, date.Serial(),
                               item.QuantityBase};
    TVariantArray priceArgs = window;
    priceArgs.push_back(item.Measure);
    priceArgs.push_back(item.BaseMeasure);
    priceArgs.push_back(request[riCurrency].AsString());
    const TRequestResult prices = SelectRows(
        ctx.Db,
        "SELECT DirectUnitCost, COALESCE(Measure_Id, ''), COALESCE(Currency_Id, ''), PriceIncludingVAT FROM N_VendorPrice "
        "WHERE Contragent_Id = ?1 AND Item_Id = ?2 AND (StartingDate IS NULL OR StartingDate < ?3) "
        "AND (EndingDate IS NULL OR EndingDate >= ?4) AND COALESCE(MinimumQuantity, 0) <= ?5 "
        "AND (COALESCE(Measure_Id, '') IN ('', ?6, ?7)) "
        "ORDER BY COALESCE(Measure_Id, '') = ?6 DESC, COALESCE(Currency_Id, '') = ?8 DESC, MinimumQuantity DESC, "
        "StartingDate DESC, DirectUnitCost LIMIT 1",
        priceArgs);
    if (prices.Empty()) return 1;
    double price = prices.Value(0, 0).AsFloat();
    if (prices.Value(0, 1).AsString() != item.Measure) price *= item.QtyPerUnit;
    if (!ToDocumentCurrency(ctx, request, prices.Value(0, 2).AsString(), date, price)) return 1;
    const bool wantsVAT = request[riPriceIncludingVAT].AsInteger() == 1;
    if (wantsVAT != (prices.Value(0, 3).AsInteger() == 1)) {
        const double factor = 1.0 + VATPercent(ctx, item.CompanyId, request) / 100.0;
        price = wantsVAT ? price * factor : price / factor;
    }
    const TRequestResult discounts = SelectRows(
        ctx.Db,
        "SELECT LineDiscount, AllowInvoiceDisc FROM N_VendorDiscount WHERE Contragent_Id = ?1 "
        "AND (Item_Id = ?2 OR Item_Id IS NULL) AND (StartingDate IS NULL OR StartingDate < ?3) "
        "AND (EndingDate IS NULL OR EndingDate >= ?4) AND COALESCE(MinimumQuantity, 0) <= ?5 "
        "ORDER BY Item_Id IS NULL, MinimumQuantity DESC LIMIT 1",
        window);
    params.Price = price;
    params.Discount = discounts.Empty() ? 0.0 : discounts.Value(0, 0).AsFloat();
    params.AllowInvoiceDisc = discounts.Empty() || discounts.Value(0, 1).AsInteger() == 1;
    params.Currency_Id = request[riCurrency].AsString();
    params.Measure_Id = item.Measure;
    return 0;
}

}  // namespace tavrek::server
