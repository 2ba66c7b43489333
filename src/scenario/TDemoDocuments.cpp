#include "scenario/TDemoDocuments.h"

#include <sstream>
#include <stdexcept>

#include "scenario/TScenarioRunner.h"
#include "server/demo/DemoGlobalSources.h"
#include "server/demo/DemoSalesHistory.h"

namespace tavrek::scenario {
namespace {

// One document each, oldest first, so that the posted numbers follow the dates.
constexpr const char* kDocuments[] = {
    R"(header N_Contragent_Code=5001 DocSubType_Id=SD-520 VendorInvoiceNo=0000041187 DocumentDate=2026-11-16 PostingDate=2026-11-16
line Code=1001 VATProdPostGroup_Id=VAT20 Quantity=40 DirectUnitCost_ACY=1.05 LineDiscount=0
line Code=1002 VATProdPostGroup_Id=VAT20 Quantity=30 DirectUnitCost_ACY=0.98 LineDiscount=0
line Code=1004 VATProdPostGroup_Id=VAT20 Quantity=20 DirectUnitCost_ACY=0.85 LineDiscount=3
recalculate
saved D_PurchHeader TotalValue=87.89 VATValue=17.58 TotalVAT=105.47
post
)",
    R"(header N_Contragent_Code=5003 DocSubType_Id=SD-520 VendorInvoiceNo=0000077002 DocumentDate=2026-11-20 PostingDate=2026-11-20
line Code=1008 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.95 LineDiscount=0
line Code=1010 VATProdPostGroup_Id=VAT20 Quantity=2.5 DirectUnitCost_ACY=9.80 LineDiscount=5
line Code=1035 VATProdPostGroup_Id=VAT9 Quantity=3 DirectUnitCost_ACY=11.00 LineDiscount=0
line Type=2 Code=602 Description=Транспорт VATProdPostGroup_Id=VAT20 Quantity=1 DirectUnitCost_ACY=35.00 LineDiscount=0
recalculate
saved D_PurchHeader TotalValue=114.07 VATValue=19.18 TotalVAT=133.25
post
credit VendorCreditMemoNo=CN-0000077002 DocumentDate=2026-11-24 PostingDate=2026-11-24
creditline Line=1 Quantity=4
creditline Line=2 Quantity=0
creditline Line=3 Quantity=0
creditline Line=4 Quantity=0
saved D_PurchHeader ToInvoiceNo=0000077002 TotalValue=3.80 VATValue=0.76 TotalVAT=4.56
post
)",
    R"(header DocumentDate=2026-11-20 PostingDate=2026-11-20 N_Contragent_Code=5012 Currency_Id=USD DocSubType_Id=SD-521 VendorInvoiceNo=OI-7781
line Code=1047 VATProdPostGroup_Id=VAT20 Quantity=10 DirectUnitCost_ACY=1.40 LineDiscount=0
line Code=1048 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=0.90 LineDiscount=0
recalculate
saved D_PurchHeader TotalValue=35.60 TotalValue_LCY=33.68
post
)",
    R"(header N_Contragent_Code=5011 Currency_Id=EUR DocSubType_Id=SD-520 VendorInvoiceNo=NL-2026-114 DocumentDate=2026-11-27 PostingDate=2026-11-27
line Code=1043 VATProdPostGroup_Id=VAT20 Quantity=6 DirectUnitCost_ACY=12.50 LineDiscount=0
line Code=1044 VATProdPostGroup_Id=VAT20 Quantity=4 DirectUnitCost_ACY=7.35 LineDiscount=10
recalculate
saved D_PurchHeader TotalValue=101.46
post
)",
    R"(offer
header N_Contragent_Code=5004 DocSubType_Id=SD-500 DocumentDate=2026-12-01 Comment=Напитки_за_празниците
line Code=1013 VATProdPostGroup_Id=VAT20 Quantity=60 DirectUnitCost_ACY=0.55 LineDiscount=0
line Code=1015 VATProdPostGroup_Id=VAT20 Quantity=24 DirectUnitCost_ACY=1.35 LineDiscount=0
recalculate
saved D_PurchHeader DocumentType=20 TotalValue=65.40 VATValue=13.08 TotalVAT=78.48
)",
    R"(order N_Contragent_Code=5008 DocSubType_Id=SD-510 DocumentDate=2026-12-02
line Code=1032 VATProdPostGroup_Id=VAT20 Quantity=20 DirectUnitCost_ACY=4.20 LineDiscount=0
line Code=1033 VATProdPostGroup_Id=VAT20 Quantity=12 DirectUnitCost_ACY=8.40 LineDiscount=0
recalculate
saved D_PurchHeader TotalValue=184.80 DocStatus=0
operation Name=Receive DocumentDate=2026-12-03 PostingDate=2026-12-03
bufferline Line=2 Quantity=6
recalculate
saved D_PurchOrderBufHeader TotalValue=134.40
post
)",
    R"(header N_Contragent_Code=5002 DocSubType_Id=SD-520 VendorInvoiceNo=0000003310 DocumentDate=2026-12-04 PostingDate=2026-12-04
line Code=1005 VATProdPostGroup_Id=VAT20 Quantity=50 DirectUnitCost_ACY=1.35 LineDiscount=0
line Code=1006 VATProdPostGroup_Id=VAT20 Quantity=20 DirectUnitCost_ACY=1.10 LineDiscount=0
recalculate
saved D_PurchHeader TotalValue=89.50 VATValue=17.90 TotalVAT=107.40
)",
};

// The January invoice of a vendor that brought the stock the year's sales were shipped from.
std::string StockInvoice(const server::TDemoStockDelivery& delivery, size_t index) {
    std::ostringstream text;
    text << "header N_Contragent_Code=" << delivery.VendorCode << " DocSubType_Id=SD-520 VendorInvoiceNo=00000050"
         << (index < 9 ? "0" : "") << index + 1 << " DocumentDate=2026-01-05 PostingDate=2026-01-05\n";
    for (const server::TDemoStockDelivery::TLine& line : delivery.Lines)
        text << "line Code=" << line.ItemCode << " VATProdPostGroup_Id=" << line.VATGroup << " Quantity=" << line.Quantity
             << " DirectUnitCost_ACY=" << line.Cost << " LineDiscount=0\n";
    text << "recalculate\npost\n";
    return text.str();
}

void Enter(server::EmbeddedServer& server, const std::string& text) {
    std::istringstream in(text);
    TScenarioRunner runner(server);
    for (const TScenarioResult& result : runner.Run(ReadScenario(in)))
        if (!result.Ok) throw std::runtime_error("Примерният документ не е въведен: " + ResultLine("", result));
}

}  // namespace

void AddDemoDocuments(server::EmbeddedServer& server) {
    const std::vector<server::TDemoStockDelivery> deliveries = server::DemoStockDeliveries(server.Database());
    for (size_t i = 0; i < deliveries.size(); ++i) Enter(server, StockInvoice(deliveries[i], i));
    server::AddDemoSalesHistory(server.Database());
    for (const char* text : kDocuments) Enter(server, text);
    server::AddGlobalDocumentSources(server.Database());
}

}  // namespace tavrek::scenario
