#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "base/data/TDateTime.h"

namespace tavrek {

enum class TVarType { varNull, varBoolean, varInteger, varDouble, varString, varDate };

// A loosely typed value as datasets and the server exchange them. Conversions follow
// the habits of the platform: Null reads as 0, "" or false; text converts when it holds
// a number; a failed conversion throws EVariantError.
class Variant {
public:
    Variant() = default;
    Variant(std::nullptr_t) {}
    Variant(bool v) : value_(v) {}
    Variant(int v) : value_(static_cast<int64_t>(v)) {}
    Variant(int64_t v) : value_(v) {}
    Variant(double v) : value_(v) {}
    Variant(const char* v) : value_(std::string(v)) {}
    Variant(std::string v) : value_(std::move(v)) {}
    Variant(std::string_view v) : value_(std::string(v)) {}
    Variant(TDateTime v) : value_(v) {}

    TVarType Type() const { return static_cast<TVarType>(value_.index()); }
    bool IsNull() const { return value_.index() == 0; }
    // Null or an empty string: what the rules mean by "empty".
    bool IsEmpty() const;

    double AsFloat() const;
    int64_t AsInteger() const;
    std::string AsString() const;
    bool AsBoolean() const;
    TDateTime AsDateTime() const;

    // Same type and value, or both numeric and equal; Null equals only Null.
    bool operator==(const Variant& other) const;

    // Text form of a value for the log and for quoting ("Null" for Null).
    std::string DebugString() const;

private:
    std::variant<std::monostate, bool, int64_t, double, std::string, TDateTime> value_;
};

}  // namespace tavrek
