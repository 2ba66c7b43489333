#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/data/TClientDataSet.h"
#include "base/partner/TUblInvoice.h"
#include "documents/uVendorItemMapping.h"

namespace tavrek {

// Where the vendor's own rounding and ours part: the vendor's figure is kept, ours is shown.
struct TVendorRoundingDifference {
    std::string What;
    double Vendor = 0.0;
    double Ours = 0.0;
};

// Appends the lines of a vendor's document whose items were found to an invoice's lines and
// recalculates them by our rules so that they give the vendor's published figures: each
// line's allowances, charges and rounding become its discount amount, the document's
// allowances its invoice discount, spread over the lines of their VAT category, its charges
// charge lines of their own, and a cent of VAT rounding per category sits on the category's last line. A credit note
// goes into a credit memo, whose quantities are positive as the vendor's are.
class TVendorDocumentImport {
public:
    TVendorDocumentImport(const TUblInvoice& document, const TVendorItemMapping& items);

    // Calculating is the editor's flag: the field rules stay quiet while a line is written.
    void AppendLines(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating);

    const std::vector<TVendorRoundingDifference>& Differences() const { return differences_; }
    // The differences, one per text line; empty when there are none.
    std::string DifferencesText() const;
    // Prepaid amount, rounding and the amount payable as the vendor states them.
    std::string PaymentSummary() const;

private:
    std::vector<double> DocumentDiscounts() const;
    void WriteLine(TClientDataSet& Line, size_t index, double invDiscount);
    void KeepVendorVAT(TClientDataSet& Header, TClientDataSet& Line, const TUblTaxCategory& category, double ours);
    bool AllFound(const TUblTaxCategory& category) const;
    std::vector<bool> LastOfCategory() const;
    bool IsOwnLine(const TUblAllowanceCharge& item) const;
    void WriteChargeLine(TClientDataSet& Line, const TUblAllowanceCharge& item);
    void Recalculate(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                     const std::function<void()>& write, double invDiscount);

    const TUblInvoice& document_;
    const TVendorItemMapping& items_;
    std::vector<TVendorRoundingDifference> differences_;
};

}  // namespace tavrek
