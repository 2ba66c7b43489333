#pragma once

#include <string>
#include <string_view>

namespace tavrek {

// ASCII case folding: field and table names of the system are ASCII.
bool EqualsIgnoreCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);
std::string Trim(std::string_view text);
// Replaces every "%s" in order with the arguments, the way message texts carry values.
std::string FormatMessage(std::string_view pattern, std::initializer_list<std::string> args);

struct TCaseInsensitiveHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const;
};

struct TCaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return EqualsIgnoreCase(a, b); }
};

}  // namespace tavrek
