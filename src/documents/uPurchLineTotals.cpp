#include "documents/uPurchLineTotals.h"

#include <cmath>
#include <string>

#include "base/session/LocalData.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

constexpr double kUnits = 1e6;

int64_t Units(double amount) { return std::llround(amount * kUnits); }

double Amount(int64_t units) { return static_cast<double>(units) / kUnits; }

double Read(const std::vector<Variant>& values, int index) {
    return index < 0 || values[static_cast<size_t>(index)].IsNull() ? 0.0 : values[static_cast<size_t>(index)].AsFloat();
}

int IndexOf(TClientDataSet& lines, const char* name) {
    const TField* field = lines.FindField(name);
    return field == nullptr ? -1 : field->Index();
}

}  // namespace

TPurchLineTotals::TPurchLineTotals(TClientDataSet& lines) : lines_(lines) {
    lines_.AddObserver(this);
    Rebuild();
}

TPurchLineTotals::~TPurchLineTotals() { lines_.RemoveObserver(this); }

// A VAT base typed apart from the line's value is the line's base, as the recalculation takes it.
TPurchLineTotals::TShare TPurchLineTotals::ShareOf(const std::vector<Variant>& values) const {
    const double value = Read(values, value_), base = Read(values, base_);
    TShare share;
    share.Rate = Units(Read(values, rate_));
    share.Value = Units(RoundUp(value, LocalData().AmountDecimals));
    if (RoundUp(base, 2) != RoundUp(value, 2)) {
        share.Base = share.Converted = Units(base);
    } else {
        share.Base = Units(value);
        share.BaseLCY = Units(Read(values, valueLCY_));
    }
    return share;
}

void TPurchLineTotals::Add(const TShare& share, int sign, std::map<int64_t, TRateSums>& rates) const {
    TRateSums& sums = rates[share.Rate];
    sums.Lines += sign;
    sums.Sum.Value += sign * share.Value;
    sums.Sum.Base += sign * share.Base;
    sums.Sum.BaseLCY += sign * share.BaseLCY;
    sums.Sum.Converted += sign * share.Converted;
    if (sums.Lines == 0) rates.erase(share.Rate);
}

std::map<int64_t, TPurchLineTotals::TRateSums> TPurchLineTotals::Current() const {
    std::map<int64_t, TRateSums> rates = rates_;
    if (!lines_.Active()) return rates;
    const int current = lines_.CurrentRawIndex();
    if (lines_.State() == TDataSetState::dsEdit && current >= 0 && current < static_cast<int>(shares_.size()))
        Add(shares_[static_cast<size_t>(current)], -1, rates);
    if (lines_.State() == TDataSetState::dsEdit || lines_.State() == TDataSetState::dsInsert)
        Add(ShareOf(lines_.CurrentValues()), 1, rates);
    return rates;
}

TVATTotals TPurchLineTotals::VATGroups(double factor) const {
    TVATTotals groups;
    for (const auto& [rate, sums] : Current())
        groups.AddVATGroups(std::to_string(rate), Amount(rate), Amount(sums.Sum.Base),
                            Amount(sums.Sum.BaseLCY) + Amount(sums.Sum.Converted) * factor);
    return groups;
}

double TPurchLineTotals::LinesValue() const {
    int64_t value = 0;
    for (const auto& [rate, sums] : Current()) value += sums.Sum.Value;
    return Amount(value);
}

void TPurchLineTotals::Rebuild() {
    shares_.clear();
    rates_.clear();
    if (!lines_.Active()) return;
    rate_ = IndexOf(lines_, "VATPercent");
    value_ = IndexOf(lines_, "TotalValue");
    base_ = IndexOf(lines_, "VATBaseAmount");
    valueLCY_ = IndexOf(lines_, "TotalValue_LCY");
    for (int i = 0; i < lines_.RawRecordCount(); ++i) {
        shares_.push_back(ShareOf(lines_.RawRecord(i)));
        Add(shares_.back(), 1, rates_);
    }
}

void TPurchLineTotals::DataSetChanged() { Rebuild(); }

void TPurchLineTotals::RecordChanged(int index) {
    if (index < 0 || index >= static_cast<int>(shares_.size())) return Rebuild();
    TShare& share = shares_[static_cast<size_t>(index)];
    Add(share, -1, rates_);
    share = ShareOf(lines_.RawRecord(index));
    Add(share, 1, rates_);
}

void TPurchLineTotals::RecordInserted(int index) {
    if (index < 0 || index > static_cast<int>(shares_.size())) return Rebuild();
    const TShare share = ShareOf(lines_.RawRecord(index));
    shares_.insert(shares_.begin() + index, share);
    Add(share, 1, rates_);
}

void TPurchLineTotals::RecordDeleted(int index) {
    if (index < 0 || index >= static_cast<int>(shares_.size())) return Rebuild();
    Add(shares_[static_cast<size_t>(index)], -1, rates_);
    shares_.erase(shares_.begin() + index);
}

}  // namespace tavrek
