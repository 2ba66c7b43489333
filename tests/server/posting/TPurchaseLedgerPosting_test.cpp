#include "server/posting/TPurchaseLedgerPosting.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "server/posting/PostingTestData.h"

namespace tavrek::testing {
namespace {

using namespace server;

struct TCase {
    const char* Name;
    TPostingDocument Doc;
    std::map<std::string, int64_t> GL;  // balance per account, debit positive, in cents
    int64_t VendorAmount;               // the vendor entry, negative for a debt
    std::vector<std::pair<int64_t, int64_t>> VAT;  // base and VAT of each VAT entry, local currency
};

TPostingDocument InUSD(TPostingDocument doc, double factor) {
    doc.CurrencyId = "USD";
    doc.CurrencyFactor = factor;
    return doc;
}

TPostingDocument Paid(TPostingDocument doc) {
    doc.PaidAtPosting = true;
    return doc;
}

// A generic document's line with the VAT base and VAT typed on it.
TPostingLine Typed(TPostingLine line, double base, double vat) {
    line.VATBaseAmount = base;
    line.VATValue = vat;
    return line;
}

TPostingDocument TypedVAT(TPostingDocument doc) {
    doc.TypedVAT = true;
    return doc;
}

TPostingLine NotDeducted(TPostingLine line) {
    line.VATLedger = kVATLedgerNotDeducted;
    return line;
}

TEST(PurchaseLedgerPosting, EveryDocumentKindPostsABalancedTransaction) {
    const TCase cases[] = {
        {"items and a service at two rates",
         Document({Line(kItemLine, "1001", 37.50, 20), Line(kAccountLine, "602", 12.35, 9)}),
         {{"304", 3750}, {"602", 1235}, {"4531", 861}, {"401", -5846}},
         -5846,
         {{1235, 111}, {3750, 750}}},
        {"VAT of a rate is taken on its whole base, not summed from rounded lines",
         Document({Line(kItemLine, "1001", 10.03, 9), Line(kItemLine, "1002", 10.03, 9), Line(kItemLine, "1003", 10.03, 9)}),
         {{"304", 3009}, {"4531", 271}, {"401", -3280}},
         -3280,
         {{3009, 271}}},
        {"foreign currency: local totals at the rate, the cent on the largest line",
         InUSD(Document({Line(kItemLine, "1001", 10.01, 20), Line(kItemLine, "1002", 20.01, 20),
                         Line(kAccountLine, "602", 30.01, 20)}),
               1.7),
         {{"304", 5104}, {"602", 5101}, {"4531", 2042}, {"401", -12247}},
         -12247,
         {{10205, 2042}}},
        {"reverse charge: the vendor is owed the net amount, the VAT is charged and deducted",
         Document({Line(kItemLine, "1001", 100.00, 20, "EU", 2)}),
         {{"304", 10000}, {"4531", 2000}, {"4532", -2000}, {"401", -10000}},
         -10000,
         {{10000, 2000}}},
        {"import: the VAT is owed to customs",
         Document({Line(kItemLine, "1001", 100.00, 20, "IMP", 3)}),
         {{"304", 10000}, {"4531", 2000}, {"4539", -2000}, {"401", -10000}},
         -10000,
         {{10000, 2000}}},
        {"exempt and zero-rated lines post their bases without VAT",
         Document({Line(kAccountLine, "602", 50.00, 0, "DOM", 1), Line(kItemLine, "1001", 40.00, 0, "DOM", 4)}),
         {{"602", 5000}, {"304", 4000}, {"401", -9000}},
         -9000,
         {{5000, 0}, {4000, 0}}},
        {"VAT that is not deducted goes into the cost",
         Document({NotDeducted(Line(kItemLine, "1001", 100.00, 20))}),
         {{"304", 12000}, {"401", -12000}},
         -12000,
         {{10000, 2000}}},
        {"an invoice paid at posting leaves nothing owed",
         Paid(Document({Line(kAccountLine, "602", 10.00, 20)})),
         {{"602", 1000}, {"4531", 200}, {"501", -1200}},
         -1200,
         {{1000, 200}}},
        {"an advance line takes the advance off the advances account",
         Document({Line(kItemLine, "1001", 100.00, 20), [] {
                       TPostingLine advance = Line(kAccountLine, "412", -40.00, 20);
                       advance.AccountDimension = "ADV-1";
                       return advance;
                   }()}),
         {{"304", 10000}, {"412", -4000}, {"4531", 1200}, {"401", -7200}},
         -7200,
         {{6000, 1200}}},
        {"a generic document posts the typed VAT, not the rate's VAT of the base",
         TypedVAT(Document({Typed(Line(kAccountLine, "602", 100.00, 20), 80.00, 16.01),
                            Typed(Line(kAccountLine, "602", 10.03, 20), 10.03, 2.00)})),
         {{"602", 11003}, {"4531", 1801}, {"401", -12804}},
         -12804,
         {{9003, 1801}}},
        {"a typed VAT on a line of 0 % is kept as typed",
         TypedVAT(Document({Typed(Line(kAccountLine, "602", 50.00, 0), 50.00, 3.00)})),
         {{"602", 5000}, {"4531", 300}, {"401", -5300}},
         -5300,
         {{5000, 300}}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const TLedgerPosting posting = PostPurchaseLedgers(c.Doc, ChartAccounts());
        ASSERT_EQ(posting.RefusalKey, "");
        EXPECT_EQ(posting.Entries.Imbalance(), 0);
        EXPECT_EQ(Balances(posting.Entries), c.GL);
        ASSERT_EQ(posting.Entries.Vendor.size(), 1u);
        EXPECT_EQ(posting.Entries.Vendor[0].Amount, c.VendorAmount);
        std::vector<std::pair<int64_t, int64_t>> vat;
        for (const TVATEntry& e : posting.Entries.VAT) vat.push_back({e.Base, e.Amount});
        std::sort(vat.begin(), vat.end());
        std::vector<std::pair<int64_t, int64_t>> expected = c.VAT;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(vat, expected);
    }
}

TEST(PurchaseLedgerPosting, ForeignCurrencyKeepsTheDocumentAmountsBeside) {
    const TLedgerPosting posting =
        PostPurchaseLedgers(InUSD(Document({Line(kItemLine, "1001", 10.01, 20), Line(kItemLine, "1002", 20.01, 20),
                                            Line(kAccountLine, "602", 30.01, 20)}),
                                  1.7),
                            ChartAccounts());
    const TDocumentAmounts& a = posting.Amounts;
    EXPECT_EQ(std::vector<int64_t>({a.TotalValue, a.VATValue, a.TotalVAT}), std::vector<int64_t>({6003, 1201, 7204}));
    EXPECT_EQ(std::vector<int64_t>({a.TotalValueLCY, a.VATValueLCY, a.TotalVATLCY}),
              std::vector<int64_t>({10205, 2042, 12247}));
    EXPECT_EQ(a.LineValueLCY, std::vector<int64_t>({1702, 3402, 5101})) << "51.02 takes the cent: 102.06 vs 102.05";
    EXPECT_EQ(posting.Entries.Vendor[0].AmountACY, -7204);
    int64_t debitACY = 0;
    for (const TGLEntry& e : posting.Entries.GL) debitACY += e.Amount > 0 ? e.AmountACY : 0;
    EXPECT_EQ(debitACY, 7204);
}

TEST(PurchaseLedgerPosting, ItemEntriesCarryBaseQuantitiesAndCostsWithAssignedCharges) {
    TPostingDocument doc = Document({Line(kItemLine, "1001", 30.00, 20), Line(kItemLine, "1002", 90.00, 20),
                                     Line(kItemChargeLine, "TRANSPORT", 10.01, 20)});
    doc.Lines[0].QuantityBase = 24;
    doc.Lines[1].QuantityBase = 6;
    doc.Charges = {{doc.Lines[2].Id, doc.Lines[0].Id, 1}, {doc.Lines[2].Id, doc.Lines[1].Id, 1}};
    const TLedgerPosting posting = PostPurchaseLedgers(doc, ChartAccounts());
    ASSERT_EQ(posting.RefusalKey, "");
    ASSERT_EQ(posting.Entries.Items.size(), 2u);
    EXPECT_EQ(posting.Entries.Items[0].Quantity, 24);
    EXPECT_EQ(posting.Entries.Items[0].CostAmount, 3501) << "the odd cent of 10.01 halved";
    EXPECT_EQ(posting.Entries.Items[1].CostAmount, 9500);
    EXPECT_EQ(Balances(posting.Entries), (std::map<std::string, int64_t>{{"304", 13001}, {"4531", 2600}, {"401", -15601}}));

    doc.Charges.clear();
    EXPECT_EQ(Balances(PostPurchaseLedgers(doc, ChartAccounts()).Entries).at("602"), 1001)
        << "an unassigned charge is an expense of the general posting setup";
}

TEST(PurchaseLedgerPosting, AFutureCostWaitsOnDeferredCostsAndMovesPeriodByPeriod) {
    TPostingDocument doc = Document({Line(kAccountLine, "603", 100.00, 20)});
    const TDateTime april = TDateTime::FromDate(2026, 4, 30), may = TDateTime::FromDate(2026, 5, 31),
                    june = TDateTime::FromDate(2026, 6, 30);
    doc.FutureCosts = {{doc.Lines[0].Id, april, 1}, {doc.Lines[0].Id, may, 1}, {doc.Lines[0].Id, june, 1}};
    const TLedgerPosting posting = PostPurchaseLedgers(doc, ChartAccounts());
    ASSERT_EQ(posting.RefusalKey, "");
    std::map<std::pair<std::string, double>, int64_t> byDate;
    for (const TGLEntry& e : posting.Entries.GL) byDate[{e.Account, e.PostingDate.Serial()}] += e.Amount;
    EXPECT_EQ(byDate.at({"490", doc.PostingDate.Serial()}), 10000);
    EXPECT_EQ(byDate.at({"603", april.Serial()}), 3334);
    EXPECT_EQ(byDate.at({"603", may.Serial()}), 3333);
    EXPECT_EQ(byDate.at({"490", june.Serial()}), -3333);
    EXPECT_EQ(Balances(posting.Entries), (std::map<std::string, int64_t>{{"603", 10000}, {"4531", 2000}, {"401", -12000}}));
}

TEST(PurchaseLedgerPosting, AMissingSetupIsRefusedByItsKeyWithNothingToWrite) {
    const struct {
        const char* Name;
        TPostingDocument Doc;
        const char* Key;
    } cases[] = {
        {"vendor posting group", [] {
             TPostingDocument doc = Document({Line(kAccountLine, "602", 1, 20)});
             doc.CntrPostingGroup = "NONE";
             return doc;
         }(), "err_PostNoPayablesAccount"},
        {"inventory posting setup", [] {
             TPostingLine line = Line(kItemLine, "1001", 1, 20);
             line.GenProdPostGroup = "NONE";
             return Document({line});
         }(), "err_PostNoInventoryAccount"},
        {"VAT posting setup", Document({Line(kAccountLine, "602", 1, 20, "NONE")}), "err_PostNoVATAccount"},
        {"charge assigned to a service", [] {
             TPostingDocument doc = Document({Line(kAccountLine, "602", 1, 20), Line(kItemChargeLine, "T", 1, 20)});
             doc.Charges = {{doc.Lines[1].Id, doc.Lines[0].Id, 1}};
             return doc;
         }(), "err_PostChargeAssignment"},
        {"cash without a cash account", [] {
             TPostingDocument doc = Paid(Document({Line(kAccountLine, "602", 1, 20)}));
             return doc;
         }(), "err_PostNoPaymentAccount"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPostingAccounts accounts = ChartAccounts();
        if (std::string(c.Key) == "err_PostNoPaymentAccount") accounts.DirectPayment.clear();
        const TLedgerPosting posting = PostPurchaseLedgers(c.Doc, accounts);
        EXPECT_EQ(posting.RefusalKey, c.Key);
        EXPECT_TRUE(posting.Entries.GL.empty() && posting.Entries.Vendor.empty() && posting.Entries.Items.empty());
    }
}

TEST(PurchaseLedgerPosting, TheStornoReversesEveryEntryOnTheAnnulmentDate) {
    TPostingDocument doc = InUSD(Document({Line(kItemLine, "1001", 12.34, 20), Line(kAccountLine, "602", 5.55, 9)}), 1.1);
    const TLedgerPosting posting = PostPurchaseLedgers(doc, ChartAccounts());
    const TDateTime annulled = TDateTime::FromDate(2026, 4, 2);
    const TLedgerEntries storno = Storno(posting.Entries, annulled);
    TLedgerEntries both = posting.Entries;
    both.GL.insert(both.GL.end(), storno.GL.begin(), storno.GL.end());
    EXPECT_EQ(storno.Imbalance(), 0);
    EXPECT_TRUE(Balances(both).empty());
    ASSERT_EQ(storno.Items.size(), 1u);
    EXPECT_EQ(storno.Items[0].Quantity, -1);
    EXPECT_EQ(storno.Items[0].CostAmount, -posting.Entries.Items[0].CostAmount);
    EXPECT_EQ(storno.Vendor[0].Amount, -posting.Entries.Vendor[0].Amount);
    EXPECT_EQ(storno.Vendor[0].Remaining, 0);
    EXPECT_EQ(storno.VAT[1].Amount, -posting.Entries.VAT[1].Amount);
    for (const TGLEntry& e : storno.GL) EXPECT_EQ(e.PostingDate, annulled);
}

TEST(PurchaseLedgerPosting, AProtocolChargesOurselvesTheVATAgainstTheTransitAccount) {
    const struct {
        const char* Name;
        TPostingDocument Doc;
        bool CreditMemo;
        const char* Transit;
        std::map<std::string, int64_t> GL;
        int64_t VAT;       // the sum of the VAT entries
        int64_t ItemCost;  // the cost put onto item lines, without any quantity
        const char* Refusal;
    } cases[] = {
        {"VAT at two rates, each on its whole base",
         Document({Line(kItemLine, "1001", 10.03, 20), Line(kItemLine, "1002", 10.03, 20), Line(kAccountLine, "602", 6.00, 9)}),
         false, "4539", {{"4531", 401 + 54}, {"4539", -455}}, 455, 0, ""},
        {"a credit memo protocol takes the VAT back", Document({Line(kAccountLine, "602", 100.00, 20)}), true, "4539",
         {{"4531", -2000}, {"4539", 2000}}, -2000, 0, ""},
        {"VAT not deducted goes into the cost of the item", Document({NotDeducted(Line(kItemLine, "1001", 50.00, 20))}),
         false, "4539", {{"304", 1000}, {"4539", -1000}}, 1000, 1000, ""},
        {"without a transit account the VAT setup's charged account", Document({Line(kAccountLine, "602", 10.00, 20)}),
         false, "", {{"4531", 200}, {"4532", -200}}, 200, 0, ""},
        {"without any account to charge", Document({Line(kAccountLine, "602", 10.00, 20, "NONE")}), false, "", {}, 0, 0,
         "err_PostNoVATAccount"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TPostingAccounts accounts = ChartAccounts();
        accounts.ProtocolTransit = c.Transit;
        const TLedgerPosting posting = PostProtocolLedgers(c.Doc, accounts, c.CreditMemo);
        EXPECT_EQ(posting.RefusalKey, c.Refusal);
        EXPECT_EQ(posting.Entries.Imbalance(), 0);
        EXPECT_EQ(Balances(posting.Entries), c.GL);
        EXPECT_TRUE(posting.Entries.Vendor.empty()) << "a protocol owes the vendor nothing";
        int64_t vat = 0, cost = 0;
        for (const TVATEntry& e : posting.Entries.VAT) vat += e.Amount;
        for (const TItemEntry& e : posting.Entries.Items) {
            EXPECT_EQ(e.Quantity, 0) << "no stock is received";
            cost += e.CostAmount;
        }
        EXPECT_EQ(vat, c.VAT);
        EXPECT_EQ(cost, c.ItemCost);
    }
}

// Goods from another EU country: the invoice deducts the VAT and leaves it on the transit
// account; the protocol made from it charges it from there, and deducts nothing again.
TEST(PurchaseLedgerPosting, AnEUAcquisitionsVATIsDeductedOnceAndChargedByItsProtocol) {
    TPostingAccounts accounts = ChartAccounts();
    accounts.ProtocolTransit = "4539";
    const TLedgerPosting invoice = PostPurchaseLedgers(Document({Line(kItemLine, "1001", 100.00, 20, "EU", 2)}), accounts);
    EXPECT_EQ(Balances(invoice.Entries),
              (std::map<std::string, int64_t>{{"304", 10000}, {"4531", 2000}, {"4539", -2000}, {"401", -10000}}));
    TPostingDocument protocol = Document({Line(kItemLine, "1001", 100.00, 20)});
    protocol.ChargesReverseCharge = true;
    const TLedgerPosting charged = PostProtocolLedgers(protocol, accounts, false);
    EXPECT_EQ(Balances(charged.Entries), (std::map<std::string, int64_t>{{"4539", 2000}, {"4532", -2000}}));
    ASSERT_EQ(charged.Entries.VAT.size(), 1u);
    EXPECT_EQ(charged.Entries.VAT[0].Amount, 2000) << "the protocol's VAT entry stays for the VAT ledgers";
}

TEST(PurchaseLedgerPosting, AnUnbalancedTransactionShowsItsDifference) {
    TLedgerEntries entries;
    for (const auto& [account, amount] : {std::pair{"304", 1000}, {"4531", 200}, {"401", -1201}}) {
        entries.GL.emplace_back();
        entries.GL.back().Account = account;
        entries.GL.back().Amount = amount;
    }
    EXPECT_EQ(entries.Imbalance(), -1);
}

}  // namespace
}  // namespace tavrek::testing
