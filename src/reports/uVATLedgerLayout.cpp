#include "reports/uVATLedgerLayout.h"

#include <iconv.h>
#include <locale.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tavrek {

TVATLedgerAmounts& TVATLedgerAmounts::operator+=(const TVATLedgerAmounts& other) {
    NoCredit += other.NoCredit;
    FullBase += other.FullBase;
    FullVAT += other.FullVAT;
    PartialBase += other.PartialBase;
    PartialVAT += other.PartialVAT;
    Adjustment += other.Adjustment;
    Triangular += other.Triangular;
    return *this;
}

bool TVATLedgerAmounts::IsZero() const {
    return NoCredit == 0 && FullBase == 0 && FullVAT == 0 && PartialBase == 0 && PartialVAT == 0 &&
           Adjustment == 0 && Triangular == 0;
}

namespace uVATLedgerLayout {
namespace {

// iconv transliterates by the rules of the calling thread's character locale; C.UTF-8 has
// them wherever the process itself runs (the C locale would turn every "ü" into "?").
class TTransliteratingLocale {
public:
    TTransliteratingLocale() {
        thread_local const TOwnedLocale utf8;
        if (utf8.Locale != static_cast<locale_t>(0)) previous_ = uselocale(utf8.Locale);
    }
    ~TTransliteratingLocale() {
        if (previous_ != static_cast<locale_t>(0)) uselocale(previous_);
    }
    TTransliteratingLocale(const TTransliteratingLocale&) = delete;
    TTransliteratingLocale& operator=(const TTransliteratingLocale&) = delete;

private:
    // Made once per thread, freed with it.
    struct TOwnedLocale {
        locale_t Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
        TOwnedLocale() = default;
        TOwnedLocale(const TOwnedLocale&) = delete;
        TOwnedLocale& operator=(const TOwnedLocale&) = delete;
        ~TOwnedLocale() {
            if (Locale != static_cast<locale_t>(0)) freelocale(Locale);
        }
    };
    locale_t previous_ = static_cast<locale_t>(0);
};

class TConverter {
public:
    TConverter() : cd_(iconv_open("WINDOWS-1251//TRANSLIT", "UTF-8")) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("Няма преобразуване към Windows-1251");
    }
    ~TConverter() { iconv_close(cd_); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts what it can; a sequence it cannot (invalid UTF-8 or no transliteration) becomes "?".
    std::string Convert(const std::string& text) {
        std::string out;
        char buffer[256];
        char* in = const_cast<char*>(text.data());
        size_t left = text.size();
        while (left > 0) {
            char* target = buffer;
            size_t room = sizeof buffer;
            const size_t done = iconv(cd_, &in, &left, &target, &room);
            out.append(buffer, static_cast<size_t>(target - buffer));
            if (done != static_cast<size_t>(-1) || errno == E2BIG) continue;
            out += '?';
            SkipCharacter(in, left);
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        return out;
    }

private:
    static void SkipCharacter(char*& in, size_t& left) {
        size_t length = 1;
        while (length < left && (static_cast<unsigned char>(in[length]) & 0xC0) == 0x80) ++length;
        in += length;
        left -= length;
    }

    iconv_t cd_;
};

std::string Amounts(const TVATLedgerAmounts& a) {
    return AmountField(a.NoCredit) + AmountField(a.FullBase) + AmountField(a.FullVAT) + AmountField(a.PartialBase) +
           AmountField(a.PartialVAT) + AmountField(a.Adjustment) + AmountField(a.Triangular);
}

std::string ProRataField(int hundredths) {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
    const std::string value = text;
    return std::string(4 - std::min<size_t>(4, value.size()), ' ') + value;
}

// Half away from zero, as every rounding of the books.
int64_t RoundCents(double cents) { return static_cast<int64_t>(std::llround(cents)); }

bool IsAscii(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string ToWindows1251(const std::string& utf8) {
    // ASCII is the same in both; a ledger of many documents converts mostly names and numbers.
    if (IsAscii(utf8)) return utf8;
    const TTransliteratingLocale locale;
    thread_local TConverter converter;
    return converter.Convert(utf8);
}

std::string TextField(const std::string& utf8, size_t width) {
    std::string text = ToWindows1251(utf8);
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    text.resize(width, ' ');
    return text;
}

std::string AmountField(int64_t cents) {
    const int64_t magnitude = cents < 0 ? -cents : cents;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "", static_cast<long long>(magnitude / 100),
                  static_cast<long long>(magnitude % 100));
    return std::string(15 - std::min<size_t>(15, std::string(text).size()), ' ') + text;
}

std::string IntegerField(int64_t value, size_t width) {
    const std::string text = std::to_string(value);
    return std::string(width - std::min(width, text.size()), ' ') + text;
}

int64_t LevaOfEuro(int64_t euroCents) { return RoundCents(static_cast<double>(euroCents) * kLevaPerEuro); }

int64_t EuroOfLeva(int64_t levaCents) { return RoundCents(static_cast<double>(levaCents) / kLevaPerEuro); }

bool IsEuroPeriod(int period) { return period >= kFirstEuroPeriod; }

std::string PokupkiRecord(const TVATLedgerFiling& filing, int64_t sequence, const TVATLedgerRecord& record) {
    return TextField(filing.VATNumber, 15) + TextField(filing.Period, 6) + IntegerField(filing.Branch, 4) +
           IntegerField(sequence, 15) + TextField(record.DocumentType, 2) + TextField(record.DocumentNo, 20) +
           TextField(record.DocumentDate.Format("dd/mm/yyyy"), 10) + TextField(record.VendorNumber, 15) +
           TextField(record.VendorName, 50) + TextField(record.Description, 30) + Amounts(record.Amounts) +
           TextField(record.Code163a, 2);
}

std::string PokupkiFile(const TVATLedgerFiling& filing, const std::vector<TVATLedgerRecord>& records) {
    std::string file;
    file.reserve(records.size() * (kPokupkiRecordLength + 2));
    int64_t sequence = 0;
    for (const TVATLedgerRecord& record : records) file += PokupkiRecord(filing, ++sequence, record) + "\r\n";
    return file;
}

TVATDeclarationCells DeclarationCells(const TVATLedgerFiling& filing, const std::vector<TVATLedgerRecord>& records) {
    TVATLedgerAmounts sum;
    for (const TVATLedgerRecord& record : records) sum += record.Amounts;
    TVATDeclarationCells cells;
    cells.Records = static_cast<int64_t>(records.size());
    cells.Cell30 = sum.NoCredit;
    cells.Cell31 = sum.FullBase;
    cells.Cell41 = sum.FullVAT;
    cells.Cell32 = sum.PartialBase;
    cells.Cell42 = sum.PartialVAT;
    cells.Cell43 = sum.Adjustment;
    cells.ProRata = filing.ProRata;
    cells.Cell40 = cells.Cell41 + RoundCents(static_cast<double>(cells.Cell42) * filing.ProRata / 100.0) + cells.Cell43;
    // The sales ledger is not ours: its cell 20 counts as 0 here.
    constexpr int64_t cell20 = 0;
    const int64_t payable = cell20 - cells.Cell40;
    cells.Cell50 = payable >= 0 ? payable : 0;
    cells.Cell60 = payable < 0 ? -payable : 0;
    return cells;
}

std::string DeklarFile(const TVATLedgerFiling& filing, const TVATDeclarationCells& cells) {
    std::string record = TextField(filing.VATNumber, 15) + TextField(filing.CompanyName, 50) +
                         TextField(filing.Period, 6) + TextField(filing.FilingPerson, 50) + IntegerField(0, 15) +
                         IntegerField(cells.Records, 15);
    for (int salesCell = 0; salesCell < 15; ++salesCell) record += AmountField(0);
    record += AmountField(cells.Cell30) + AmountField(cells.Cell31) + AmountField(cells.Cell41) +
              AmountField(cells.Cell32) + AmountField(cells.Cell42) + AmountField(cells.Cell43) +
              ProRataField(cells.ProRata) + AmountField(cells.Cell40) + AmountField(cells.Cell50) +
              AmountField(cells.Cell60);
    for (int settlementCell = 0; settlementCell < 5; ++settlementCell) record += AmountField(0);
    return record + "\r\n";
}

}  // namespace uVATLedgerLayout
}  // namespace tavrek
