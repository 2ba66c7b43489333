#include "server/posting/TPurchaseLedgerPosting.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "server/posting/PostingTestData.h"
#include "support/GoldenTable.h"

namespace tavrek::testing {
namespace {

using namespace server;

TPostingDocument InUSD(TPostingDocument doc, double factor) {
    doc.CurrencyId = "USD";
    doc.CurrencyFactor = factor;
    return doc;
}

TPostingLine NotDeducted(TPostingLine line) {
    line.VATLedger = kVATLedgerNotDeducted;
    return line;
}

// The document of a case of the ledger posting tables.
TPostingDocument GoldenDocument(const TGoldenCase& c) {
    std::vector<TPostingLine> lines;
    for (const TGoldenRow* row : c.RowsOf("line")) {
        TPostingLine line = Line(static_cast<int>(row->Words[0].AsInteger()), row->Words[1].AsString(), row->Words[2].AsFloat(),
                                 row->Words[3].AsFloat(), row->Has("Bus") ? row->Text("Bus") : "DOM", row->Int("Calculation"));
        if (row->Int("NotDeducted") == 1) line = NotDeducted(line);
        if (row->Has("GenProd")) line.GenProdPostGroup = row->Text("GenProd");
        line.AccountDimension = row->Text("Dimension");
        if (row->Has("Base")) line.VATBaseAmount = row->Number("Base"), line.VATValue = row->Number("VAT");
        lines.push_back(line);
    }
    TPostingDocument doc = Document(lines);
    for (const TGoldenRow* charge : c.RowsOf("charge"))
        doc.Charges.push_back({doc.Lines.at(charge->Words[0].AsInteger() - 1).Id, doc.Lines.at(charge->Words[1].AsInteger() - 1).Id, 1});
    if (c.Has("CntrPostingGroup")) doc.CntrPostingGroup = c.Text("CntrPostingGroup");
    if (c.Has("Currency")) doc = InUSD(doc, c.Number("Factor"));
    doc.PaidAtPosting = c.Int("Paid") == 1;
    doc.TypedVAT = c.Int("TypedVAT") == 1;
    return doc;
}

// The balance of each account a case's "gl" row gives, in cents.
std::map<std::string, int64_t> GoldenBalances(const TGoldenCase& c) {
    std::map<std::string, int64_t> balances;
    for (const auto& [account, cents] : c.Row("gl").Pairs) balances[account] = cents.AsInteger();
    return balances;
}

TEST(PurchaseLedgerPosting, EveryDocumentKindPostsABalancedTransaction) {
    for (const TGoldenCase& c : ReadGoldenCases("server/ledger_posting.txt")) {
        SCOPED_TRACE(c.Name);
        const TLedgerPosting posting = PostPurchaseLedgers(GoldenDocument(c), ChartAccounts());
        ASSERT_EQ(posting.RefusalKey, "");
        EXPECT_EQ(posting.Entries.Imbalance(), 0);
        EXPECT_EQ(Balances(posting.Entries), GoldenBalances(c));
        ASSERT_EQ(posting.Entries.Vendor.size(), 1u);
        EXPECT_EQ(posting.Entries.Vendor[0].Amount, c["Vendor"].AsInteger());
        std::vector<std::pair<int64_t, int64_t>> vat, expected;
        for (const TVATEntry& e : posting.Entries.VAT) vat.push_back({e.Base, e.Amount});
        for (const TGoldenRow* row : c.RowsOf("vat")) expected.push_back({row->Words[0].AsInteger(), row->Words[1].AsInteger()});
        std::sort(vat.begin(), vat.end());
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
    for (const TGoldenCase& c : ReadGoldenCases("server/ledger_posting_refused.txt")) {
        SCOPED_TRACE(c.Name);
        TPostingAccounts accounts = ChartAccounts();
        if (c.Int("NoCashAccount") == 1) accounts.DirectPayment.clear();
        const TLedgerPosting posting = PostPurchaseLedgers(GoldenDocument(c), accounts);
        EXPECT_EQ(posting.RefusalKey, c.Text("Key"));
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
    for (const TGoldenCase& c : ReadGoldenCases("server/protocol_ledger_posting.txt")) {
        SCOPED_TRACE(c.Name);
        TPostingAccounts accounts = ChartAccounts();
        accounts.ProtocolTransit = c.Text("Transit");
        const TLedgerPosting posting = PostProtocolLedgers(GoldenDocument(c), accounts, c.Int("CrMemo") == 1);
        EXPECT_EQ(posting.RefusalKey, c.Text("Refusal"));
        EXPECT_EQ(posting.Entries.Imbalance(), 0);
        EXPECT_EQ(Balances(posting.Entries), GoldenBalances(c));
        EXPECT_TRUE(posting.Entries.Vendor.empty()) << "a protocol owes the vendor nothing";
        int64_t vat = 0, cost = 0;
        for (const TVATEntry& e : posting.Entries.VAT) vat += e.Amount;
        for (const TItemEntry& e : posting.Entries.Items) {
            EXPECT_EQ(e.Quantity, 0) << "no stock is received";
            cost += e.CostAmount;
        }
        EXPECT_EQ(vat, c["VAT"].AsInteger());
        EXPECT_EQ(cost, c["ItemCost"].AsInteger());
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
