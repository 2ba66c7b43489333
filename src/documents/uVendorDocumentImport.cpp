#include "documents/uVendorDocumentImport.h"

#include <cmath>
#include <functional>
#include <algorithm>

#include "base/util/Utils.h"
#include "calc/uPurchCalcHelpers.h"
#include "calc/uPurchCallculations.h"

namespace tavrek {

using namespace uPurchCalcHelpers;

namespace {

// A line of an item charge: what the vendor charges beside the goods.
constexpr int64_t kChargeLine = 3;

}  // namespace

TVendorDocumentImport::TVendorDocumentImport(const TUblInvoice& document, const TVendorItemMapping& items)
    : document_(document), items_(items) {}

bool TVendorDocumentImport::AllFound(const TUblTaxCategory& category) const {
    for (size_t i = 0; i < document_.Lines.size(); ++i)
        if (document_.Lines[i].Category == category && !items_.Found(i)) return false;
    return true;
}

// Whether each line is the last found line of its VAT category.
std::vector<bool> TVendorDocumentImport::LastOfCategory() const {
    std::vector<bool> last(document_.Lines.size(), false);
    std::vector<TUblTaxCategory> seen;
    for (size_t i = document_.Lines.size(); i-- > 0;) {
        if (!items_.Found(i) || std::find(seen.begin(), seen.end(), document_.Lines[i].Category) != seen.end())
            continue;
        seen.push_back(document_.Lines[i].Category);
        last[i] = true;
    }
    return last;
}

// A charge of the document (freight, packing) is a charge line of its own; so is an
// allowance whose VAT category has no line to take it.
bool TVendorDocumentImport::IsOwnLine(const TUblAllowanceCharge& item) const {
    if (item.IsCharge) return true;
    for (size_t i = 0; i < document_.Lines.size(); ++i)
        if (items_.Found(i) && document_.Lines[i].Category == item.Category) return false;
    return true;
}

void TVendorDocumentImport::WriteChargeLine(TClientDataSet& Line, const TUblAllowanceCharge& item) {
    SetInt(Line, "Type", kChargeLine);
    const std::string reason = item.Reason.empty() ? (item.IsCharge ? "Надбавка" : "Отстъпка") : item.Reason;
    SetValue(Line, "Description", Variant(reason));
    SetValue(Line, "Description2", Variant(reason));
    SetNum(Line, "Quantity", 1);
    SetNum(Line, "DirectUnitCost_ACY", item.IsCharge ? item.Amount : -item.Amount);
    SetNum(Line, "VATPercent", item.Category.Percent);
    SetInt(Line, "PriceIncludingVAT", 0);
    SetNum(Line, "LineDiscountAmount", 0);
}

// Each document allowance or charge is spread over the found lines of its VAT category in
// proportion to their amounts, the last line taking what rounding leaves.
std::vector<double> TVendorDocumentImport::DocumentDiscounts() const {
    const int A = AmountDecimals();
    std::vector<double> discounts(document_.Lines.size(), 0.0);
    for (const TUblAllowanceCharge& item : document_.AllowanceCharges) {
        if (IsOwnLine(item)) continue;
        std::vector<size_t> lines;
        double base = 0.0;
        for (size_t i = 0; i < document_.Lines.size(); ++i)
            if (items_.Found(i) && document_.Lines[i].Category == item.Category) {
                lines.push_back(i);
                base += document_.Lines[i].LineAmount;
            }
        const double total = item.Amount;
        double left = total;
        for (size_t k = 0; k < lines.size(); ++k) {
            const bool last = k + 1 == lines.size();
            const double share = last ? left
                                 : base == 0.0 ? 0.0
                                               : RoundUp(total * document_.Lines[lines[k]].LineAmount / base, A);
            discounts[lines[k]] += share;
            left -= share;
        }
    }
    return discounts;
}

void TVendorDocumentImport::WriteLine(TClientDataSet& Line, size_t index, double invDiscount) {
    const TUblInvoiceLine& vendor = document_.Lines[index];
    const TRequestResult& item = items_.ItemOf(index);
    SetInt(Line, "Type", 1);
    SetValue(Line, "Code", Variant(items_.CodeOf(index)));
    SetValue(Line, "Description", item.ByName("Name"));
    SetValue(Line, "Description2", Variant(vendor.Description));
    for (const char* field : {"Measure_Id", "GenProdPostGroup_Id", "VATProdPostGroup_Id"})
        if (!item.ByName(field).IsEmpty()) SetValue(Line, field, item.ByName(field));
    SetValue(Line, "SerialNo", Variant(vendor.SerialNo));
    SetValue(Line, "PartNo", Variant(vendor.PartNo));
    SetNum(Line, "Quantity", vendor.Quantity);
    SetNum(Line, "DirectUnitCost_ACY", vendor.DirectUnitCost);
    SetNum(Line, "VATPercent", vendor.Category.Percent);
    SetInt(Line, "PriceIncludingVAT", 0);
    // The vendor's line amount is kept: what separates it from quantity x price is the discount.
    const double gross = vendor.Quantity * vendor.DirectUnitCost;
    SetNum(Line, "LineDiscountAmount", RoundUp(gross - vendor.LineAmount, 5));
    SetInt(Line, "AllowInvoiceDisc", invDiscount != 0.0 ? 1 : 0);
    const double ours = RoundUp(vendor.ComputedAmount(), AmountDecimals());
    if (std::fabs(ours - vendor.LineAmount) >= 0.005)
        differences_.push_back({"Ред " + vendor.Id + " (" + vendor.VendorKey() + ")", vendor.LineAmount, ours});
}

// Our VAT is rounded line by line, the vendor's per category: the difference goes onto the
// category's last line, so the category's VAT is the vendor's.
void TVendorDocumentImport::KeepVendorVAT(TClientDataSet& Header, TClientDataSet& Line,
                                          const TUblTaxCategory& category, double ours) {
    const int A = AmountDecimals();
    for (const TUblTaxSubtotal& subtotal : document_.TaxSubtotals) {
        if (!(subtotal.Category == category)) continue;
        const double vendor = subtotal.TaxAmount;
        const double difference = RoundUp(vendor - ours, A);
        if (difference == 0.0) return;
        differences_.push_back({"ДДС " + category.Caption(), vendor, RoundUp(ours, A)});
        const double factor = Num(Header, "CurrencyFactor");
        for (const char* field : {"VATValue", "TotalVAT"}) SetNum(Line, field, RoundUp(Num(Line, field) + difference, A));
        for (const char* field : {"VATValue_LCY", "TotalVAT_LCY"})
            SetNum(Line, field, RoundUp(Num(Line, field) + difference * factor, A));
        return;
    }
}

// Charge lines come first, so the VAT of every category is complete at its last item line.
void TVendorDocumentImport::AppendLines(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating) {
    const std::vector<double> discounts = DocumentDiscounts();
    const std::vector<bool> last = LastOfCategory();
    std::vector<std::pair<TUblTaxCategory, double>> vat;
    const auto addVAT = [&](const TUblTaxCategory& category) -> double {
        auto sum = std::find_if(vat.begin(), vat.end(), [&](const auto& v) { return v.first == category; });
        if (sum == vat.end()) sum = vat.insert(vat.end(), {category, 0.0});
        return sum->second += Num(Line, "VATValue");
    };
    for (const TUblAllowanceCharge& item : document_.AllowanceCharges) {
        if (!IsOwnLine(item)) continue;
        Line.Append();
        Recalculate(Header, Line, Calculating, [&] { WriteChargeLine(Line, item); }, 0.0);
        addVAT(item.Category);
        Line.Post();
    }
    for (size_t i = 0; i < document_.Lines.size(); ++i) {
        if (!items_.Found(i)) continue;
        Line.Append();
        Recalculate(Header, Line, Calculating, [&] { WriteLine(Line, i, discounts[i]); }, discounts[i]);
        const TUblTaxCategory& category = document_.Lines[i].Category;
        const double ours = addVAT(category);
        if (last[i] && AllFound(category)) {
            TRuleGuard quiet(Calculating);
            KeepVendorVAT(Header, Line, category, ours);
        }
        Line.Post();
    }
}

// The line is written with the field rules quiet, then recalculated by them: from its
// discount amount, then from its share of the document's allowances.
void TVendorDocumentImport::Recalculate(TClientDataSet& Header, TClientDataSet& Line, bool& Calculating,
                                        const std::function<void()>& write, double invDiscount) {
    {
        TRuleGuard quiet(Calculating);
        write();
    }
    uPurchCallculations::PurchLineDiscountAmountOnChange(Header, Line, Calculating);
    {
        TRuleGuard quiet(Calculating);
        SetNum(Line, "InvDiscAmount", RoundUp(invDiscount, AmountDecimals()));
    }
    uPurchCallculations::PurchInvDiscAmountOnChange(Header, Line, Calculating);
}

std::string TVendorDocumentImport::DifferencesText() const {
    std::string text;
    for (const TVendorRoundingDifference& d : differences_)
        text += "\r\n" + d.What + ": на доставчика " + AmountText(d.Vendor) + ", по нашето закръгляне " + AmountText(d.Ours) +
                ", разлика " + AmountText(d.Vendor - d.Ours);
    return text;
}

std::string TVendorDocumentImport::PaymentSummary() const {
    const TUblTotals& t = document_.Totals;
    std::string text = "Сума с ДДС: " + AmountText(t.TaxInclusiveAmount) + " " + document_.Currency;
    if (t.PrepaidAmount != 0.0) text += "\r\nПлатено авансово: " + AmountText(t.PrepaidAmount);
    if (t.PayableRoundingAmount != 0.0) text += "\r\nЗакръгляне: " + AmountText(t.PayableRoundingAmount);
    text += "\r\nЗа плащане: " + AmountText(t.PayableAmount) + " " + document_.Currency;
    if (!document_.TaxCurrency.empty() && document_.TaxCurrency != document_.Currency)
        text += "\r\nДДС в " + document_.TaxCurrency + ": " + AmountText(document_.TaxAmountInTaxCurrency);
    return text;
}

}  // namespace tavrek
