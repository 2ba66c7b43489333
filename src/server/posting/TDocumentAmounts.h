#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/posting/TPostingDocument.h"

namespace tavrek::server {

// The VAT of one VAT posting group and rate of a document.
struct TVATGroupAmounts {
    std::string VATBusPostGroup, VATProdPostGroup;
    double Percent = 0;
    TVATCalculation Calculation = TVATCalculation::Normal;
    int VATLedger = 0;
    int64_t Base = 0, VAT = 0, BaseLCY = 0, VATLCY = 0;
    std::vector<size_t> Lines;  // indexes of the document's lines in the group

    bool OwedToVendor() const {
        return Calculation != TVATCalculation::ReverseCharge && Calculation != TVATCalculation::Import;
    }
    bool Deducted() const { return VATLedger != kVATLedgerNotDeducted; }
};

// The document as its recalculation computes it, in minor units: each line in document and
// local currency (the local rounding difference of the document on its largest line), the
// VAT of each rate taken on the rate's whole base, the local totals at the document's rate.
struct TDocumentAmounts {
    std::vector<int64_t> LineValue, LineValueLCY;
    std::vector<TVATGroupAmounts> VATGroups;
    int64_t TotalValue = 0, VATValue = 0, TotalVAT = 0;
    int64_t TotalValueLCY = 0, VATValueLCY = 0, TotalVATLCY = 0;
    // What the vendor is owed: the whole amount less the VAT charged by the buyer or paid at customs.
    int64_t Payable = 0, PayableLCY = 0;
};

TDocumentAmounts CalculateDocumentAmounts(const TPostingDocument& doc);

}  // namespace tavrek::server
