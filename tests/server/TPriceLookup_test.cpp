#include "server/TPriceLookup.h"

#include <gtest/gtest.h>

#include "support/GoldenTable.h"
#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class PriceLookupTest : public SqliteFixture {};

// The request as the purchase editors build it: two zeros, vendor, item, unit, currency,
// VAT business group, price flag, subtype, quantity, date, base quantity, VAT product
// group, factor, item kind, empty text, business group, null.
TVariantArray Request(const TGoldenCase& c) {
    const std::string currency = c.Text("Currency");
    const double factor = currency == "BGN" ? 1 / 1.95583 : currency == "USD" ? 0.89003 : 1;
    const double quantity = c.Has("Quantity") ? c.Number("Quantity") : 1;
    return {0, 0, c.Text("Vendor"), c.Text("Code"), c.Text("Measure"), currency, "DOM", c.Int("PriceIncludingVAT"), "520",
            quantity, c.Has("Date") ? c["Date"].AsDateTime() : TDateTime::FromDate(2026, 3, 15),
            c.Has("QuantityBase") ? c.Number("QuantityBase") : quantity, "VAT20", factor, 1, "", "BG-SOF", Variant()};
}

TEST_F(PriceLookupTest, VendorPricesAndDiscountsComeInTheDocumentsTerms) {
    for (const TGoldenCase& c : ReadGoldenCases("server/price_lookup.txt")) {
        SCOPED_TRACE(c.Name);
        TItemParams params;
        ASSERT_EQ(Server().GetItemPriceAndDiscount(Request(c), params), c.Int("Result"));
        if (c.Int("Result") != 0) continue;
        EXPECT_NEAR(params.Price, c.Number("Price"), 1e-9);
        EXPECT_DOUBLE_EQ(params.Discount, c.Number("Discount"));
        EXPECT_EQ(params.AllowInvoiceDisc, c["AllowInvoiceDisc"].AsBoolean());
    }
    TItemParams params;
    EXPECT_THROW(Server().GetItemPriceAndDiscount({0, 0, "V01", "1001"}, params), std::invalid_argument);
}

TEST_F(PriceLookupTest, CurrencyRatesAtADate) {
    for (const TGoldenCase& c : ReadGoldenCases("server/currency_rates.txt"))
        EXPECT_DOUBLE_EQ(Server().GetCurrencyRate(c.Text("Currency"), c["Date"].AsDateTime(), 1), c.Number("Factor")) << c.Name;
}

}  // namespace
}  // namespace tavrek::testing
