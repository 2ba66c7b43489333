#include "reports/uVATLedgerRows.h"

#include <cctype>
#include <cmath>
#include <stdexcept>

#include "base/util/Text.h"

namespace tavrek::uVATLedgerRows {
namespace {

// Posted kinds of the server's headers and the kinds subtypes are made for.
constexpr int kPostedInvoice = 6;
constexpr int kPostedGlobalInvoice = 8;
constexpr int kPostedCrMemo = 13;
constexpr int kPostedGlobalCrMemo = 17;
constexpr int kDebitMemo = 12;
constexpr int kProtocol = 40;
constexpr int kCrMemoProtocol = 41;

int64_t Cents(double amount) { return static_cast<int64_t>(std::llround(amount * 100.0)); }

bool IsDigits(const std::string& text) { return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos; }

int MonthIndex(int year, int month) { return year * 12 + month - 1; }

bool IsProtocol(const TVATLedgerSource& s) {
    if (s.SubDocumentType == kProtocol || s.SubDocumentType == kCrMemoProtocol) return true;
    // A posted protocol is kept among the posted invoices (or credit memos) marked as global.
    return s.Global && (s.DocumentType == kPostedInvoice || s.DocumentType == kPostedCrMemo);
}

TVATLedgerAmounts FromCents(const int64_t c[5]) {
    TVATLedgerAmounts a;
    a.NoCredit = c[0];
    a.FullBase = c[1];
    a.FullVAT = c[2];
    a.PartialBase = c[3];
    a.PartialVAT = c[4];
    return a;
}

std::string DocumentNumber(const TVATLedgerSource& s, const std::string& type) {
    if (type == "09") return s.DocumentNo;
    if (type == "07") return s.CustomsDeclarationNo;
    return s.VendorDocumentNo;
}

std::string VendorNumber(const TVATLedgerSource& s) {
    if (!s.VendorVATNo.empty()) return s.VendorVATNo;
    if (!s.VendorBulstat.empty()) return s.VendorBulstat;
    return IsForeignVendor(s) ? std::string(uVATLedgerLayout::kForeignWithoutNumber) : std::string();
}

}  // namespace

int ParsePeriod(const std::string& text) {
    if (text.size() != 6 || !IsDigits(text)) return 0;
    const int period = std::stoi(text), year = period / 100, month = period % 100;
    return year >= 2000 && month >= 1 && month <= 12 ? period : 0;
}

std::vector<TVATLedgerSource> SourcesOf(const TRequestResult& rows) {
    const auto column = [&rows](const char* name) {
        for (size_t i = 0; i < rows.Columns.size(); ++i)
            if (EqualsIgnoreCase(rows.Columns[i], name)) return i;
        throw std::runtime_error(std::string("Липсва колона ") + name);
    };
    const size_t id = column("Document_Id"), side = column("Side"), type = column("DocumentType"),
                 subType = column("SubDocumentType"), no = column("DocumentNo"), vendorNo = column("VendorDocumentNo"),
                 customs = column("CustomsDeclarationNo"), date = column("DocumentDate"), annul = column("Annul"),
                 global = column("IsGlobal"), code163a = column("PurchType163a"), description = column("Description"),
                 currency = column("Currency"), vendorCode = column("VendorCode"), vendorName = column("VendorName"),
                 vatNo = column("VendorVATNo"), bulstat = column("VendorBulstat"), country = column("VendorCountry"),
                 reverse = column("ReverseCharge"), import = column("Import"), firstLocal = column("NoCredit"),
                 firstForeign = column("NoCredit_ACY");
    std::vector<TVATLedgerSource> sources;
    sources.reserve(rows.Rows.size());
    for (const TVariantArray& r : rows.Rows) {
        TVATLedgerSource s;
        s.DocumentId = r[id].AsString();
        s.CreditSide = r[side].AsInteger() == 1;
        s.DocumentType = static_cast<int>(r[type].AsInteger());
        s.SubDocumentType = static_cast<int>(r[subType].AsInteger());
        s.DocumentNo = r[no].AsString();
        s.VendorDocumentNo = r[vendorNo].AsString();
        s.CustomsDeclarationNo = r[customs].AsString();
        s.DocumentDate = TDateTime(r[date].AsFloat()).DateOnly();
        s.Annulled = r[annul].AsInteger() != 0;
        s.Global = r[global].AsInteger() != 0;
        s.Code163a = r[code163a].AsString();
        s.Description = r[description].AsString();
        s.Currency = r[currency].AsString();
        s.VendorCode = r[vendorCode].AsString();
        s.VendorName = r[vendorName].AsString();
        s.VendorVATNo = r[vatNo].AsString();
        s.VendorBulstat = r[bulstat].AsString();
        s.VendorCountry = r[country].AsString();
        s.ReverseCharge = r[reverse].AsInteger() != 0;
        s.Import = r[import].AsInteger() != 0;
        for (size_t k = 0; k < 5; ++k) {
            s.Local[k] = r[firstLocal + k].AsFloat();
            s.Foreign[k] = r[firstForeign + k].AsFloat();
        }
        sources.push_back(std::move(s));
    }
    return sources;
}

std::string LedgerDocumentType(const TVATLedgerSource& s) {
    if (IsProtocol(s)) return "09";
    if (s.DocumentType == kPostedGlobalInvoice) return "01";
    if (s.DocumentType == kPostedGlobalCrMemo) return "03";
    // The buyer charges the VAT of an acquisition from the EU on the protocol, which enters.
    if (s.ReverseCharge) return {};
    if (s.CreditSide) return "03";
    if (s.Import) return "07";
    return s.SubDocumentType == kDebitMemo ? "02" : "01";
}

TVATLedgerAmounts LedgerAmounts(const TVATLedgerSource& s, int period, const std::string& localCurrency) {
    const std::string ledgerCurrency = uVATLedgerLayout::IsEuroPeriod(period) ? "EUR" : "BGN";
    int64_t cents[5];
    for (size_t k = 0; k < 5; ++k) {
        if (s.Currency == ledgerCurrency) cents[k] = Cents(s.Foreign[k]);
        else if (localCurrency == ledgerCurrency) cents[k] = Cents(s.Local[k]);
        else if (ledgerCurrency == "BGN") cents[k] = uVATLedgerLayout::LevaOfEuro(Cents(s.Local[k]));
        else cents[k] = uVATLedgerLayout::EuroOfLeva(Cents(s.Local[k]));
    }
    return FromCents(cents);
}

bool IsForeignVendor(const TVATLedgerSource& s) {
    if (!s.VendorCountry.empty()) return s.VendorCountry != "BG";
    const std::string& vat = s.VendorVATNo;
    return vat.size() >= 2 && std::isalpha(static_cast<unsigned char>(vat[0])) &&
           std::isalpha(static_cast<unsigned char>(vat[1])) && vat.compare(0, 2, "BG") != 0;
}

std::string ProblemOf(const TVATLedgerSource& s, const TVATLedgerRecord& record, int period) {
    if (record.VendorNumber.empty()) return "err_VATLedgerNoVendorNumber";
    if (record.DocumentNo.empty()) return "err_VATLedgerNoDocumentNo";
    const bool vendorsDocument = record.DocumentType == "01" || record.DocumentType == "02" || record.DocumentType == "03";
    if (vendorsDocument && !IsForeignVendor(s) && (record.DocumentNo.size() != 10 || !IsDigits(record.DocumentNo)))
        return "err_VATLedgerNumberNotTenDigits";
    int year = 0, month = 0, day = 0;
    record.DocumentDate.DecodeDate(year, month, day);
    const int periods = MonthIndex(period / 100, period % 100) - MonthIndex(year, month);
    if (periods < 0) return "err_VATLedgerDateAfterPeriod";
    // Invoices and debit notes may be entered up to the twelfth period after their date.
    if (periods > 12 && (record.DocumentType == "01" || record.DocumentType == "02")) return "err_VATLedgerDateTooOld";
    return {};
}

std::vector<TVATLedgerEntry> LedgerEntries(const std::vector<TVATLedgerSource>& sources, int period,
                                           const std::string& localCurrency) {
    std::vector<TVATLedgerEntry> entries;
    entries.reserve(sources.size());
    for (const TVATLedgerSource& s : sources) {
        const std::string type = LedgerDocumentType(s);
        if (type.empty()) continue;
        TVATLedgerEntry entry{s, {}, {}};
        TVATLedgerRecord& r = entry.Record;
        r.DocumentType = type;
        r.DocumentNo = DocumentNumber(s, type);
        r.DocumentDate = s.DocumentDate;
        r.VendorNumber = VendorNumber(s);
        r.VendorName = s.VendorName;
        r.Description = s.Description;
        r.Amounts = LedgerAmounts(s, period, localCurrency);
        r.Code163a = s.Code163a;
        if (s.Annulled && r.Amounts.IsZero()) continue;
        entry.ProblemKey = ProblemOf(s, r, period);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace tavrek::uVATLedgerRows
