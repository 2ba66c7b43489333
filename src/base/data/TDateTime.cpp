#include "base/data/TDateTime.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tavrek {
namespace {

constexpr int kUnixEpochSerial = 25569;  // 1970-01-01 as days since 1899-12-30
constexpr double kSecondsPerDay = 86400.0;

std::chrono::sys_days EpochDays() {
    return std::chrono::sys_days{std::chrono::year{1899} / 12 / 30};
}

}  // namespace

TDateTime TDateTime::FromDate(int year, int month, int day) {
    using namespace std::chrono;
    const year_month_day ymd{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                             std::chrono::day{static_cast<unsigned>(day)}};
    if (!ymd.ok()) throw std::invalid_argument("Невалидна дата");
    return TDateTime(static_cast<double>((sys_days{ymd} - EpochDays()).count()));
}

TDateTime TDateTime::FromDateTime(int year, int month, int day, int hour, int minute, int second) {
    const double time = (hour * 3600.0 + minute * 60.0 + second) / kSecondsPerDay;
    return TDateTime(FromDate(year, month, day).Serial() + time);
}

TDateTime TDateTime::Now() {
    using namespace std::chrono;
    const auto secs = duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
    return TDateTime(kUnixEpochSerial + static_cast<double>(secs) / kSecondsPerDay);
}

TDateTime TDateTime::Today() { return Now().DateOnly(); }

TDateTime TDateTime::Parse(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char sep = 0;
    const int read = std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s);
    if (read == 3) return FromDate(y, mo, d);
    if (read == 7 && (sep == ' ' || sep == 'T')) return FromDateTime(y, mo, d, h, mi, s);
    throw std::invalid_argument("Невалидна дата: " + text);
}

void TDateTime::DecodeDate(int& year, int& month, int& day) const {
    using namespace std::chrono;
    const year_month_day ymd{EpochDays() + days{static_cast<long>(std::floor(serial_))}};
    year = static_cast<int>(ymd.year());
    month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    day = static_cast<int>(static_cast<unsigned>(ymd.day()));
}

TDateTime TDateTime::DateOnly() const { return TDateTime(std::floor(serial_)); }

std::string TDateTime::ToIsoString() const {
    const bool hasTime = serial_ != std::floor(serial_);
    return Format(hasTime ? "yyyy-mm-dd hh:nn:ss" : "yyyy-mm-dd");
}

std::string TDateTime::Format(const std::string& pattern) const {
    int y = 0, mo = 0, d = 0;
    DecodeDate(y, mo, d);
    const long totalSeconds = std::lround((serial_ - std::floor(serial_)) * kSecondsPerDay);
    const int h = static_cast<int>(totalSeconds / 3600), mi = static_cast<int>(totalSeconds / 60 % 60),
              s = static_cast<int>(totalSeconds % 60);
    std::string out;
    char buf[8];
    for (size_t i = 0; i < pattern.size();) {
        auto token = [&](const char* t, int value, const char* fmt) {
            const size_t n = std::char_traits<char>::length(t);
            if (pattern.compare(i, n, t) != 0) return false;
            std::snprintf(buf, sizeof buf, fmt, value);
            out += buf;
            i += n;
            return true;
        };
        if (token("yyyy", y, "%04d") || token("mm", mo, "%02d") || token("dd", d, "%02d") ||
            token("hh", h, "%02d") || token("nn", mi, "%02d") || token("ss", s, "%02d"))
            continue;
        out += pattern[i++];
    }
    return out;
}

}  // namespace tavrek
