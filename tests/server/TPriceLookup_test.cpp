#include "server/TPriceLookup.h"

#include <gtest/gtest.h>

#include "support/SqliteFixture.h"

namespace tavrek::testing {
namespace {

class PriceLookupTest : public SqliteFixture {};

struct TPriceCase {
    const char* Name;
    const char* Vendor;
    const char* Code;
    const char* Measure;
    const char* Currency;
    double Factor;
    int PriceIncludingVAT;
    double Quantity;
    double QuantityBase;
    TDateTime Date;
    int Result;
    double Price;
    double Discount;
    bool AllowInvoiceDisc;
};

// The request as the purchase editors build it: two zeros, vendor, item, unit, currency,
// VAT business group, price flag, subtype, quantity, date, base quantity, VAT product
// group, factor, item kind, empty text, business group, null.
TVariantArray Request(const TPriceCase& c, const char* vatProduct) {
    return {0, 0, c.Vendor, c.Code, c.Measure, c.Currency, "DOM", c.PriceIncludingVAT, "520", c.Quantity, c.Date,
            c.QuantityBase, vatProduct, c.Factor, 1, "", "BG-SOF", Variant()};
}

TEST_F(PriceLookupTest, VendorPricesAndDiscountsComeInTheDocumentsTerms) {
    const TDateTime march = TDateTime::FromDate(2026, 3, 15);
    const double usdMarch = 0.89003;
    const TPriceCase cases[] = {
        {"base unit, vendor-wide discount", "V01", "1001", "PCS", "", 1, 0, 1, 1, march, 0, 1.05, 2, true},
        {"quantity break from a pack on", "V01", "1001", "PCS", "", 1, 0, 10, 10, march, 0, 1.00, 2, true},
        {"one below the break", "V01", "1001", "PCS", "", 1, 0, 9, 9, march, 0, 1.05, 2, true},
        {"priced per pack of ten", "V01", "1001", "BOX", "", 1, 0, 1, 10, march, 0, 10.00, 2, true},
        {"price with VAT", "V01", "1001", "PCS", "", 1, 1, 1, 1, march, 0, 1.26, 2, true},
        {"document in leva, dated before the euro", "V01", "1001", "PCS", "BGN", 1 / 1.95583, 0, 1, 1,
         TDateTime::FromDate(2025, 12, 15), 0, 1.05 * 1.95583, 2, true},
        {"euro vendor, document in our own euro", "V11", "1043", "KG", "", 1, 0, 1, 1, march, 0, 9.90, 0, true},
        {"dollar vendor at the month's rate", "V12", "1047", "PCS", "", 1, 0, 1, 1, march, 0, 1.40 * usdMarch, 0, true},
        {"dollar vendor, dollar document", "V12", "1047", "PCS", "USD", usdMarch, 0, 1, 1, march, 0, 1.40, 0, true},
        {"item discount from 50 up", "V02", "1005", "PCS", "", 1, 0, 50, 50, march, 0, 1.35, 5, false},
        {"below the item discount", "V02", "1005", "PCS", "", 1, 0, 49, 49, march, 0, 1.35, 0, true},
        {"dated discount on its last day", "V08", "1032", "PCS", "", 1, 0, 1, 1, TDateTime::FromDate(2026, 1, 31), 0,
         7.40, 10, true},
        {"dated discount over", "V08", "1032", "PCS", "", 1, 0, 1, 1, TDateTime::FromDate(2026, 2, 1), 0, 7.40, 0, true},
        {"price before it starts", "V01", "1001", "PCS", "", 1, 0, 1, 1, TDateTime::FromDate(2024, 12, 31), 1, 0, 0, false},
        {"vendor without a price for the item", "V02", "1001", "PCS", "", 1, 0, 1, 1, march, 1, 0, 0, false},
        {"unknown item", "V01", "9999", "PCS", "", 1, 0, 1, 1, march, 1, 0, 0, false},
        {"no vendor", "", "1001", "PCS", "", 1, 0, 1, 1, march, 1, 0, 0, false},
    };
    for (const TPriceCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TItemParams params;
        ASSERT_EQ(Server().GetItemPriceAndDiscount(Request(c, "VAT20"), params), c.Result);
        if (c.Result != 0) continue;
        EXPECT_NEAR(params.Price, c.Price, 1e-9);
        EXPECT_DOUBLE_EQ(params.Discount, c.Discount);
        EXPECT_EQ(params.AllowInvoiceDisc, c.AllowInvoiceDisc);
    }
    TItemParams params;
    EXPECT_THROW(Server().GetItemPriceAndDiscount({0, 0, "V01", "1001"}, params), std::invalid_argument);
}

TEST_F(PriceLookupTest, CurrencyRatesAtADate) {
    const std::tuple<const char*, TDateTime, double> cases[] = {
        {"", TDateTime::FromDate(2026, 3, 15), 1.0},
        {"EUR", TDateTime::FromDate(2026, 3, 15), 1.0},
        {"BGN", TDateTime::FromDate(2020, 1, 1), 1 / 1.95583},
        {"USD", TDateTime::FromDate(2025, 1, 1), 0.92},
        {"USD", TDateTime::FromDateTime(2026, 2, 28, 23, 59, 0), 0.89213},
        {"USD", TDateTime::FromDate(2026, 3, 1), 0.89003},
        {"USD", TDateTime::FromDate(2024, 12, 31), 0.0},
        {"XYZ", TDateTime::FromDate(2026, 3, 15), 0.0},
    };
    for (const auto& [currency, date, factor] : cases) {
        SCOPED_TRACE(std::string(currency) + " " + date.ToIsoString());
        EXPECT_DOUBLE_EQ(Server().GetCurrencyRate(currency, date, 1), factor);
    }
}

}  // namespace
}  // namespace tavrek::testing
