#pragma once

#include <string>
#include <vector>

#include "base/server/TRequestResult.h"
#include "reports/uVATLedgerLayout.h"

namespace tavrek {

// A posted document with VAT entries in the period, as the server reads it: its kind, numbers,
// vendor, and the sums of its entries per kind of credit in local and document currency.
struct TVATLedgerSource {
    std::string DocumentId;
    bool CreditSide = false;          // of the credit memos' table
    int DocumentType = 0;             // the posted header's
    int SubDocumentType = 0;          // the kind its subtype was made for
    std::string DocumentNo, VendorDocumentNo, CustomsDeclarationNo;
    TDateTime DocumentDate;
    bool Annulled = false, Global = false, ReverseCharge = false, Import = false;
    std::string Code163a, Description, Currency;
    std::string VendorCode, VendorName, VendorVATNo, VendorBulstat, VendorCountry;
    // NoCredit (base and VAT), full credit base and VAT, partial credit base and VAT.
    double Local[5] = {};
    double Foreign[5] = {};
};

// A document of the period with the record it enters the ledger as, or why it cannot.
struct TVATLedgerEntry {
    TVATLedgerSource Source;
    TVATLedgerRecord Record;
    std::string ProblemKey;           // empty when the record may be filed
};

// The rules by which posted documents enter the purchase ledger of a period.
namespace uVATLedgerRows {

// "yyyymm" as a number; 0 when the text is not a month of a year from 2000.
int ParsePeriod(const std::string& text);
std::vector<TVATLedgerSource> SourcesOf(const TRequestResult& rows);
// The ledger's document type of the source; empty when it does not enter by itself (an
// acquisition from the EU enters through its protocol).
std::string LedgerDocumentType(const TVATLedgerSource& source);
// The amounts in the period's currency: leva up to 202512, euro from 202601.
TVATLedgerAmounts LedgerAmounts(const TVATLedgerSource& source, int period, const std::string& localCurrency);
bool IsForeignVendor(const TVATLedgerSource& source);
// The message key of why the record cannot be filed for the period; empty when it can.
std::string ProblemOf(const TVATLedgerSource& source, const TVATLedgerRecord& record, int period);
// Every document that enters, in the server's order; annulled ones whose entries cancel out
// within the period are not shown.
std::vector<TVATLedgerEntry> LedgerEntries(const std::vector<TVATLedgerSource>& sources, int period,
                                           const std::string& localCurrency);

}  // namespace uVATLedgerRows
}  // namespace tavrek
