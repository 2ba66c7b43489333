#pragma once

#include <cstdint>
#include <vector>

namespace tavrek::server {

// Money of the ledgers in whole minor units (cents at two decimals), so that the sums of a
// transaction are exact. Every conversion rounds half away from zero, as RoundUp does.
class TMinorUnits {
public:
    explicit TMinorUnits(int decimals);

    int64_t Of(double amount) const;
    double ToAmount(int64_t units) const;
    // Units of amount × factor, rounded once.
    int64_t Convert(double amount, double factor) const;

private:
    int decimals_;
    double scale_;
};

// Splits total over the weights in proportion, by largest remainders: the parts add up to
// total exactly. Without any weight the whole total goes to the first part.
std::vector<int64_t> Spread(int64_t total, const std::vector<double>& weights);

// Adds to the part of the largest magnitude whatever the parts lack of target.
void PlaceDifference(std::vector<int64_t>& parts, int64_t target);

}  // namespace tavrek::server
