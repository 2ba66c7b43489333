#include "server/demo/DemoLedgerSetup.h"

#include <tuple>

#include "base/data/TDateTime.h"
#include "server/demo/TDemoCompany.h"
#include "server/schema/DocumentTypes.h"

namespace tavrek::server {
namespace {

struct TDemoAccount {
    const char* Code;
    const char* Name;
    int Heading;
    int Dimensioned;
    // What a purchase line booked straight on the account proposes.
    const char* GenProdPostGroup = "";
    const char* VATProdPostGroup = "";
};

constexpr TDemoAccount kChart[] = {
    {"302", "Материали", 0, 0},
    {"304", "Стоки", 0, 0},
    {"401", "Доставчици", 1, 0},
    {"4011", "Доставчици в страната", 0, 0},
    {"4012", "Доставчици от чужбина", 0, 0},
    {"4019", "Доставчици по получени нефактурирани стоки", 0, 0},
    {"409", "Предоставени аванси", 1, 0},
    {"4091", "Предоставени аванси на доставчици", 0, 1, "", "VAT20"},
    {"412", "Клиенти по аванси", 0, 1},
    {"453", "Разчети за данък върху добавената стойност", 1, 0},
    {"4531", "Начислен ДДС за покупките", 0, 0},
    {"4532", "Начислен ДДС за продажбите", 0, 0},
    {"4535", "ДДС при внос, дължим на митницата", 0, 0},
    {"4539", "Разчети за ДДС по протоколи", 0, 0},
    {"4901", "Разходи за бъдещи периоди", 0, 0},
    {"501", "Каса", 0, 0},
    {"503", "Разплащателна сметка", 0, 0},
    {"601", "Разходи за материали", 0, 0, "MAT", "VAT20"},
    {"602", "Разходи за външни услуги", 0, 0, "SERV", "VAT20"},
    {"609", "Други разходи", 0, 0, "SERV", "VAT20"},
    {"702", "Приходи от продажби на стоки", 0, 0},
};

void AddChart(std::vector<TDemoRow>& rows) {
    for (const TDemoAccount& a : kChart)
        rows.push_back({"G_LAccount", "Id, Comp_Id, Code, Name, Heading, Dimensioned, GenProdPostGroup_Id, VATProdPostGroup_Id",
                        {a.Code, kDemoCompanyId, a.Code, a.Name, a.Heading, a.Dimensioned, a.GenProdPostGroup,
                         a.VATProdPostGroup}});
}

void AddPostingSetups(std::vector<TDemoRow>& rows) {
    rows.push_back({"N_GenProdPostingGroup", "Id, Comp_Id, Code, Name", {"MAT", kDemoCompanyId, "MAT", "Материали"}});
    const char* purchase[][2] = {{"GOODS", "304"}, {"SERV", "602"}, {"MAT", "601"}};
    for (const char* bus : {"DOM", "EU", "IMP"})
        for (const auto& [prod, account] : purchase)
            rows.push_back({"G_GenPostingSetup", "Id, Comp_Id, GenBusPostGroup_Id, GenProdPostGroup_Id, PurchaseAccount",
                            {std::string(bus) + "-" + prod, kDemoCompanyId, bus, prod, account}});
    // What is sold leaves the stock account at its cost into the cost of the goods sold.
    const char* inventory[][2] = {{"GOODS", "304"}, {"MAT", "302"}};
    for (const auto& [prod, account] : inventory)
        rows.push_back({"G_InventoryPostingSetup",
                        "Id, Comp_Id, Store_Id, GenProdPostGroup_Id, InventoryAccount, CostOfSalesAccount",
                        {std::string("ALL-") + prod, kDemoCompanyId, "", prod, account, "702"}});
}

// An advance of 200.00 and its VAT paid by bank to the first vendor before the demo's invoices,
// brought in with the opening balances (transaction 0).
void AddOpenAdvance(std::vector<TDemoRow>& rows) {
    const Variant date(TDateTime::FromDate(2026, 10, 5));
    rows.push_back({"N_LAccountDimension",
                    "Id, Comp_Id, Account_Id, ReferenceType, Reference_Id, Description, DocumentDate",
                    {"ADV-V01-1", kDemoCompanyId, "4091", 0, "V01", "Аванс по проформа 118", date}});
    const std::tuple<const char*, double, const char*> entries[] = {
        {"4091", 200.0, "ADV-V01-1"}, {"4531", 40.0, ""}, {"503", -240.0, ""}};
    int n = 0;
    for (const auto& [account, amount, dimension] : entries)
        rows.push_back({"G_LEntry",
                        "Id, Comp_Id, TransactionNo, Account_Id, PostingDate, Document_Id, DocumentType, DocumentNo, "
                        "Amount, Amount_ACY, Contragent_Id, AccountDimension_Id, BusinessGroup_Id, Description, Storno",
                        {"GL-ADV-V01-" + std::to_string(++n), kDemoCompanyId, 0, account, date, "ADV-V01-1",
                         DocumentType::PurchAdvancePayment, "118", amount, amount, "V01", dimension, kDemoBusinessGroupId,
                         "Аванс по проформа 118", 0}});
}

}  // namespace

std::vector<TDemoRow> DemoLedgerRows() {
    std::vector<TDemoRow> rows;
    AddChart(rows);
    AddPostingSetups(rows);
    AddOpenAdvance(rows);
    return rows;
}

}  // namespace tavrek::server
