#include <gtest/gtest.h>

#include "reports/uVATLedgerRows.h"

namespace tavrek {
namespace {

using namespace uVATLedgerRows;

TVATLedgerSource Invoice() {
    TVATLedgerSource s;
    s.DocumentType = 6;
    s.SubDocumentType = 1;
    s.VendorDocumentNo = "0000050001";
    s.DocumentDate = TDateTime::FromDate(2026, 11, 5);
    s.VendorName = "Мелница Добруджа ООД";
    s.VendorVATNo = "BG200107919";
    s.VendorBulstat = "200107919";
    return s;
}

struct TTypeCase {
    const char* Name;
    int DocumentType, SubDocumentType;
    bool CreditSide, Global, ReverseCharge, Import;
    const char* Type;
};

TEST(VATLedgerRows, EachPostedKindEntersAsItsDocumentType) {
    const TTypeCase cases[] = {
        {"invoice", 6, 1, false, false, false, false, "01"},
        {"debit memo", 6, 12, false, false, false, false, "02"},
        {"credit memo", 13, 11, true, false, false, false, "03"},
        {"acquisition from the EU: its protocol enters", 6, 1, false, false, true, false, ""},
        {"protocol of it", 6, 40, false, true, true, false, "09"},
        {"protocol of a credit memo", 13, 41, true, true, true, false, "09"},
        {"protocol with no subtype", 6, 0, false, true, true, false, "09"},
        {"global invoice", 8, 3, false, true, false, false, "01"},
        {"global credit memo", 17, 15, true, true, false, false, "03"},
        {"import", 6, 1, false, false, false, true, "07"},
    };
    for (const TTypeCase& c : cases) {
        TVATLedgerSource s = Invoice();
        s.DocumentType = c.DocumentType;
        s.SubDocumentType = c.SubDocumentType;
        s.CreditSide = c.CreditSide;
        s.Global = c.Global;
        s.ReverseCharge = c.ReverseCharge;
        s.Import = c.Import;
        EXPECT_EQ(LedgerDocumentType(s), c.Type) << c.Name;
    }
}

struct TProblemCase {
    const char* Name;
    const char* Type;
    const char* Number;
    const char* VendorNumber;
    const char* Country;
    TDateTime Date;
    const char* Problem;
};

TEST(VATLedgerRows, ADocumentThatCannotEnterSaysWhy) {
    const TDateTime inPeriod = TDateTime::FromDate(2026, 11, 30);
    const TProblemCase cases[] = {
        {"as it should be", "01", "0000050001", "BG200107919", "", inPeriod, ""},
        {"nine digits", "01", "000050001", "BG200107919", "", inPeriod, "err_VATLedgerNumberNotTenDigits"},
        {"letters", "03", "CN-0000912", "BG200107919", "", inPeriod, "err_VATLedgerNumberNotTenDigits"},
        {"a foreign vendor's own number", "01", "RE-2026-5001", "DE200187109", "", inPeriod, ""},
        {"a protocol takes our number", "09", "0000000001", "DE200187109", "", inPeriod, ""},
        {"no vendor number", "01", "0000050001", "", "", inPeriod, "err_VATLedgerNoVendorNumber"},
        {"no number", "07", "", "BG200107919", "", inPeriod, "err_VATLedgerNoDocumentNo"},
        {"dated the next month", "01", "0000050001", "BG200107919", "", TDateTime::FromDate(2026, 12, 1),
         "err_VATLedgerDateAfterPeriod"},
        {"twelve periods back", "01", "0000050001", "BG200107919", "", TDateTime::FromDate(2025, 11, 1), ""},
        {"thirteen periods back", "02", "0000050001", "BG200107919", "", TDateTime::FromDate(2025, 10, 31),
         "err_VATLedgerDateTooOld"},
        {"a credit note of long ago", "03", "0000050001", "BG200107919", "", TDateTime::FromDate(2024, 1, 5), ""},
        {"a vendor of another country", "01", "77-1", "ATU12345678", "AT", inPeriod, ""},
    };
    for (const TProblemCase& c : cases) {
        TVATLedgerSource s = Invoice();
        s.VendorVATNo = c.VendorNumber;
        s.VendorCountry = c.Country;
        TVATLedgerRecord r{c.Type, c.Number, c.Date, c.VendorNumber, s.VendorName, "", {}, ""};
        EXPECT_EQ(ProblemOf(s, r, 202611), c.Problem) << c.Name;
    }
}

struct TCurrencyCase {
    const char* Name;
    int Period;
    const char* Local;
    const char* Currency;
    double LocalBase, ForeignBase;
    int64_t Base;
};

// The period's currency is taken as the document has it, else as the books have it, else
// converted at the fixed rate amount by amount.
TEST(VATLedgerRows, AmountsAreInThePeriodsCurrency) {
    const TCurrencyCase cases[] = {
        {"leva document, leva period, euro books", 202511, "EUR", "BGN", 23.77, 46.50, 4650},
        {"euro document, leva period, euro books", 202511, "EUR", "EUR", 22.80, 22.80, 4459},
        {"euro books in a euro period", 202611, "EUR", "", 22.80, 22.80, 2280},
        {"leva document in a euro period", 202601, "EUR", "BGN", 23.77, 46.50, 2377},
        {"leva books in a euro period", 202601, "BGN", "", 46.50, 46.50, 2378},
        {"dollar document, leva books, leva period", 202511, "BGN", "USD", 46.50, 25.10, 4650},
    };
    for (const TCurrencyCase& c : cases) {
        TVATLedgerSource s = Invoice();
        s.Currency = c.Currency;
        s.Local[1] = c.LocalBase;
        s.Foreign[1] = c.ForeignBase;
        EXPECT_EQ(LedgerAmounts(s, c.Period, c.Local).FullBase, c.Base) << c.Name;
    }
}

TEST(VATLedgerRows, AnnulledWithinThePeriodLeavesNoRowAndNinesStandForAForeignerWithoutNumbers) {
    TVATLedgerSource annulled = Invoice();
    annulled.Annulled = true;
    TVATLedgerSource foreign = Invoice();
    foreign.VendorVATNo.clear();
    foreign.VendorBulstat.clear();
    foreign.VendorCountry = "US";
    foreign.Local[1] = 10;
    const std::vector<TVATLedgerEntry> entries = LedgerEntries({annulled, foreign}, 202611, "EUR");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Record.VendorNumber, "999999999999999");
    EXPECT_EQ(entries[0].ProblemKey, "");
    EXPECT_EQ(ParsePeriod("202613"), 0);
    EXPECT_EQ(ParsePeriod("2026-1"), 0);
    EXPECT_EQ(ParsePeriod("202601"), 202601);
}

}  // namespace
}  // namespace tavrek
