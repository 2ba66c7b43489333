#include "base/forms/TDocumentTotals.h"

#include <algorithm>
#include <cmath>

#include "base/session/LocalData.h"
#include "base/util/TVATTotals.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

constexpr double kUnits = 1e9;

int64_t ToUnits(double value) { return std::llround(value * kUnits); }
double FromUnits(int64_t units) { return static_cast<double>(units) / kUnits; }

int FieldIndexOf(TClientDataSet& dataSet, const char* name) {
    const TField* field = dataSet.Active() ? dataSet.FindField(name) : nullptr;
    return field == nullptr ? -1 : field->Index();
}

double NumberAt(const std::vector<Variant>& values, int index, double otherwise = 0.0) {
    if (index < 0 || static_cast<size_t>(index) >= values.size() || values[static_cast<size_t>(index)].IsNull())
        return otherwise;
    return values[static_cast<size_t>(index)].AsFloat();
}

double A(double value) { return RoundUp(value, LocalData().AmountDecimals); }

}  // namespace

TDocumentTotals::TDocumentTotals(TClientDataSet& header, TClientDataSet& lines) : header_(header), lines_(lines) {
    lines_.AddObserver(this);
    DataSetChanged();
}

TDocumentTotals::~TDocumentTotals() { lines_.RemoveObserver(this); }

void TDocumentTotals::TSums::Add(const TShare& share, int sign) {
    Value += sign * share.Value;
    TGroup& group = Groups[share.Rate];
    group.Taxed += sign * share.Taxed;
    group.Lines += sign;
    if (group.Lines == 0) Groups.erase(share.Rate);
}

// A line whose VAT base differs from its amount (an invoice discount, a typed base) is taxed
// on the base; any other on its amount. Each line's base counts rounded, as the
// recalculation adds it to its rate.
TDocumentTotals::TShare TDocumentTotals::ShareOf(const std::vector<Variant>& values) const {
    const double value = NumberAt(values, valueField_);
    const double base = NumberAt(values, baseField_, value);
    const double taxed = RoundUp(base, 2) != RoundUp(value, 2) ? base : value;
    return {ToUnits(A(value)), ToUnits(A(taxed)), ToUnits(NumberAt(values, rateField_))};
}

void TDocumentTotals::DataSetChanged() {
    valueField_ = FieldIndexOf(lines_, "TotalValue");
    baseField_ = FieldIndexOf(lines_, "VATBaseAmount");
    rateField_ = FieldIndexOf(lines_, "VATPercent");
    shares_.clear();
    sums_ = {};
    if (Available()) {
        shares_.reserve(static_cast<size_t>(lines_.RawRecordCount()));
        for (int i = 0; i < lines_.RawRecordCount(); ++i) {
            shares_.push_back(ShareOf(lines_.RawRecord(i)));
            sums_.Add(shares_.back(), 1);
        }
    }
    Changed();
}

void TDocumentTotals::RecordChanged(int index) {
    if (!Available() || index < 0 || static_cast<size_t>(index) >= shares_.size()) return;
    TShare& share = shares_[static_cast<size_t>(index)];
    sums_.Add(share, -1);
    share = ShareOf(lines_.RawRecord(index));
    sums_.Add(share, 1);
    Changed();
}

void TDocumentTotals::RecordInserted(int index) {
    if (!Available() || index < 0 || static_cast<size_t>(index) > shares_.size()) return;
    const TShare share = ShareOf(lines_.RawRecord(index));
    shares_.insert(shares_.begin() + index, share);
    sums_.Add(share, 1);
    Changed();
}

void TDocumentTotals::RecordDeleted(int index) {
    if (!Available() || index < 0 || static_cast<size_t>(index) >= shares_.size()) return;
    sums_.Add(shares_[static_cast<size_t>(index)], -1);
    shares_.erase(shares_.begin() + index);
    Changed();
}

void TDocumentTotals::Changed() {
    if (OnChanged) OnChanged();
}

double TDocumentTotals::CurrencyFactor() const {
    const TField* factor = header_.Active() ? const_cast<TClientDataSet&>(header_).FindField("CurrencyFactor") : nullptr;
    return factor == nullptr || factor->IsNull() ? 1.0 : factor->AsFloat();
}

TDocumentTotals::TFigures TDocumentTotals::StoredFigures() const { return FiguresOf(sums_); }

TDocumentTotals::TFigures TDocumentTotals::Figures() const {
    const TDataSetState state = lines_.State();
    if (!Available() || (state != TDataSetState::dsEdit && state != TDataSetState::dsInsert)) return FiguresOf(sums_);
    TSums sums = sums_;
    const int current = lines_.CurrentRawIndex();
    if (state == TDataSetState::dsEdit && current >= 0 && static_cast<size_t>(current) < shares_.size())
        sums.Add(shares_[static_cast<size_t>(current)], -1);
    sums.Add(ShareOf(lines_.CurrentValues()), 1);
    return FiguresOf(sums);
}

TDocumentTotals::TFigures TDocumentTotals::FiguresOf(const TSums& sums) const {
    const double factor = CurrencyFactor();
    TVATTotals vat;
    for (const auto& [rate, group] : sums.Groups) {
        const double taxed = FromUnits(group.Taxed);
        vat.AddVATGroups(std::to_string(rate), FromUnits(rate), taxed, taxed * factor);
    }
    TFigures figures;
    figures.Value = A(FromUnits(sums.Value));
    figures.ValueLCY = A(figures.Value * factor);
    for (auto group = vat.Groups().rbegin(); group != vat.Groups().rend(); ++group)
        figures.Rates.push_back({group->second.Percent, vat.GroupVAT(group->second), vat.GroupVATLCY(group->second)});
    std::sort(figures.Rates.begin(), figures.Rates.end(), [](const TRate& a, const TRate& b) { return a.Percent > b.Percent; });
    figures.VAT = vat.TotalVAT();
    figures.VATLCY = A(factor * figures.VAT);
    figures.Gross = A(figures.Value + figures.VAT);
    figures.GrossLCY = A(figures.ValueLCY + figures.VATLCY);
    return figures;
}

}  // namespace tavrek
