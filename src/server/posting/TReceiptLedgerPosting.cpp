#include "server/posting/TReceiptLedgerPosting.h"

#include "server/posting/TOrderBuffer.h"

namespace tavrek::server {
namespace {

TGLEntry Entry(const std::string& account, const TPostingDocument& doc, const TPostingLine& line, int64_t amount,
               int64_t amountACY) {
    TGLEntry entry;
    entry.Account = account;
    entry.PostingDate = doc.PostingDate;
    entry.Amount = amount;
    entry.AmountACY = amountACY;
    entry.LineId = line.Id;
    entry.BusinessGroup = line.BusinessGroup.empty() ? doc.BusinessGroup : line.BusinessGroup;
    entry.Description = line.Description;
    return entry;
}

}  // namespace

TReceiptPosting PostReceiptLedgers(const TPostingDocument& doc, const std::vector<TLineCost>& costs,
                                   const TPostingAccounts& accounts, bool out) {
    TReceiptPosting posting;
    if (accounts.ReceiptsNotInvoiced.empty()) {
        posting.RefusalKey = "err_PostNoReceiptsAccount";
        return posting;
    }
    const int sign = out ? -1 : 1;
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        const TPostingLine& line = doc.Lines[i];
        if (!IsItemType(line.Type)) continue;
        const std::string stock = accounts.Inventory(line.Store, line.GenProdPostGroup);
        if (stock.empty()) {
            posting.Entries = {};
            posting.RefusalKey = "err_PostNoInventoryAccount";
            return posting;
        }
        const int64_t cost = sign * costs.at(i).LCY, costACY = sign * costs.at(i).ACY;
        posting.Entries.Items.push_back(
            {line.Id, line.Code, line.BusinessGroup, line.Store, doc.PostingDate, sign * line.QuantityBase, cost, costACY});
        posting.Entries.GL.push_back(Entry(stock, doc, line, cost, costACY));
        posting.Entries.GL.push_back(Entry(accounts.ReceiptsNotInvoiced, doc, line, -cost, -costACY));
    }
    return posting;
}

}  // namespace tavrek::server
