#include "server/posting/TGlobalDocLedgers.h"

#include <stdexcept>
#include <utility>

namespace tavrek::server {
namespace {

struct TRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Required(const std::string& account, const char* refusalKey) {
    if (account.empty()) throw TRefused(refusalKey);
    return account;
}

// Only VAT the vendor charges and the company deducts moves from the sources to the global document.
bool Redocumented(TVATCalculation calculation, int vatLedger) {
    return calculation != TVATCalculation::ReverseCharge && calculation != TVATCalculation::Import &&
           vatLedger != kVATLedgerNotDeducted;
}

class TGlobalBuilder {
public:
    TGlobalBuilder(const TPostingDocument& doc, const TPostingAccounts& accounts, TLedgerPosting& out)
        : doc_(doc), accounts_(accounts), out_(out) {}

    void Build(const std::vector<TSourceVAT>& sources) {
        for (const TVATGroupAmounts& g : out_.Amounts.VATGroups) {
            out_.Entries.VAT.push_back({g.VATBusPostGroup, g.VATProdPostGroup, doc_.PostingDate, g.Percent,
                                        static_cast<int>(g.Calculation), g.VATLedger, g.BaseLCY, g.VATLCY, g.Base,
                                        g.VAT});
            if (Redocumented(g.Calculation, g.VATLedger)) BookVAT(g.VATBusPostGroup, g.VATProdPostGroup, g.VATLCY, g.VAT);
        }
        for (const TSourceVAT& s : sources)
            if (Redocumented(s.Calculation, s.VATLedger)) BookVAT(s.VATBusPostGroup, s.VATProdPostGroup, -s.VATLCY, -s.VAT);
        if (differenceLCY_ != 0 || difference_ != 0) BookVendor();
        if (out_.Entries.Imbalance() != 0) throw TRefused("err_PostUnbalancedTransaction");
    }

private:
    TGLEntry& Book(const std::string& account, int64_t amount, int64_t amountACY) {
        TGLEntry entry;
        entry.Account = account;
        entry.PostingDate = doc_.PostingDate;
        entry.Amount = amount;
        entry.AmountACY = amountACY;
        entry.BusinessGroup = doc_.BusinessGroup;
        out_.Entries.GL.push_back(std::move(entry));
        return out_.Entries.GL.back();
    }

    void BookVAT(const std::string& bus, const std::string& prod, int64_t amountLCY, int64_t amount) {
        if (amountLCY == 0 && amount == 0) return;
        Book(Required(accounts_.VAT(bus, prod).Purchase, "err_PostNoVATAccount"), amountLCY, amount);
        differenceLCY_ += amountLCY;
        difference_ += amount;
    }

    void BookVendor() {
        const std::string payables = Required(accounts_.Payables(doc_.CntrPostingGroup), "err_PostNoPayablesAccount");
        Book(payables, -differenceLCY_, -difference_).ContragentId = doc_.ContragentId;
        out_.Entries.Vendor.push_back({doc_.PostingDate, -differenceLCY_, -difference_, -differenceLCY_, -difference_});
    }

    const TPostingDocument& doc_;
    const TPostingAccounts& accounts_;
    TLedgerPosting& out_;
    int64_t differenceLCY_ = 0, difference_ = 0;
};

}  // namespace

TLedgerPosting PostGlobalDocLedgers(const TPostingDocument& doc, const std::vector<TSourceVAT>& sources,
                                    const TPostingAccounts& accounts, bool creditMemo) {
    TLedgerPosting out;
    out.Amounts = CalculateDocumentAmounts(doc);
    try {
        TGlobalBuilder(doc, accounts, out).Build(sources);
    } catch (const TRefused& refused) {
        out.Entries = {};
        out.RefusalKey = refused.what();
    }
    if (creditMemo) out.Entries = Reversed(out.Entries);
    return out;
}

void SettleReverseCharge(TLedgerPosting& posting, const std::vector<TSourceVAT>& sources,
                         const TPostingAccounts& accounts, TDateTime date, bool creditMemo) {
    int64_t difference = 0;
    std::string deducted;
    for (const TSourceVAT& s : sources) {
        if (s.Calculation != TVATCalculation::ReverseCharge) continue;
        difference += s.VATLCY;
        if (deducted.empty()) deducted = accounts.VAT(s.VATBusPostGroup, s.VATProdPostGroup).Purchase;
    }
    for (const TVATGroupAmounts& g : posting.Amounts.VATGroups) difference -= g.VATLCY;
    if (difference == 0 || accounts.ProtocolTransit.empty() || deducted.empty()) return;
    const int64_t sign = creditMemo ? -1 : 1;
    for (const auto& [account, amount] : {std::pair{accounts.ProtocolTransit, difference}, std::pair{deducted, -difference}}) {
        TGLEntry entry;
        entry.Account = account;
        entry.PostingDate = date;
        entry.Amount = entry.AmountACY = sign * amount;
        posting.Entries.GL.push_back(entry);
    }
}

}  // namespace tavrek::server
