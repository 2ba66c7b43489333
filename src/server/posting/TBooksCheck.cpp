#include "server/posting/TBooksCheck.h"

#include "base/util/Utils.h"

namespace tavrek::server {

std::vector<std::string> TBooksCheck::Differences() const {
    std::vector<std::string> out;
    for (const TVariantArray& company : select_("SELECT Id FROM C_CompanySetup ORDER BY Id", {}).Rows) {
        CheckTransactions(company[0].AsString(), out);
        CheckPayables(company[0].AsString(), out);
        CheckInventory(company[0].AsString(), out);
    }
    return out;
}

void TBooksCheck::CheckTransactions(const std::string& company, std::vector<std::string>& out) const {
    const TRequestResult unbalanced = select_(
        "SELECT TransactionNo, SUM(Amount) FROM G_LEntry WHERE Comp_Id = ? GROUP BY TransactionNo "
        "HAVING ABS(SUM(Amount)) >= 0.005 ORDER BY TransactionNo",
        {company});
    for (const TVariantArray& row : unbalanced.Rows)
        out.push_back("Фирма " + company + ": операция " + row[0].AsString() + " не е балансирана, разлика " +
                      AmountText(row[1].AsFloat()));
}

void TBooksCheck::CheckPayables(const std::string& company, std::vector<std::string>& out) const {
    const TRequestResult vendors = select_(
        "SELECT Contragent_Id, SUM(Entries), SUM(Ledger) FROM (SELECT Contragent_Id, Remaining AS Entries, 0 AS Ledger "
        "FROM G_ContragentEntry WHERE Comp_Id = ?1 UNION ALL SELECT Contragent_Id, 0, Amount FROM G_LEntry WHERE "
        "Comp_Id = ?1 AND Account_Id IN (SELECT PayablesAccount FROM N_CntrPostingGroup WHERE Comp_Id = ?1)) AS v "
        "GROUP BY Contragent_Id HAVING ABS(SUM(Entries) - SUM(Ledger)) >= 0.005 ORDER BY Contragent_Id",
        {company});
    for (const TVariantArray& row : vendors.Rows)
        out.push_back("Фирма " + company + ": доставчик " + row[0].AsString() + " има открити задължения " +
                      AmountText(row[1].AsFloat()) + ", а сметката за задължения " + AmountText(row[2].AsFloat()));
}

void TBooksCheck::CheckInventory(const std::string& company, std::vector<std::string>& out) const {
    const TRequestResult stock = select_(
        "SELECT (SELECT COALESCE(SUM(CostAmount), 0) FROM G_ItemEntry WHERE Comp_Id = ?1), (SELECT "
        "COALESCE(SUM(Amount), 0) FROM G_LEntry WHERE Comp_Id = ?1 AND Account_Id IN (SELECT InventoryAccount FROM "
        "G_InventoryPostingSetup WHERE Comp_Id = ?1))",
        {company});
    const double entries = stock.Value(0, 0).AsFloat(), ledger = stock.Value(0, 1).AsFloat();
    if (entries - ledger >= 0.005 || ledger - entries >= 0.005)
        out.push_back("Фирма " + company + ": складовите записи струват " + AmountText(entries) +
                      ", а сметките за материални запаси " + AmountText(ledger));
}

}  // namespace tavrek::server
