#include "server/MasterDataQueries.h"

#include <stdexcept>

#include "base/data/TDateTime.h"
#include "server/SqlValue.h"
#include "server/TPriceLookup.h"

namespace tavrek::server {
namespace {

TDateTime ParseYyyymmdd(const std::string& text) {
    if (text.size() != 8 || text.find_first_not_of("0123456789") != std::string::npos)
        throw std::invalid_argument("Невалидна дата '" + text + "': очаква се ггггммдд");
    return TDateTime::FromDate(std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)), std::stoi(text.substr(6, 2)));
}

Variant At(const TVariantArray& request, size_t index) { return index < request.size() ? request[index] : Variant(); }

}  // namespace

TRequestResult ContragentParams(TServerContext& ctx, const std::string& contragentId) {
    return SelectRows(ctx.Db,
                      "SELECT Id, Code, Name, Bulstat, VATRegistrationNo, Address, City, Currency_Id, PayMethod_Id, "
                      "PayTerm_Id, VATBusPostGroup_Id, GenBusPostGroup_Id, CntrPostingGroup_Id, PriceIncludingVAT, "
                      "CustomerPriceGroup, BankAccount_Id, Blocked FROM N_Contragent WHERE Id = ?",
                      {contragentId});
}

TRequestResult ContragentPurchDue(TServerContext& ctx, const std::string& contragentId, const std::string& dateYyyymmdd) {
    const TDateTime date = ParseYyyymmdd(dateYyyymmdd);
    const std::string open = "FROM %T WHERE Contragent_Id = ?1 AND Annul = 0 AND DocumentDate < ?3";
    auto from = [&](const char* table) {
        std::string text = open;
        text.replace(text.find("%T"), 2, table);
        return text;
    };
    return SelectRows(
        ctx.Db,
        "SELECT ROUND(CAST(COALESCE((SELECT SUM(Remaining) " + from("D_PurchInvoiceHeader") +
            "), 0) - COALESCE((SELECT SUM(Remaining) " + from("D_PurchCrMemoHeader") + "), 0) AS NUMERIC), 2) AS PurchDue, "
            "ROUND(CAST(COALESCE((SELECT SUM(Remaining) " + from("D_PurchInvoiceHeader") +
            " AND DueDate < ?2), 0) AS NUMERIC), 2) AS OverDue, "
            "(SELECT COUNT(*) " + from("D_PurchInvoiceHeader") + " AND Remaining <> 0) AS OpenDocuments, "
            "(SELECT MAX(DocumentDate) " + from("D_PurchInvoiceHeader") + ") AS LastPurchaseDate",
        {contragentId, date.Serial(), date.Serial() + 1});
}

TRequestResult ItemParams(TServerContext& ctx, const TVariantArray& request) {
    TRequestResult result = SelectRows(
        ctx.Db,
        "SELECT i.Id, i.Code, i.Name, i.Description2, i.BaseMeasure_Id, "
        "COALESCE((SELECT QtyPerUnitOfMeasure FROM N_ItemMeasure WHERE Item_Id = i.Id AND Measure_Id = ?3), 1) "
        "AS QtyPerUnitOfMeasure, i.UnitPrice, i.LastDirectCost, i.UnitCost, "
        "(SELECT VATPercent FROM G_VATPostingSetup WHERE Comp_Id = i.Comp_Id AND VATBus_PostingGroup = ?4 "
        "AND VATProd_PostingGroup = i.VATProdPostGroup_Id) AS VATPercent, "
        "(SELECT l.DirectUnitCost_ACY FROM D_PurchInvoiceLine l JOIN D_PurchInvoiceHeader h ON h.Id = l.Master_Id "
        "WHERE l.Code = i.Id AND h.Contragent_Id = ?2 AND h.Annul = 0 ORDER BY h.DocumentDate DESC LIMIT 1) "
        "AS LastPurchasePrice "
        "FROM N_Item i JOIN N_Contragent c ON c.Comp_Id = i.Comp_Id AND c.Id = ?2 WHERE i.Code = ?1 OR i.Id = ?1",
        {At(request, 0), At(request, 1), At(request, 2), At(request, 4)});
    // The vendor's price proposal for the line, as the price request would give it.
    const TVariantArray priceRequest{0, 0, At(request, 1), At(request, 0), At(request, 2), At(request, 3), At(request, 4),
                                     At(request, 6), At(request, 7), At(request, 8), At(request, 9), At(request, 10),
                                     At(request, 5), At(request, 11), 1, "", At(request, 13), Variant()};
    TItemParams price;
    const bool proposed = !result.Empty() && ItemPriceAndDiscount(ctx, priceRequest, price) == 0;
    result.Columns.insert(result.Columns.end(), {"VendorPrice", "VendorDiscount"});
    Variant vendorPrice, vendorDiscount;
    if (proposed) {
        vendorPrice = Variant(price.Price);
        vendorDiscount = Variant(price.Discount);
    }
    for (TVariantArray& row : result.Rows) {
        row.push_back(vendorPrice);
        row.push_back(vendorDiscount);
    }
    return result;
}

}  // namespace tavrek::server
