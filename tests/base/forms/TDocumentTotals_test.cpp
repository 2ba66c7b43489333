#include <gtest/gtest.h>

#include "base/forms/TDocumentTotals.h"

namespace tavrek {
namespace {

struct TLine {
    double Value, Base, Percent;
};

class DocumentTotalsTest : public ::testing::Test {
protected:
    DocumentTotalsTest() {
        header.AddField("CurrencyFactor", TFieldType::ftFloat);
        header.CreateDataSet();
        header.Append();
        header.FieldByName("CurrencyFactor").SetAsFloat(1.95583);
        header.Post();
        for (const char* field : {"TotalValue", "VATBaseAmount", "VATPercent"}) lines.AddField(field, TFieldType::ftFloat);
        lines.CreateDataSet();
    }

    void Fill(const TLine& line) {
        lines.FieldByName("TotalValue").SetAsFloat(line.Value);
        lines.FieldByName("VATBaseAmount").SetAsFloat(line.Base);
        lines.FieldByName("VATPercent").SetAsFloat(line.Percent);
    }
    void Add(const TLine& line, bool before = false) {
        before ? lines.Insert() : lines.Append();
        Fill(line);
        lines.Post();
    }

    TClientDataSet header{"cdsMaster"};
    TClientDataSet lines{"cdsDetail"};
};

void ExpectSame(const TDocumentTotals::TFigures& kept, const TDocumentTotals::TFigures& fresh) {
    EXPECT_DOUBLE_EQ(kept.Value, fresh.Value);
    EXPECT_DOUBLE_EQ(kept.VAT, fresh.VAT);
    EXPECT_DOUBLE_EQ(kept.GrossLCY, fresh.GrossLCY);
    ASSERT_EQ(kept.Rates.size(), fresh.Rates.size());
    for (size_t i = 0; i < kept.Rates.size(); ++i) EXPECT_DOUBLE_EQ(kept.Rates[i].VAT, fresh.Rates[i].VAT);
}

// VAT is taken once per rate on the rate's base (20 % of 24.06 is 4.81, the lines' own VAT
// would add to 4.82); a line taxed on a base other than its amount is taxed on the base; the
// line being typed counts in what is shown but not in what is stored. Totals kept line by
// line through edits, deletes and inserts equal totals taken afresh.
TEST_F(DocumentTotalsTest, FollowsEveryChangedLineAsATakingAfreshWouldSumThem) {
    TDocumentTotals totals(header, lines);
    for (const TLine& line : {TLine{8.23, 8.23, 20}, TLine{15.83, 15.83, 20}, TLine{33.0, 33.0, 9}}) Add(line);
    TDocumentTotals::TFigures figures = totals.Figures();
    EXPECT_DOUBLE_EQ(figures.Value, 57.06);
    ASSERT_EQ(figures.Rates.size(), 2u);
    EXPECT_DOUBLE_EQ(figures.Rates[0].VAT, 4.81);
    EXPECT_DOUBLE_EQ(figures.Rates[1].VAT, 2.97);
    EXPECT_DOUBLE_EQ(figures.Gross, 64.84);
    EXPECT_DOUBLE_EQ(figures.ValueLCY, 111.60);
    EXPECT_DOUBLE_EQ(figures.VATLCY, 15.22);

    lines.Append();
    Fill({10.0, 10.0, 20});
    EXPECT_DOUBLE_EQ(totals.Figures().Gross, 76.84) << "the line being typed";
    EXPECT_DOUBLE_EQ(totals.StoredFigures().Gross, 64.84);
    lines.Cancel();

    lines.First();
    lines.Next();
    lines.Delete();
    lines.First();
    lines.Edit();
    Fill({8.23, 5.0, 9});
    lines.Post();
    Add({1.0, 1.0, 0}, true);
    figures = totals.Figures();
    EXPECT_DOUBLE_EQ(figures.Value, 42.23);
    ASSERT_EQ(figures.Rates.size(), 2u) << "no 20 % line is left";
    EXPECT_DOUBLE_EQ(figures.Rates[0].VAT, 3.42) << "9 % of 33.00 and of the base 5.00";
    ExpectSame(figures, TDocumentTotals(header, lines).Figures());
}

}  // namespace
}  // namespace tavrek
