// Random documents posted and half of them annulled: whatever the lines, rates, currencies
// and discounts, the books must stay whole.
#include <gtest/gtest.h>

#include <random>

#include "base/util/Utils.h"
#include "server/posting/PostingTestData.h"
#include "server/posting/TPurchaseLedgerPosting.h"

namespace tavrek::testing {
namespace {

using namespace server;

class TRandomDocuments {
public:
    TPostingDocument Next() {
        std::vector<TPostingLine> lines;
        const int count = Uniform(1, 12);
        for (int i = 0; i < count; ++i) lines.push_back(RandomLine());
        TPostingDocument doc = Document(std::move(lines));
        doc.Id = "D" + std::to_string(++documents_);
        doc.PaidAtPosting = Uniform(0, 9) == 0;
        if (Uniform(0, 2) == 0) {
            doc.CurrencyId = Uniform(0, 1) == 0 ? "USD" : "BGN";
            doc.CurrencyFactor = doc.CurrencyId == "BGN" ? 1 / 1.95583 : RoundUp(Real(0.5, 2.5), 5);
        }
        AssignCharges(doc);
        return doc;
    }

private:
    int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
    double Real(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }

    TPostingLine RandomLine() {
        static const double rates[] = {0, 9, 20};
        static const char* buses[] = {"DOM", "DOM", "EU", "IMP"};
        const int type = std::vector<int>{kItemLine, kItemLine, kAccountLine, kItemChargeLine}[Uniform(0, 3)];
        const std::string bus = buses[Uniform(0, 3)];
        const double rate = rates[Uniform(0, 2)];
        const int calculation = bus == "EU" ? 2 : bus == "IMP" ? 3 : rate == 0 ? Uniform(0, 1) * 4 : 0;
        const double quantity = Uniform(1, 400) / 4.0, price = RoundUp(Real(0.01, 250), 2);
        const double discount = Uniform(0, 3) == 0 ? Uniform(1, 30) : 0;
        const double value = RoundUp(RoundUp(quantity * price, 2) * (1 - discount / 100), 2) * (Uniform(0, 19) ? 1 : -1);
        TPostingLine line = Line(type, type == kAccountLine ? "602" : "1001", value, rate, bus, calculation);
        line.QuantityBase = quantity;
        if (Uniform(0, 9) == 0) line.VATLedger = kVATLedgerNotDeducted;
        return line;
    }

    void AssignCharges(TPostingDocument& doc) {
        std::vector<std::string> items;
        for (const TPostingLine& line : doc.Lines)
            if (line.Type == kItemLine) items.push_back(line.Id);
        for (const TPostingLine& line : doc.Lines)
            if (line.Type == kItemChargeLine && !items.empty() && Uniform(0, 1))
                for (const std::string& item : items) doc.Charges.push_back({line.Id, item, Real(0.1, 5)});
    }

    std::mt19937 random_{20260101};
    int documents_ = 0;
};

bool IsStock(const std::string& account) { return account == "304" || account == "302"; }

TEST(PostingProperty, AThousandDocumentsPostedAndHalfAnnulledKeepTheBooksWhole) {
    TRandomDocuments documents;
    std::map<std::string, int64_t> trialBalance;
    int64_t stockCost = 0, openPayables = 0;
    for (int n = 0; n < 1000; ++n) {
        const TPostingDocument doc = documents.Next();
        const TLedgerPosting posting = PostPurchaseLedgers(doc, ChartAccounts());
        ASSERT_EQ(posting.RefusalKey, "") << doc.Id;
        ASSERT_EQ(posting.Entries.Imbalance(), 0) << doc.Id;
        const TDocumentAmounts& a = posting.Amounts;
        int64_t vat = 0, lines = 0;
        for (const TVATEntry& e : posting.Entries.VAT) vat += e.Amount;
        for (int64_t value : a.LineValueLCY) lines += value;
        ASSERT_EQ(vat, a.VATValueLCY) << doc.Id << ": the VAT entries add up to the header";
        ASSERT_EQ(lines, a.TotalValueLCY) << doc.Id << ": the lines add up to the header";
        ASSERT_EQ(a.TotalVATLCY, a.TotalValueLCY + a.VATValueLCY) << doc.Id;

        std::vector<const TLedgerEntries*> written = {&posting.Entries};
        const bool annulled = n % 2 == 1;
        const TLedgerEntries storno = Storno(posting.Entries, doc.PostingDate);
        if (annulled) {
            ASSERT_EQ(storno.Imbalance(), 0) << doc.Id;
            written.push_back(&storno);
        } else {
            openPayables += posting.Entries.Vendor[0].Remaining;
        }
        for (const TLedgerEntries* entries : written) {
            for (const TGLEntry& e : entries->GL) trialBalance[e.Account] += e.Amount;
            for (const TItemEntry& e : entries->Items) stockCost += e.CostAmount;
        }
    }
    int64_t total = 0, stock = 0;
    for (const auto& [account, balance] : trialBalance) {
        total += balance;
        if (IsStock(account)) stock += balance;
    }
    EXPECT_EQ(total, 0) << "the trial balance";
    EXPECT_EQ(stock, stockCost) << "the item entries against the inventory accounts";
    EXPECT_EQ(trialBalance["401"], openPayables) << "the vendor entries against the payables account";
    EXPECT_NE(openPayables, 0);
}

}  // namespace
}  // namespace tavrek::testing
