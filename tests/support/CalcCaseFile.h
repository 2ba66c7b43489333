#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "base/data/Variant.h"

namespace tavrek::testing {

using TValues = std::vector<std::pair<std::string, Variant>>;
using TExpected = std::vector<std::pair<std::string, double>>;

// One golden case: the routine, the two precisions, header and line values before, values after.
struct TCalcCase {
    std::string Name;
    int AmountDecimals = 2;
    int UnitPriceDecimals = 2;
    TValues Header;
    TValues Line;
    TExpected Expected;
    std::string Rule;
    TValues VATSetup;  // the VAT posting setup row the server answers, if the rule asks for one
};

// A failing case is named by its name, not by its bytes.
inline void PrintTo(const TCalcCase& c, std::ostream* out) { *out << c.Name; }

// The cases of tests/golden/calc/<file>; a missing or unreadable file throws.
std::vector<TCalcCase> ReadCalcCases(const std::string& file);

}  // namespace tavrek::testing
