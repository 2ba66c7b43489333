#include "base/util/TVATTotals.h"

#include "base/session/LocalData.h"
#include "base/util/Utils.h"

namespace tavrek {
namespace {

int AmountDecimals() { return LocalData().AmountDecimals; }

}  // namespace

void TVATTotals::ClearVATGroups() { groups_.clear(); }

void TVATTotals::AddVATGroups(const std::string& key, double percent, double value, double valueLCY) {
    TGroup& group = groups_[key];
    group.Percent = percent;
    group.Base = RoundUp(group.Base + value, AmountDecimals());
    group.BaseLCY = RoundUp(group.BaseLCY + valueLCY, AmountDecimals());
}

double TVATTotals::GroupVAT(const TGroup& group) const {
    return RoundUp(group.Base * group.Percent / 100.0, AmountDecimals());
}

double TVATTotals::GroupVATLCY(const TGroup& group) const {
    return RoundUp(group.BaseLCY * group.Percent / 100.0, AmountDecimals());
}

double TVATTotals::TotalBase() const {
    double total = 0.0;
    for (const auto& [key, group] : groups_) total += group.Base;
    return RoundUp(total, AmountDecimals());
}

double TVATTotals::TotalVAT() const {
    double total = 0.0;
    for (const auto& [key, group] : groups_) total += GroupVAT(group);
    return RoundUp(total, AmountDecimals());
}

double TVATTotals::TotalGross() const { return RoundUp(TotalBase() + TotalVAT(), AmountDecimals()); }

double TVATTotals::TotalBaseLCY() const {
    double total = 0.0;
    for (const auto& [key, group] : groups_) total += group.BaseLCY;
    return RoundUp(total, AmountDecimals());
}

double TVATTotals::TotalVATLCY() const {
    double total = 0.0;
    for (const auto& [key, group] : groups_) total += GroupVATLCY(group);
    return RoundUp(total, AmountDecimals());
}

double TVATTotals::TotalGrossLCY() const { return RoundUp(TotalBaseLCY() + TotalVATLCY(), AmountDecimals()); }

}  // namespace tavrek
