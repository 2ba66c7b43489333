#include "base/data/TAggregate.h"

#include <cmath>

#include "base/data/EDatabaseError.h"
#include "base/util/Text.h"

namespace tavrek {
namespace {

constexpr double kSumScale = 1e9;

__int128 ToFixed(double value) { return static_cast<__int128>(std::nearbyint(value * kSumScale)); }

}  // namespace

TAggregate::TAggregate(std::string name, std::string expression, TAggregateKind kind, int fieldIndex)
    : name_(std::move(name)), expression_(std::move(expression)), kind_(kind), fieldIndex_(fieldIndex) {}

void TAggregate::ParseExpression(const std::string& expression, TAggregateKind& kind, std::string& field) {
    const std::string text = Trim(expression);
    const size_t open = text.find('('), close = text.rfind(')');
    if (open == std::string::npos || close != text.size() - 1 || close < open)
        throw EDatabaseError("Невалиден израз на агрегат: " + expression);
    const std::string function = Trim(text.substr(0, open));
    field = Trim(text.substr(open + 1, close - open - 1));
    if (EqualsIgnoreCase(function, "SUM")) kind = TAggregateKind::akSum;
    else if (EqualsIgnoreCase(function, "MIN")) kind = TAggregateKind::akMin;
    else if (EqualsIgnoreCase(function, "MAX")) kind = TAggregateKind::akMax;
    else if (EqualsIgnoreCase(function, "COUNT")) kind = TAggregateKind::akCount;
    else throw EDatabaseError("Непозната функция на агрегат: " + expression);
    if (field.empty()) throw EDatabaseError("Агрегат без поле: " + expression);
}

void TAggregate::Add(const Variant& value) {
    if (value.IsNull()) return;
    ++count_;
    const double number = kind_ == TAggregateKind::akCount ? 0.0 : value.AsFloat();
    if (kind_ == TAggregateKind::akSum) sum_ += ToFixed(number);
    if (kind_ == TAggregateKind::akMin || kind_ == TAggregateKind::akMax) values_.insert(number);
}

void TAggregate::Remove(const Variant& value) {
    if (value.IsNull()) return;
    --count_;
    const double number = kind_ == TAggregateKind::akCount ? 0.0 : value.AsFloat();
    if (kind_ == TAggregateKind::akSum) sum_ -= ToFixed(number);
    if (kind_ == TAggregateKind::akMin || kind_ == TAggregateKind::akMax) {
        const auto it = values_.find(number);
        if (it != values_.end()) values_.erase(it);
    }
}

void TAggregate::Reset() {
    sum_ = 0;
    count_ = 0;
    values_.clear();
}

Variant TAggregate::Value() const {
    switch (kind_) {
        case TAggregateKind::akCount: return Variant(count_);
        case TAggregateKind::akSum: return count_ == 0 ? Variant() : Variant(static_cast<double>(sum_) / kSumScale);
        case TAggregateKind::akMin: return values_.empty() ? Variant() : Variant(*values_.begin());
        case TAggregateKind::akMax: return values_.empty() ? Variant() : Variant(*values_.rbegin());
    }
    return Variant();
}

}  // namespace tavrek
