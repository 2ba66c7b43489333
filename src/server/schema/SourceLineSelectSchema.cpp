#include "server/schema/SourceLineSelectSchema.h"

namespace tavrek::server {
namespace {

// A line taken into a global document not posted yet carries that document's number (its Id
// while it has none), so that no other one is offered it and its own finds it to take it out.
std::string LineSelectSql(const std::string& view, const std::string& header, const std::string& line,
                          const std::string& outOfLedger, const std::string& isGlobal, const std::string& globalNo) {
    return "DROP VIEW " + view + ";\nCREATE VIEW " + view +
           " AS SELECT l.Id, h.Comp_Id, l.Master_Id, h.DocumentNo, h.DocumentDate, h.Contragent_Id, h.Annul, h." +
           outOfLedger + ", h." + isGlobal + ", COALESCE(h." + globalNo +
           ", (SELECT MIN(COALESCE(NULLIF(g.DocumentNo, ''), g.Id)) FROM D_GlobalPurchLine gl JOIN D_GlobalPurchHeader g ON g.Id = gl.Master_Id "
           "WHERE gl.SrcLine_Id = l.Id)) AS " + globalNo +
           ", l.Line_No, l.Type, l.Code, l.Description, l.Description2, l.Measure_Id, l.PriceIncludingVAT, "
           "l.Quantity, l.Quantity_Base, l.QtyPerUnitOfMeasure AS QtyPerUnit, "
           "COALESCE(l.DirectUnitCost_ACY, l.DirectUnitCost) AS DirectUnitCost, l.UnitCost_ACY AS UnitCost, "
           "l.UnitCost_LCY, l.LineDiscount AS LineDiscount_Percent, l.VATPercent, l.ReturnedQty AS ReturnedQTY, "
           "l.VATProdPostGroup_Id, CAST(NULL AS TEXT) AS InventoryPostGroup_Id, l.GenProdPostGroup_Id, l.TotalValue, "
           "l.TotalVAT FROM " + line + " l JOIN " + header + " h ON h.Id = l.Master_Id;\n";
}

}  // namespace

std::string SourceLinePricesSql() {
    return LineSelectSql("dv_PurchInvoiceLineSelect", "D_PurchInvoiceHeader", "D_PurchInvoiceLine",
                         "DoNotIncInVATLedger", "IsGlobalInvoice", "GlobalInvoiceNo") +
           LineSelectSql("dv_PurchCrMemoLineSelect", "D_PurchCrMemoHeader", "D_PurchCrMemoLine", "NotIncludeVatLedger",
                         "IsGlobalCrMemo", "GlobalCrMemoNo");
}

}  // namespace tavrek::server
