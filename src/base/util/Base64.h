#pragma once

#include <string>

namespace tavrek {

// Base64 (RFC 4648, with padding, no line breaks) of the bytes of text.
std::string StrTobase64(const std::string& text);
// The bytes a Base64 text stands for; throws std::invalid_argument when it is not Base64.
std::string Base64ToStr(const std::string& base64Text);

}  // namespace tavrek
