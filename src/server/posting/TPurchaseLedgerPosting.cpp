#include "server/posting/TPurchaseLedgerPosting.h"

#include <map>
#include <stdexcept>

#include "server/posting/TMinorUnits.h"

namespace tavrek::server {
namespace {

// A refusal met half way: the message key of what is missing.
struct TRefused : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::string Required(const std::string& account, const char* refusalKey) {
    if (account.empty()) throw TRefused(refusalKey);
    return account;
}

bool IsItem(const TPostingLine& line) { return line.Type == kItemLine || line.Type == kItemLine2; }

class TBuilder {
public:
    TBuilder(const TPostingDocument& doc, const TPostingAccounts& accounts, TLedgerPosting& out)
        : doc_(doc), accounts_(accounts), amounts_(out.Amounts), entries_(out.Entries) {}

    void Build() {
        debit_ = amounts_.LineValueLCY;
        debitACY_ = amounts_.LineValue;
        AddVATNotDeducted();
        MoveChargesOntoItems();
        for (size_t i = 0; i < doc_.Lines.size(); ++i) PostLine(i);
        for (const TVATGroupAmounts& group : amounts_.VATGroups) PostVAT(group);
        PostVendor();
        RequireBalance();
    }

    // A protocol charges ourselves the VAT of its lines: deducted, or put into the cost of the
    // lines when it is not, against the protocols' transit account.
    void BuildProtocol() {
        debit_.assign(doc_.Lines.size(), 0);
        debitACY_.assign(doc_.Lines.size(), 0);
        AddVATNotDeducted();
        for (size_t i = 0; i < doc_.Lines.size(); ++i) {
            if (debit_[i] == 0 && debitACY_[i] == 0) continue;
            const TPostingLine& line = doc_.Lines[i];
            if (IsItem(line))
                entries_.Items.push_back({line.Id, line.Code, line.BusinessGroup, line.Store, doc_.PostingDate, 0,
                                          debit_[i], debitACY_[i]});
            Book(LineAccount(line), debit_[i], debitACY_[i], doc_.PostingDate).LineId = line.Id;
        }
        for (const TVATGroupAmounts& group : amounts_.VATGroups) PostProtocolVAT(group);
        RequireBalance();
    }

private:
    void RequireBalance() const {
        if (entries_.Imbalance() != 0) throw TRefused("err_PostUnbalancedTransaction");
    }

    TGLEntry& Book(const std::string& account, int64_t amount, int64_t amountACY, TDateTime date) {
        TGLEntry entry;
        entry.Account = account;
        entry.PostingDate = date;
        entry.Amount = amount;
        entry.AmountACY = amountACY;
        entry.BusinessGroup = doc_.BusinessGroup;
        entries_.GL.push_back(std::move(entry));
        return entries_.GL.back();
    }

    std::vector<double> Weights(const std::vector<size_t>& lines) const {
        std::vector<double> weights;
        for (size_t i : lines) weights.push_back(static_cast<double>(amounts_.LineValueLCY[i]));
        return weights;
    }

    // VAT that is not deducted becomes part of the cost of the lines it was charged on.
    void AddVATNotDeducted() {
        for (const TVATGroupAmounts& group : amounts_.VATGroups) {
            if (group.Deducted() || group.VATLCY == 0) continue;
            const std::vector<int64_t> local = Spread(group.VATLCY, Weights(group.Lines));
            const std::vector<int64_t> foreign = Spread(group.VAT, Weights(group.Lines));
            for (size_t k = 0; k < group.Lines.size(); ++k) {
                debit_[group.Lines[k]] += local[k];
                debitACY_[group.Lines[k]] += foreign[k];
            }
        }
    }

    size_t LineIndex(const std::string& id) const {
        for (size_t i = 0; i < doc_.Lines.size(); ++i)
            if (doc_.Lines[i].Id == id) return i;
        throw TRefused("err_PostChargeAssignment");
    }

    // An assigned item charge adds its amount to the cost of the item lines it was assigned to.
    void MoveChargesOntoItems() {
        std::map<size_t, std::vector<std::pair<size_t, double>>> byCharge;
        for (const TChargeAssignment& a : doc_.Charges) {
            const size_t charge = LineIndex(a.ChargeLineId), item = LineIndex(a.ItemLineId);
            if (doc_.Lines[charge].Type != kItemChargeLine || !IsItem(doc_.Lines[item]))
                throw TRefused("err_PostChargeAssignment");
            byCharge[charge].push_back({item, a.Share});
        }
        for (const auto& [charge, shares] : byCharge) {
            std::vector<double> weights;
            for (const auto& share : shares) weights.push_back(share.second);
            const std::vector<int64_t> local = Spread(debit_[charge], weights);
            const std::vector<int64_t> foreign = Spread(debitACY_[charge], weights);
            for (size_t k = 0; k < shares.size(); ++k) {
                debit_[shares[k].first] += local[k];
                debitACY_[shares[k].first] += foreign[k];
            }
            debit_[charge] = debitACY_[charge] = 0;
            assigned_.push_back(charge);
        }
    }

    std::string LineAccount(const TPostingLine& line) const {
        if (IsItem(line))
            return Required(accounts_.Inventory(line.Store, line.GenProdPostGroup), "err_PostNoInventoryAccount");
        if (line.Type == kAccountLine) return Required(line.Code, "err_PostNoPurchaseAccount");
        return Required(accounts_.Purchase(line.GenBusPostGroup, line.GenProdPostGroup), "err_PostNoPurchaseAccount");
    }

    bool Assigned(size_t i) const {
        for (size_t charge : assigned_)
            if (charge == i) return true;
        return false;
    }

    // Goods received earlier wait on the receipts account at their receipt cost: the invoice
    // clears that and puts any difference of price onto the stock.
    void PostReceivedLine(size_t i) {
        const TPostingLine& line = doc_.Lines[i];
        const std::string receipts = Required(accounts_.ReceiptsNotInvoiced, "err_PostNoReceiptsAccount");
        Book(receipts, line.ReceivedCost, line.ReceivedCostACY, doc_.PostingDate).LineId = line.Id;
        const int64_t difference = debit_[i] - line.ReceivedCost, differenceACY = debitACY_[i] - line.ReceivedCostACY;
        if (difference == 0 && differenceACY == 0) return;
        entries_.Items.push_back({line.Id, line.Code, line.BusinessGroup, line.Store, doc_.PostingDate, 0, difference,
                                  differenceACY});
        Book(LineAccount(line), difference, differenceACY, doc_.PostingDate).LineId = line.Id;
    }

    void PostLine(size_t i) {
        const TPostingLine& line = doc_.Lines[i];
        if (line.Received && IsItem(line)) return PostReceivedLine(i);
        if (IsItem(line)) {
            entries_.Items.push_back({line.Id, line.Code, line.BusinessGroup, line.Store, doc_.PostingDate,
                                      line.QuantityBase, debit_[i], debitACY_[i]});
        }
        if (Assigned(i)) return;
        std::vector<TFutureCostPeriod> periods;
        for (const TFutureCostPeriod& p : doc_.FutureCosts)
            if (p.LineId == line.Id) periods.push_back(p);
        const std::string account =
            periods.empty() ? LineAccount(line) : Required(accounts_.DeferredCosts, "err_PostNoDeferredCostsAccount");
        TGLEntry& entry = Book(account, debit_[i], debitACY_[i], doc_.PostingDate);
        entry.LineId = line.Id;
        entry.Dimension = line.AccountDimension;
        entry.BusinessGroup = line.BusinessGroup.empty() ? doc_.BusinessGroup : line.BusinessGroup;
        entry.Description = line.Description;
        if (!line.AccountDimension.empty()) entry.ContragentId = doc_.ContragentId;
        if (!periods.empty()) SpreadOverPeriods(i, LineAccount(line), periods);
    }

    // A future cost waits on the deferred costs account and moves to its own account period by period.
    void SpreadOverPeriods(size_t i, const std::string& account, const std::vector<TFutureCostPeriod>& periods) {
        std::vector<double> weights;
        for (const TFutureCostPeriod& p : periods) weights.push_back(p.Share);
        const std::vector<int64_t> local = Spread(debit_[i], weights), foreign = Spread(debitACY_[i], weights);
        for (size_t k = 0; k < periods.size(); ++k) {
            Book(account, local[k], foreign[k], periods[k].Date).LineId = doc_.Lines[i].Id;
            Book(accounts_.DeferredCosts, -local[k], -foreign[k], periods[k].Date).LineId = doc_.Lines[i].Id;
        }
    }

    // The VAT entry of the group and the deducted VAT on the purchase VAT account.
    TPostingAccounts::TVATAccounts VATEntry(const TVATGroupAmounts& group) {
        entries_.VAT.push_back({group.VATBusPostGroup, group.VATProdPostGroup, doc_.PostingDate, group.Percent,
                                static_cast<int>(group.Calculation), group.VATLedger, group.BaseLCY, group.VATLCY,
                                group.Base, group.VAT});
        return accounts_.VAT(group.VATBusPostGroup, group.VATProdPostGroup);
    }

    static bool HasVAT(const TVATGroupAmounts& group) { return group.VATLCY != 0 || group.VAT != 0; }

    TPostingAccounts::TVATAccounts DeductVAT(const TVATGroupAmounts& group) {
        const TPostingAccounts::TVATAccounts vat = VATEntry(group);
        if (group.Deducted() && HasVAT(group))
            Book(Required(vat.Purchase, "err_PostNoVATAccount"), group.VATLCY, group.VAT, doc_.PostingDate);
        return vat;
    }

    // The VAT of goods from another EU country is charged by the protocol made from the
    // document: until then it waits on the protocols' transit account, when there is one.
    void PostVAT(const TVATGroupAmounts& group) {
        const TPostingAccounts::TVATAccounts vat = DeductVAT(group);
        if (group.OwedToVendor() || !HasVAT(group)) return;
        const bool byProtocol = group.Calculation == TVATCalculation::ReverseCharge && !accounts_.ProtocolTransit.empty();
        Book(Required(byProtocol ? accounts_.ProtocolTransit : vat.Charged, "err_PostNoVATAccount"), -group.VATLCY,
             -group.VAT, doc_.PostingDate);
    }

    // The protocol of a reverse-charged document charges the VAT that document deducted, off
    // the transit account. Any other protocol deducts its VAT and charges it on the transit
    // account (without one, as the VAT setup does).
    void PostProtocolVAT(const TVATGroupAmounts& group) {
        if (doc_.ChargesReverseCharge && !accounts_.ProtocolTransit.empty()) {
            const TPostingAccounts::TVATAccounts vat = VATEntry(group);
            if (!HasVAT(group)) return;
            Book(accounts_.ProtocolTransit, group.VATLCY, group.VAT, doc_.PostingDate);
            Book(Required(vat.Charged, "err_PostNoVATAccount"), -group.VATLCY, -group.VAT, doc_.PostingDate);
            return;
        }
        const TPostingAccounts::TVATAccounts vat = DeductVAT(group);
        const std::string charged = accounts_.ProtocolTransit.empty() ? vat.Charged : accounts_.ProtocolTransit;
        if (HasVAT(group)) Book(Required(charged, "err_PostNoVATAccount"), -group.VATLCY, -group.VAT, doc_.PostingDate);
    }

    void PostVendor() {
        const std::string payables = Required(accounts_.Payables(doc_.CntrPostingGroup), "err_PostNoPayablesAccount");
        Book(payables, -amounts_.PayableLCY, -amounts_.Payable, doc_.PostingDate).ContragentId = doc_.ContragentId;
        TVendorEntry vendor{doc_.PostingDate, -amounts_.PayableLCY, -amounts_.Payable, -amounts_.PayableLCY,
                            -amounts_.Payable};
        if (doc_.PaidAtPosting) {
            Book(payables, amounts_.PayableLCY, amounts_.Payable, doc_.PostingDate).ContragentId = doc_.ContragentId;
            Book(Required(accounts_.DirectPayment, "err_PostNoPaymentAccount"), -amounts_.PayableLCY,
                 -amounts_.Payable, doc_.PostingDate);
            vendor.Remaining = vendor.RemainingACY = 0;
        }
        entries_.Vendor.push_back(vendor);
    }

    const TPostingDocument& doc_;
    const TPostingAccounts& accounts_;
    const TDocumentAmounts& amounts_;
    TLedgerEntries& entries_;
    std::vector<int64_t> debit_, debitACY_;
    std::vector<size_t> assigned_;
};

template <typename TBuild>
TLedgerPosting Posting(const TPostingDocument& doc, const TPostingAccounts& accounts, TBuild build) {
    TLedgerPosting out;
    out.Amounts = CalculateDocumentAmounts(doc);
    try {
        TBuilder builder(doc, accounts, out);
        build(builder);
    } catch (const TRefused& refused) {
        out.Entries = {};
        out.RefusalKey = refused.what();
    }
    return out;
}

}  // namespace

TLedgerPosting PostPurchaseLedgers(const TPostingDocument& doc, const TPostingAccounts& accounts) {
    return Posting(doc, accounts, [](TBuilder& builder) { builder.Build(); });
}

TLedgerPosting PostProtocolLedgers(const TPostingDocument& doc, const TPostingAccounts& accounts, bool creditMemo) {
    TLedgerPosting out = Posting(doc, accounts, [](TBuilder& builder) { builder.BuildProtocol(); });
    if (creditMemo) out.Entries = Reversed(out.Entries);
    return out;
}

}  // namespace tavrek::server
