#include "base/partner/TUblTotalsCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/partner/TUblInvoice.h"

namespace tavrek {
namespace {

constexpr double kCent = 0.01 + 1e-6;

bool Differs(double a, double b) { return std::fabs(a - b) > kCent; }

std::string Mismatch(const std::string& what, double published, double computed) {
    char text[256];
    std::snprintf(text, sizeof text, "%s е %.2f, а от редовете се получава %.2f", what.c_str(), published, computed);
    return text;
}

double DocumentAllowances(const TUblInvoice& document, bool charges) {
    double sum = 0.0;
    for (const TUblAllowanceCharge& item : document.AllowanceCharges)
        if (item.IsCharge == charges) sum += item.Amount;
    return sum;
}

// Lines less allowances plus charges of one VAT category.
double TaxableOf(const TUblInvoice& document, const TUblTaxCategory& category) {
    double sum = 0.0;
    for (const TUblInvoiceLine& line : document.Lines)
        if (line.Category == category) sum += line.LineAmount;
    for (const TUblAllowanceCharge& item : document.AllowanceCharges)
        if (item.Category == category) sum += item.IsCharge ? item.Amount : -item.Amount;
    return sum;
}

std::string CheckLineTotals(const TUblInvoice& document) {
    const TUblTotals& t = document.Totals;
    double lines = 0.0;
    for (const TUblInvoiceLine& line : document.Lines) lines += line.LineAmount;
    if (Differs(lines, t.LineExtensionAmount)) return Mismatch("сумата на редовете", t.LineExtensionAmount, lines);
    const double allowances = DocumentAllowances(document, false), charges = DocumentAllowances(document, true);
    if (Differs(allowances, t.AllowanceTotalAmount)) return Mismatch("общата отстъпка", t.AllowanceTotalAmount, allowances);
    if (Differs(charges, t.ChargeTotalAmount)) return Mismatch("общата надбавка", t.ChargeTotalAmount, charges);
    const double exclusive = lines - allowances + charges;
    if (Differs(exclusive, t.TaxExclusiveAmount)) return Mismatch("сумата без ДДС", t.TaxExclusiveAmount, exclusive);
    return {};
}

std::string CheckCategories(const TUblInvoice& document) {
    double taxable = 0.0, tax = 0.0;
    for (const TUblTaxSubtotal& subtotal : document.TaxSubtotals) {
        const std::string name = "ДДС " + subtotal.Category.Caption();
        const double computed = TaxableOf(document, subtotal.Category);
        if (Differs(computed, subtotal.TaxableAmount))
            return Mismatch("данъчната основа на " + name, subtotal.TaxableAmount, computed);
        const double vat = subtotal.TaxableAmount * subtotal.Category.Percent / 100.0;
        if (Differs(vat, subtotal.TaxAmount)) return Mismatch(name, subtotal.TaxAmount, vat);
        taxable += subtotal.TaxableAmount;
        tax += subtotal.TaxAmount;
    }
    for (const TUblInvoiceLine& line : document.Lines)
        if (TaxableOf(document, line.Category) != 0.0 && document.TaxSubtotals.end() ==
                std::find_if(document.TaxSubtotals.begin(), document.TaxSubtotals.end(),
                             [&](const TUblTaxSubtotal& s) { return s.Category == line.Category; }))
            return "ред " + line.Id + " е с ДДС " + line.Category.Caption() + ", което липсва в разбивката на ДДС";
    if (Differs(taxable, document.Totals.TaxExclusiveAmount))
        return Mismatch("сумата на данъчните основи", taxable, document.Totals.TaxExclusiveAmount);
    if (Differs(tax, document.Totals.TaxAmount)) return Mismatch("ДДС на документа", document.Totals.TaxAmount, tax);
    return {};
}

std::string CheckPayable(const TUblTotals& t) {
    const double inclusive = t.TaxExclusiveAmount + t.TaxAmount;
    if (Differs(inclusive, t.TaxInclusiveAmount)) return Mismatch("сумата с ДДС", t.TaxInclusiveAmount, inclusive);
    const double payable = t.TaxInclusiveAmount - t.PrepaidAmount + t.PayableRoundingAmount;
    if (Differs(payable, t.PayableAmount)) return Mismatch("сумата за плащане", t.PayableAmount, payable);
    return {};
}

}  // namespace

std::string CheckUblTotals(const TUblInvoice& document) {
    for (const auto& check : {CheckLineTotals, CheckCategories})
        if (std::string problem = check(document); !problem.empty()) return problem;
    return CheckPayable(document.Totals);
}

}  // namespace tavrek
