#include "server/posting/TDocumentAmounts.h"

#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

#include "server/posting/TMinorUnits.h"

namespace tavrek::server {
namespace {

bool FreeOfVAT(TVATCalculation calculation) {
    return calculation == TVATCalculation::Exempt || calculation == TVATCalculation::ZeroRated;
}

// The line whose local amount takes the document's rounding difference: the largest one,
// leaving out fixed assets and advance lines (account lines with a dimension).
size_t CorrectionLine(const TPostingDocument& doc, const std::vector<int64_t>& valueLCY) {
    size_t best = doc.Lines.size();
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        const TPostingLine& line = doc.Lines[i];
        if (line.Type == kFixedAssetLine || (line.Type == kAccountLine && !line.AccountDimension.empty())) continue;
        if (best == doc.Lines.size() || valueLCY[i] > valueLCY[best]) best = i;
    }
    return best;
}

void LineAmounts(const TPostingDocument& doc, const TMinorUnits& units, TDocumentAmounts& out) {
    for (const TPostingLine& line : doc.Lines) {
        out.LineValue.push_back(units.Of(line.TotalValue));
        out.LineValueLCY.push_back(units.Convert(units.ToAmount(out.LineValue.back()), doc.CurrencyFactor));
    }
    out.TotalValue = std::accumulate(out.LineValue.begin(), out.LineValue.end(), int64_t{0});
    out.TotalValueLCY = units.Convert(units.ToAmount(out.TotalValue), doc.CurrencyFactor);
    const int64_t difference =
        out.TotalValueLCY - std::accumulate(out.LineValueLCY.begin(), out.LineValueLCY.end(), int64_t{0});
    if (difference == 0 || doc.Lines.empty()) return;
    size_t target = CorrectionLine(doc, out.LineValueLCY);
    if (target == doc.Lines.size()) target = 0;
    out.LineValueLCY[target] += difference;
}

// The VAT base of a line: a typed base that differs from the line amount, else the amount.
int64_t LineBase(const TPostingLine& line, const TMinorUnits& units, int64_t value) {
    const int64_t typed = units.Of(line.VATBaseAmount);
    return line.VATBaseAmount != 0 && TMinorUnits(2).Of(line.VATBaseAmount) != TMinorUnits(2).Of(line.TotalValue)
               ? typed
               : value;
}

void GroupLines(const TPostingDocument& doc, const TMinorUnits& units, TDocumentAmounts& out) {
    std::map<std::tuple<double, std::string, std::string, int, int>, size_t> index;
    for (size_t i = 0; i < doc.Lines.size(); ++i) {
        const TPostingLine& line = doc.Lines[i];
        const auto key = std::make_tuple(line.VATPercent, line.VATBusPostGroup, line.VATProdPostGroup,
                                         line.VATCalculationType, line.VATLedger);
        auto [it, added] = index.emplace(key, out.VATGroups.size());
        if (added)
            out.VATGroups.push_back({line.VATBusPostGroup, line.VATProdPostGroup, line.VATPercent,
                                     static_cast<TVATCalculation>(line.VATCalculationType), line.VATLedger, 0, 0, 0, 0, {}});
        TVATGroupAmounts& group = out.VATGroups[it->second];
        const int64_t base = LineBase(line, units, out.LineValue[i]);
        group.Base += base;
        group.BaseLCY += base == out.LineValue[i] ? out.LineValueLCY[i]
                                                   : units.Convert(units.ToAmount(base), doc.CurrencyFactor);
        group.Lines.push_back(i);
    }
}

// The VAT typed on the lines of a group.
int64_t TypedVAT(const TPostingDocument& doc, const TMinorUnits& units, const TVATGroupAmounts& group) {
    int64_t vat = 0;
    for (size_t i : group.Lines) vat += units.Of(doc.Lines[i].VATValue);
    return vat;
}

// VAT is taken once on the whole base of each rate, then shared among the posting groups
// of that rate (a generic document takes what its lines say); the local VAT is the
// document's VAT at the rate, shared among all groups.
void GroupVAT(const TPostingDocument& doc, const TMinorUnits& units, TDocumentAmounts& out) {
    std::map<std::pair<double, bool>, std::vector<size_t>> byRate;
    for (size_t g = 0; g < out.VATGroups.size(); ++g)
        byRate[{out.VATGroups[g].Percent, FreeOfVAT(out.VATGroups[g].Calculation)}].push_back(g);
    for (const auto& [rate, groups] : byRate) {
        if (rate.second) continue;
        int64_t base = 0;
        std::vector<int64_t> parts;
        for (size_t g : groups) {
            base += out.VATGroups[g].Base;
            parts.push_back(units.Of(units.ToAmount(out.VATGroups[g].Base) * rate.first / 100.0));
        }
        int64_t vat = units.Of(units.ToAmount(base) * rate.first / 100.0);
        if (doc.TypedVAT) {
            vat = 0;
            for (size_t k = 0; k < groups.size(); ++k) vat += parts[k] = TypedVAT(doc, units, out.VATGroups[groups[k]]);
        }
        PlaceDifference(parts, vat);
        for (size_t k = 0; k < groups.size(); ++k) out.VATGroups[groups[k]].VAT = parts[k];
        out.VATValue += vat;
    }
    out.VATValueLCY = units.Convert(units.ToAmount(out.VATValue), doc.CurrencyFactor);
    std::vector<int64_t> local;
    for (const TVATGroupAmounts& group : out.VATGroups)
        local.push_back(units.Convert(units.ToAmount(group.VAT), doc.CurrencyFactor));
    PlaceDifference(local, out.VATValueLCY);
    for (size_t g = 0; g < out.VATGroups.size(); ++g) out.VATGroups[g].VATLCY = local[g];
}

}  // namespace

TDocumentAmounts CalculateDocumentAmounts(const TPostingDocument& doc) {
    const TMinorUnits units(doc.AmountDecimals);
    TDocumentAmounts out;
    LineAmounts(doc, units, out);
    GroupLines(doc, units, out);
    GroupVAT(doc, units, out);
    out.TotalVAT = out.TotalValue + out.VATValue;
    out.TotalVATLCY = out.TotalValueLCY + out.VATValueLCY;
    out.Payable = out.TotalVAT;
    out.PayableLCY = out.TotalVATLCY;
    for (const TVATGroupAmounts& group : out.VATGroups) {
        if (group.OwedToVendor()) continue;
        out.Payable -= group.VAT;
        out.PayableLCY -= group.VATLCY;
    }
    return out;
}

}  // namespace tavrek::server
