#include "server/posting/TMinorUnits.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>

#include "base/util/Utils.h"

namespace tavrek::server {

TMinorUnits::TMinorUnits(int decimals) : decimals_(decimals), scale_(std::pow(10.0, decimals)) {}

int64_t TMinorUnits::Of(double amount) const { return std::llround(RoundUp(amount, decimals_) * scale_); }

double TMinorUnits::ToAmount(int64_t units) const { return RoundUp(static_cast<double>(units) / scale_, decimals_); }

int64_t TMinorUnits::Convert(double amount, double factor) const { return Of(amount * factor); }

std::vector<int64_t> Spread(int64_t total, const std::vector<double>& weights) {
    std::vector<int64_t> parts(weights.size(), 0);
    if (parts.empty()) return parts;
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    if (sum == 0.0) {
        parts[0] = total;
        return parts;
    }
    std::vector<double> remainders(weights.size());
    int64_t given = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        const double exact = static_cast<double>(total) * weights[i] / sum;
        parts[i] = static_cast<int64_t>(std::trunc(exact));
        remainders[i] = exact - static_cast<double>(parts[i]);
        given += parts[i];
    }
    std::vector<size_t> order(weights.size());
    std::iota(order.begin(), order.end(), 0);
    const int64_t step = total - given >= 0 ? 1 : -1;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return remainders[a] * static_cast<double>(step) > remainders[b] * static_cast<double>(step);
    });
    for (size_t k = 0; given != total; k = (k + 1) % order.size()) {
        parts[order[k]] += step;
        given += step;
    }
    return parts;
}

void PlaceDifference(std::vector<int64_t>& parts, int64_t target) {
    if (parts.empty()) return;
    const int64_t difference = target - std::accumulate(parts.begin(), parts.end(), int64_t{0});
    const auto largest = std::max_element(parts.begin(), parts.end(),
                                          [](int64_t a, int64_t b) { return std::llabs(a) < std::llabs(b); });
    *largest += difference;
}

}  // namespace tavrek::server
