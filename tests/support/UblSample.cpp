#include "support/UblSample.h"

#include <cstdio>
#include <map>

#include "base/util/Utils.h"

namespace tavrek::testing {
namespace {

std::string Amount(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.2f", RoundUp(value, 2));
    return text;
}

std::string Decimal(double value) {
    char text[48];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string Tag(const std::string& name, const std::string& value, const std::string& attributes = "") {
    return "<cbc:" + name + attributes + ">" + value + "</cbc:" + name + ">";
}

std::string Money(const std::string& name, double value, const std::string& currency) {
    return Tag(name, Amount(value), " currencyID=\"" + currency + "\"");
}

std::string Category(double percent) {
    return "<cbc:ID>" + std::string(percent == 0.0 ? "Z" : "S") + "</cbc:ID>" + Tag("Percent", Decimal(percent)) +
           "<cac:TaxScheme><cbc:ID>VAT</cbc:ID></cac:TaxScheme>";
}

}  // namespace

std::string TUblSample::Xml() const {
    const std::string root = CreditNote ? "CreditNote" : "Invoice";
    const std::string c = Currency;
    std::string lines;
    std::map<double, double> taxable;
    double lineTotal = 0.0;
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TUblSampleLine& l = Lines[i];
        const double amount = RoundUp(l.Quantity * l.Price - l.Allowance, 2);
        lineTotal += amount;
        taxable[l.VATPercent] += amount;
        lines += "<cac:" + root + "Line>" + Tag("ID", std::to_string(i + 1)) +
                 Tag(CreditNote ? "CreditedQuantity" : "InvoicedQuantity", Decimal(l.Quantity), " unitCode=\"H87\"") +
                 Money("LineExtensionAmount", amount, c);
        if (l.Allowance != 0.0)
            lines += "<cac:AllowanceCharge>" + Tag("ChargeIndicator", "false") + Money("Amount", l.Allowance, c) +
                     "</cac:AllowanceCharge>";
        lines += "<cac:Item>" + Tag("Name", l.Name);
        if (!l.Code.empty()) lines += "<cac:SellersItemIdentification>" + Tag("ID", l.Code) + "</cac:SellersItemIdentification>";
        if (!l.Barcode.empty())
            lines += "<cac:StandardItemIdentification>" + Tag("ID", l.Barcode, " schemeID=\"0160\"") +
                     "</cac:StandardItemIdentification>";
        lines += "<cac:ClassifiedTaxCategory>" + Category(l.VATPercent) + "</cac:ClassifiedTaxCategory></cac:Item>";
        lines += "<cac:Price>" + Tag("PriceAmount", Decimal(l.Price), " currencyID=\"" + c + "\"") + "</cac:Price></cac:" + root + "Line>";
    }
    std::string allowance;
    if (DocumentAllowance != 0.0) {
        const double percent = Lines.front().VATPercent;
        taxable[percent] -= DocumentAllowance;
        allowance = "<cac:AllowanceCharge>" + Tag("ChargeIndicator", "false") + Tag("AllowanceChargeReason", "Отстъпка") +
                    Money("Amount", DocumentAllowance, c) + "<cac:TaxCategory>" + Category(percent) +
                    "</cac:TaxCategory></cac:AllowanceCharge>";
    }
    std::string subtotals;
    double tax = 0.0;
    for (const auto& [percent, base] : taxable) {
        const double vat = RoundUp(base * percent / 100.0, 2);
        tax += vat;
        subtotals += "<cac:TaxSubtotal>" + Money("TaxableAmount", base, c) + Money("TaxAmount", vat, c) +
                     "<cac:TaxCategory>" + Category(percent) + "</cac:TaxCategory></cac:TaxSubtotal>";
    }
    const double exclusive = lineTotal - DocumentAllowance;
    const auto BillingReference = [this] {
        return CreditedInvoice.empty() ? std::string()
                                       : "<cac:BillingReference><cac:InvoiceDocumentReference>" + Tag("ID", CreditedInvoice) +
                                             Tag("IssueDate", "2026-11-02") + "</cac:InvoiceDocumentReference></cac:BillingReference>";
    };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root + " xmlns=\"urn:oasis:names:specification:ubl:schema:xsd:" +
           root + "-2\" xmlns:cac=\"urn:oasis:names:specification:ubl:schema:xsd:CommonAggregateComponents-2\" "
           "xmlns:cbc=\"urn:oasis:names:specification:ubl:schema:xsd:CommonBasicComponents-2\">" +
           Tag("ID", Number) + Tag("IssueDate", "2026-11-20") + (CreditNote ? "" : Tag("DueDate", "2026-12-20")) +
           Tag(CreditNote ? "CreditNoteTypeCode" : "InvoiceTypeCode", CreditNote ? "381" : "380") + Tag("Note", Note) +
           Tag("DocumentCurrencyCode", c) + BillingReference() + allowance + "<cac:TaxTotal>" + Money("TaxAmount", tax, c) + subtotals +
           "</cac:TaxTotal><cac:LegalMonetaryTotal>" + Money("LineExtensionAmount", lineTotal, c) +
           Money("TaxExclusiveAmount", exclusive, c) + Money("TaxInclusiveAmount", exclusive + tax, c) +
           Money("AllowanceTotalAmount", DocumentAllowance, c) + Money("PayableAmount", exclusive + tax, c) +
           "</cac:LegalMonetaryTotal>" + lines + "</" + root + ">\n";
}

}  // namespace tavrek::testing
