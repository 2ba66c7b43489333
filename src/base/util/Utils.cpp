#include "base/util/Utils.h"

#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <random>

#include "base/data/TClientDataSet.h"

namespace tavrek {
namespace {

constexpr int kMaxDecimals = 18;
// Relative distance from a half within which a scaled value is taken for the half itself.
constexpr long double kHalfTolerance = 1e-13L;

long double PowerOfTen(int exponent) {
    static const auto table = [] {
        std::array<long double, kMaxDecimals + 1> powers{};
        powers[0] = 1.0L;
        for (int i = 1; i <= kMaxDecimals; ++i) powers[i] = powers[i - 1] * 10.0L;
        return powers;
    }();
    return table[static_cast<size_t>(exponent)];
}

long double RoundHalfAwayWithTolerance(long double scaled) {
    const long double magnitude = std::fabs(scaled);
    const long double whole = std::floor(magnitude);
    const long double fraction = magnitude - whole;
    const long double tolerance = kHalfTolerance * std::max(magnitude, 1.0L);
    const long double rounded = fraction >= 0.5L - tolerance ? whole + 1.0L : whole;
    return scaled < 0 ? -rounded : rounded;
}

}  // namespace

double RoundUp(double value, int decimals) {
    if (!std::isfinite(value) || decimals > kMaxDecimals || decimals < -kMaxDecimals) return value;
    const long double power = PowerOfTen(decimals < 0 ? -decimals : decimals);
    const long double scaled = decimals >= 0 ? value * power : value / power;
    if (std::fabs(scaled) >= 4503599627370496.0L) return value;  // 2^52: already whole at this scale
    const long double rounded = RoundHalfAwayWithTolerance(scaled);
    // Exact integer over an exact power of ten: one correctly rounded division.
    if (decimals >= 0) return static_cast<double>(rounded) / static_cast<double>(power);
    return static_cast<double>(rounded * power);
}

std::string NumberText(double value, int decimals) {
    const double rounded = RoundUp(value, decimals);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, rounded == 0.0 ? 0.0 : rounded);
    std::string digits = text;
    const size_t point = digits.find('.');
    if (point != std::string::npos) digits[point] = ',';
    const size_t first = digits[0] == '-' ? 1 : 0;
    const size_t whole = (point == std::string::npos ? digits.size() : point) - first;
    // Four digits stand together; from five on every three are set apart.
    if (whole < 5) return digits;
    static const std::string kNoBreakSpace = "\u00A0";
    for (size_t at = first + whole - 3; at > first; at -= 3) {
        digits.insert(at, kNoBreakSpace);
        if (at < first + 3) break;
    }
    return digits;
}

std::string AmountText(double value) { return NumberText(value, 2); }

std::string CreateUniqueID() {
    // A process forked from this one would repeat its keys: the child seeds anew.
    static thread_local pid_t seededIn = 0;
    static thread_local std::mt19937_64 engine;
    if (seededIn != ::getpid()) {
        seededIn = ::getpid();
        engine.seed(std::random_device{}());
    }
    std::uniform_int_distribution<unsigned> nibble(0, 15);
    static const char* hex = "0123456789ABCDEF";
    std::string id = "{";
    for (int group : {8, 4, 4, 4, 12}) {
        if (id.size() > 1) id += '-';
        for (int i = 0; i < group; ++i) id += hex[nibble(engine)];
    }
    id[15] = '4';  // version 4: random
    id[20] = hex[8 + nibble(engine) % 4];
    return id + "}";
}

void CalcBaseQuantity(TClientDataSet& line, std::string_view fieldName, bool& Calculating) {
    TField* base = line.FindField(std::string(fieldName) + "_Base");
    if (base == nullptr) return;
    const bool saved = Calculating;
    Calculating = true;
    try {
        const TField* perUnit = line.FindField("QtyPerUnitOfMeasure");
        double factor = perUnit == nullptr ? 1.0 : perUnit->AsFloat();
        if (factor == 0.0) factor = 1.0;
        base->SetAsFloat(line.FieldByName(fieldName).AsFloat() * factor);
    } catch (...) {
        Calculating = saved;
        throw;
    }
    Calculating = saved;
}

void CreateDynamicAggregate(TClientDataSet& dataSet, const std::string& name, const std::string& expression) {
    if (TAggregate* existing = dataSet.FindAggregate(name)) {
        if (existing->Expression() == expression) return;
        throw EDatabaseError(dataSet.Name + ": агрегатът " + name + " вече е с друг израз");
    }
    dataSet.AddAggregate(name, expression);
}

void MarkRecords(TClientDataSet& dataSet, int mode, std::string_view fieldName) {
    if (mode < 0 || mode > 2) throw EDatabaseError("Непознат режим на маркиране");
    dataSet.CheckBrowseMode();
    const TBookmark bookmark = dataSet.GetBookmark();
    dataSet.DisableControls();
    try {
        TField& flag = dataSet.FieldByName(fieldName);
        for (dataSet.First(); !dataSet.Eof(); dataSet.Next()) {
            const int64_t value = mode == 0 ? 1 : (mode == 1 ? 0 : (flag.AsInteger() == 0 ? 1 : 0));
            dataSet.Edit();
            flag.SetAsInteger(value);
            dataSet.Post();
        }
        if (dataSet.BookmarkValid(bookmark)) dataSet.GotoBookmark(bookmark);
    } catch (...) {
        dataSet.EnableControls();
        throw;
    }
    dataSet.EnableControls();
}

}  // namespace tavrek
