#include "base/data/Variant.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "base/data/EVariantError.h"

namespace tavrek {
namespace {

double ParseFloat(const std::string& text) {
    if (text.empty()) return 0.0;
    std::string normalized = text;
    for (char& c : normalized)
        if (c == ',') c = '.';
    double value = 0.0;
    const char* begin = normalized.data();
    const char* end = begin + normalized.size();
    while (begin < end && *begin == ' ') ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end)
        throw EVariantError("Could not convert variant of type (String) into type (Double): '" + text + "'");
    return value;
}

std::string FormatFloat(double value) {
    char buf[64];
    auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, ptr);
}

}  // namespace

bool Variant::IsEmpty() const {
    if (IsNull()) return true;
    const auto* text = std::get_if<std::string>(&value_);
    return text != nullptr && text->empty();
}

double Variant::AsFloat() const {
    switch (Type()) {
        case TVarType::varNull: return 0.0;
        case TVarType::varBoolean: return std::get<bool>(value_) ? 1.0 : 0.0;
        case TVarType::varInteger: return static_cast<double>(std::get<int64_t>(value_));
        case TVarType::varDouble: return std::get<double>(value_);
        case TVarType::varString: return ParseFloat(std::get<std::string>(value_));
        case TVarType::varDate: return std::get<TDateTime>(value_).Serial();
    }
    return 0.0;
}

int64_t Variant::AsInteger() const {
    switch (Type()) {
        case TVarType::varInteger: return std::get<int64_t>(value_);
        case TVarType::varDouble: return static_cast<int64_t>(std::llround(std::get<double>(value_)));
        case TVarType::varString: {
            const std::string& text = std::get<std::string>(value_);
            if (text == "True" || text == "true") return 1;
            if (text == "False" || text == "false") return 0;
            const double value = ParseFloat(text);
            if (value != std::floor(value))
                throw EVariantError("'" + text + "' is not a valid integer value");
            return static_cast<int64_t>(value);
        }
        default: return static_cast<int64_t>(AsFloat());
    }
}

std::string Variant::AsString() const {
    switch (Type()) {
        case TVarType::varNull: return {};
        case TVarType::varBoolean: return std::get<bool>(value_) ? "True" : "False";
        case TVarType::varInteger: return std::to_string(std::get<int64_t>(value_));
        case TVarType::varDouble: return FormatFloat(std::get<double>(value_));
        case TVarType::varString: return std::get<std::string>(value_);
        case TVarType::varDate: return std::get<TDateTime>(value_).ToIsoString();
    }
    return {};
}

bool Variant::AsBoolean() const {
    switch (Type()) {
        case TVarType::varNull: return false;
        case TVarType::varBoolean: return std::get<bool>(value_);
        case TVarType::varString: {
            const std::string& text = std::get<std::string>(value_);
            if (text == "True" || text == "true") return true;
            if (text == "False" || text == "false" || text.empty()) return false;
            return ParseFloat(text) != 0.0;
        }
        default: return AsFloat() != 0.0;
    }
}

TDateTime Variant::AsDateTime() const {
    if (const auto* text = std::get_if<std::string>(&value_)) {
        if (text->empty()) return TDateTime();
        try {
            return TDateTime::Parse(*text);
        } catch (const std::invalid_argument&) {
            throw EVariantError("'" + *text + "' is not a valid date");
        }
    }
    return TDateTime(AsFloat());
}

bool Variant::operator==(const Variant& other) const {
    if (value_.index() == other.value_.index()) return value_ == other.value_;
    const auto numeric = [](TVarType t) {
        return t == TVarType::varInteger || t == TVarType::varDouble || t == TVarType::varBoolean;
    };
    if (numeric(Type()) && numeric(other.Type())) return AsFloat() == other.AsFloat();
    return false;
}

std::string Variant::DebugString() const { return IsNull() ? "Null" : AsString(); }

}  // namespace tavrek
