#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/data/TDateTime.h"

namespace tavrek {

// The purchase ledger's amount columns of one document, in cents of the ledger's currency.
struct TVATLedgerAmounts {
    int64_t NoCredit = 0;       // column 09: base and VAT without a right to credit
    int64_t FullBase = 0;       // column 10
    int64_t FullVAT = 0;        // column 11
    int64_t PartialBase = 0;    // column 12
    int64_t PartialVAT = 0;     // column 13
    int64_t Adjustment = 0;     // column 14
    int64_t Triangular = 0;     // column 15

    TVATLedgerAmounts& operator+=(const TVATLedgerAmounts& other);
    bool IsZero() const;
};

// One record of the purchase ledger as the revenue agency reads it.
struct TVATLedgerRecord {
    std::string DocumentType;   // "01" invoice, "02" debit note, "03" credit note, "07", "09"
    std::string DocumentNo;
    TDateTime DocumentDate;
    std::string VendorNumber;   // VAT number, else ЕИК, else the foreigner's nines
    std::string VendorName;
    std::string Description;
    TVATLedgerAmounts Amounts;
    std::string Code163a;
};

// Who files, for which period: the declaration's own fields.
struct TVATLedgerFiling {
    std::string VATNumber;
    std::string CompanyName;
    std::string Period;         // yyyymm
    std::string FilingPerson;
    int Branch = 0;
    int ProRata = 0;            // cell 33 in hundredths, 0..100
};

// The purchase cells of the declaration.
struct TVATDeclarationCells {
    int64_t Records = 0;
    int64_t Cell30 = 0, Cell31 = 0, Cell41 = 0, Cell32 = 0, Cell42 = 0, Cell43 = 0;
    int ProRata = 0;
    int64_t Cell40 = 0, Cell50 = 0, Cell60 = 0;
};

// The fixed-width files of the monthly VAT filing: POKUPKI.TXT and the purchase part of
// DEKLAR.TXT. Every width, position and convention of the layout lives here and only here.
namespace uVATLedgerLayout {

inline constexpr size_t kPokupkiRecordLength = 274;
inline constexpr size_t kDeklarRecordLength = 590;
// Bulgaria's fixed rate of the lev to the euro, and the first period filed in euro.
inline constexpr double kLevaPerEuro = 1.95583;
inline constexpr int kFirstEuroPeriod = 202601;
// The VAT number written for a foreign vendor who has neither a VAT number nor an ЕИК.
inline constexpr const char* kForeignWithoutNumber = "999999999999999";

// UTF-8 text as Windows-1251 bytes; what the code page lacks is transliterated ("ü" as "u"),
// and what has no transliteration becomes "?".
std::string ToWindows1251(const std::string& utf8);
// A text field: CR, LF and TAB as spaces, encoded, cut to the width, padded with spaces.
std::string TextField(const std::string& utf8, size_t width);
// An amount field of 15: two decimals, "." and the minus sign right before the digits.
std::string AmountField(int64_t cents);
// An integer right-aligned without leading zeros.
std::string IntegerField(int64_t value, size_t width);

// A euro amount of the books in leva, or leva in euro, rounded to the cent on its own.
int64_t LevaOfEuro(int64_t euroCents);
int64_t EuroOfLeva(int64_t levaCents);
// Whether the period (yyyymm) is filed in euro.
bool IsEuroPeriod(int period);

std::string PokupkiRecord(const TVATLedgerFiling& filing, int64_t sequence, const TVATLedgerRecord& record);
// Every record numbered from 1, each ended by CR LF.
std::string PokupkiFile(const TVATLedgerFiling& filing, const std::vector<TVATLedgerRecord>& records);
TVATDeclarationCells DeclarationCells(const TVATLedgerFiling& filing, const std::vector<TVATLedgerRecord>& records);
// The declaration record with the sales cells left at zero, ended by CR LF.
std::string DeklarFile(const TVATLedgerFiling& filing, const TVATDeclarationCells& cells);

}  // namespace uVATLedgerLayout
}  // namespace tavrek
