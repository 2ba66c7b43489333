#include <gtest/gtest.h>

#include "reports/uVATLedgerLayout.h"

namespace tavrek {
namespace {

using namespace uVATLedgerLayout;

struct TAmountCase {
    int64_t Cents;
    const char* Field;
};

// The sign sits right before the digits; cents keep their leading zero; no thousands mark.
TEST(VATLedgerLayout, AmountsAreFifteenWideWithTheSignBeforeTheDigits) {
    const TAmountCase cases[] = {{0, "           0.00"},       {5, "           0.05"},
                                 {-2000, "         -20.00"},   {-7, "          -0.07"},
                                 {123456789012, "  1234567890.12"}, {-1234567890123, "-12345678901.23"}};
    for (const TAmountCase& c : cases) EXPECT_EQ(AmountField(c.Cents), c.Field) << c.Cents;
}

struct TTextCase {
    const char* Utf8;
    size_t Width;
    const char* Bytes;
};

TEST(VATLedgerLayout, TextIsWindows1251PaddedAndCutToItsWidth) {
    const TTextCase cases[] = {
        {"Мед", 5, "\xCC\xE5\xE4  "},                 // Cyrillic one byte each, then spaces
        {"ООД\r\nСофия\t1", 12, "\xCE\xCE\xC4  \xD1\xEE\xF4\xE8\xFF 1"},  // line breaks and tabs as spaces
        {"Müller GmbH", 8, "Muller G"},               // transliterated, then cut
        {"№ 5", 3, "\xB9 5"},                         // the numero sign is in the code page
        {"", 3, "   "},
    };
    for (const TTextCase& c : cases) EXPECT_EQ(TextField(c.Utf8, c.Width), std::string(c.Bytes)) << c.Utf8;
}

TEST(VATLedgerLayout, LevaAndEuroAreConvertedAmountByAmountToTheCent) {
    EXPECT_EQ(LevaOfEuro(2280), 4459);   // 44.592924
    EXPECT_EQ(LevaOfEuro(-76), -149);    // -1.4864308, away from zero
    EXPECT_EQ(EuroOfLeva(4459), 2280);   // 22.7985...
    EXPECT_EQ(EuroOfLeva(100), 51);      // 0.51129...
    EXPECT_FALSE(IsEuroPeriod(202512));
    EXPECT_TRUE(IsEuroPeriod(202601));
}

TEST(VATLedgerLayout, RecordsKeepTheirLengthsAndEndInCrLf) {
    TVATLedgerFiling filing{"BG204123456", "Демо Търговия ЕООД", "202611", "Мария Георгиева", 0, 50};
    TVATLedgerRecord record{"01", "0000050001", TDateTime::FromDate(2026, 11, 5), "BG200107919",
                            "Име, по-дълго от петдесет знака, което се отрязва в края си", "Стоки", {}, ""};
    record.Amounts.FullBase = 4350;
    record.Amounts.FullVAT = 507;
    const std::string file = PokupkiFile(filing, {record, record});
    ASSERT_EQ(file.size(), 2 * (kPokupkiRecordLength + 2));
    EXPECT_EQ(file.substr(kPokupkiRecordLength, 2), "\r\n");
    EXPECT_EQ(file.substr(15, 6), "202611");                 // the period after the VAT number
    EXPECT_EQ(file.substr(kPokupkiRecordLength + 2 + 25, 15), "              2");
    EXPECT_EQ(file.substr(62, 10), "05/11/2026");
    const std::string deklar = DeklarFile(filing, DeclarationCells(filing, {record}));
    ASSERT_EQ(deklar.size(), kDeklarRecordLength + 2);
    EXPECT_EQ(deklar.substr(466, 4), "0.50");
}

struct TCellsCase {
    int64_t FullVAT, PartialVAT, Adjustment;
    int ProRata;
    int64_t Cell40, Cell50, Cell60;
};

// Cell 40 = 41 + 42 x 33 + 43, the product rounded to the cent; with no sales, a credit is
// to be refunded and a negative one paid.
TEST(VATLedgerLayout, DeclarationCellsFollowTheCredit) {
    const TCellsCase cases[] = {
        {2887, 0, 0, 0, 2887, 0, 2887},
        {1000, 333, 0, 50, 1167, 0, 1167},    // 3.33 x 0.50 = 1.665 -> 1.67
        {0, 0, -500, 100, -500, 500, 0},
        {100, 999, 0, 100, 1099, 0, 1099},
    };
    for (const TCellsCase& c : cases) {
        TVATLedgerRecord record;
        record.Amounts.FullVAT = c.FullVAT;
        record.Amounts.PartialVAT = c.PartialVAT;
        record.Amounts.Adjustment = c.Adjustment;
        TVATLedgerFiling filing;
        filing.ProRata = c.ProRata;
        const TVATDeclarationCells cells = DeclarationCells(filing, {record});
        EXPECT_EQ(cells.Cell40, c.Cell40) << c.FullVAT << "/" << c.PartialVAT;
        EXPECT_EQ(cells.Cell50, c.Cell50);
        EXPECT_EQ(cells.Cell60, c.Cell60);
    }
}

}  // namespace
}  // namespace tavrek
