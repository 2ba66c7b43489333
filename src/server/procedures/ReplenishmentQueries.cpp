#include "server/procedures/ReplenishmentQueries.h"

namespace tavrek::server::ReplenishmentQueries {

std::string OnHand(bool perStore) {
    return std::string("onhand AS (SELECT Item_Id, SUM(Quantity) AS Qty FROM G_ItemEntry WHERE Comp_Id = ?1") +
           (perStore ? " AND Store_Id = ?2" : "") + " GROUP BY Item_Id)";
}

std::string OnOrder(bool perStore) {
    const std::string open = "COALESCE(l.Quantity, 0) - COALESCE(l.ReceivedQty, 0) - COALESCE(l.RejectedQty, 0)";
    return "onorder AS (SELECT l.Code AS Item_Id, SUM(CASE WHEN " + open + " > 0 THEN " + open +
           " ELSE 0 END) AS Qty FROM D_PurchaseLine l JOIN D_PurchHeader h ON h.Id = l.Master_Id "
           "WHERE h.Comp_Id = ?1 AND h.DocumentType = 22 AND (h.DocStatus IS NULL OR h.DocStatus = 0) AND l.Type = 1" +
           (perStore ? " AND h.BusinessGroup_Id IN (SELECT Id FROM N_BusinessGroup WHERE Store_Id = ?2)" : "") +
           " GROUP BY l.Code)";
}

std::string OpenSale(bool perStore) {
    return std::string("opensale AS (SELECT sl.Item_Id, SUM(sl.Quantity - COALESCE(sl.ShippedQty, 0)) AS Qty "
                       "FROM D_SaleOrderLine sl JOIN D_SaleOrderHeader sh ON sh.Id = sl.Master_Id "
                       "WHERE sh.Comp_Id = ?1 AND (sh.DocStatus IS NULL OR sh.DocStatus = 0) AND "
                       "sl.Quantity - COALESCE(sl.ShippedQty, 0) > 0") +
           (perStore ? " AND sh.Store_Id = ?2" : "") + " GROUP BY sl.Item_Id)";
}

std::string ItemVendor() {
    return "lastbought AS (SELECT Item_Id, Contragent_Id FROM (SELECT l.Code AS Item_Id, h.Contragent_Id, "
           "ROW_NUMBER() OVER (PARTITION BY l.Code ORDER BY h.PostingDate DESC, h.DocumentNo DESC) AS n "
           "FROM D_PurchInvoiceLine l JOIN D_PurchInvoiceHeader h ON h.Id = l.Master_Id "
           "WHERE h.Comp_Id = ?1 AND (h.Annul IS NULL OR h.Annul = 0) AND l.Type = 1) b WHERE n = 1)";
}

std::string Rounded(const std::string& quantity, const std::string& moq, const std::string& mult) {
    const std::string raised = "(CASE WHEN " + quantity + " < " + moq + " THEN " + moq + " ELSE " + quantity + " END)";
    return "(CASE WHEN " + mult + " > 0 THEN CEIL(" + raised + " / " + mult + " - 0.000001) * " + mult + " ELSE " +
           raised + " END)";
}

std::string Uncovered(const std::string& demand, const std::string& cumulative, const std::string& supply) {
    const std::string short_ = "(" + cumulative + " - " + supply + ")";
    return "(CASE WHEN " + short_ + " <= 0 THEN 0 WHEN " + short_ + " >= " + demand + " THEN " + demand + " ELSE " +
           short_ + " END)";
}

}  // namespace tavrek::server::ReplenishmentQueries
