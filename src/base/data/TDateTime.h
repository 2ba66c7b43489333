#pragma once

#include <compare>
#include <string>

namespace tavrek {

// A point in time as days since 1899-12-30, the fraction being the time of day;
// the same serial numbers the server stores, so dates compare and subtract as numbers.
class TDateTime {
public:
    constexpr TDateTime() = default;
    constexpr explicit TDateTime(double serial) : serial_(serial) {}

    static TDateTime FromDate(int year, int month, int day);
    static TDateTime FromDateTime(int year, int month, int day, int hour, int minute, int second);
    static TDateTime Now();
    static TDateTime Today();
    // Parses "yyyy-mm-dd" with an optional " hh:mm:ss" or "Thh:mm:ss"; throws std::invalid_argument.
    static TDateTime Parse(const std::string& text);

    constexpr double Serial() const { return serial_; }
    void DecodeDate(int& year, int& month, int& day) const;
    TDateTime DateOnly() const;
    // "yyyy-mm-dd", with " hh:mm:ss" appended when the value has a time of day.
    std::string ToIsoString() const;
    // Formats with the tokens yyyy, mm, dd, hh, nn, ss (for example "yyyymmdd").
    std::string Format(const std::string& pattern) const;

    auto operator<=>(const TDateTime&) const = default;

private:
    double serial_ = 0.0;
};

}  // namespace tavrek
