#include "server/posting/PostingTestData.h"

namespace tavrek::testing {

using namespace server;

TPostingAccounts ChartAccounts() {
    TPostingAccounts a;
    a.SetPayables("SUP-DOM", "401");
    a.SetPurchase("DOM", "SERV", "602");
    a.SetPurchase("DOM", "GOODS", "602");
    a.SetInventory("", "GOODS", "304");
    a.SetInventory("", "MAT", "302");
    for (const char* prod : {"VAT20", "VAT9", "VAT0"}) {
        a.SetVAT("DOM", prod, {"4531", "4532"});
        a.SetVAT("EU", prod, {"4531", "4532"});
        a.SetVAT("IMP", prod, {"4531", "4539"});
    }
    a.DeferredCosts = "490";
    a.DirectPayment = "501";
    return a;
}

TPostingLine Line(int type, const std::string& code, double value, double percent, const std::string& vatBus,
                  int calculation) {
    static int next = 0;
    TPostingLine line;
    line.Id = "L" + std::to_string(++next);
    line.Type = type;
    line.Code = code;
    line.QuantityBase = 1;
    line.TotalValue = value;
    line.VATPercent = percent;
    line.VATCalculationType = calculation;
    line.VATBusPostGroup = vatBus;
    line.VATProdPostGroup = percent == 20 ? "VAT20" : percent == 9 ? "VAT9" : "VAT0";
    line.GenBusPostGroup = "DOM";
    line.GenProdPostGroup = type == kItemLine ? "GOODS" : "SERV";
    line.BusinessGroup = "BG-SOF";
    line.Store = "S01";
    return line;
}

TPostingDocument Document(std::vector<TPostingLine> lines) {
    TPostingDocument doc;
    doc.Id = "D1";
    doc.DocumentNo = "0000000001";
    doc.ContragentId = "V03";
    doc.CntrPostingGroup = "SUP-DOM";
    doc.BusinessGroup = "BG-SOF";
    doc.DocumentDate = doc.PostingDate = TDateTime::FromDate(2026, 3, 10);
    doc.Lines = std::move(lines);
    return doc;
}

std::map<std::string, int64_t> Balances(const TLedgerEntries& entries) {
    std::map<std::string, int64_t> balances;
    for (const TGLEntry& e : entries.GL) balances[e.Account] += e.Amount;
    for (auto it = balances.begin(); it != balances.end();) it = it->second == 0 ? balances.erase(it) : std::next(it);
    return balances;
}

}  // namespace tavrek::testing
