#include "base/util/Base64.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace tavrek {

std::string StrTobase64(const std::string& text) {
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    const int written = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                        reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    out.resize(static_cast<size_t>(written));
    return out;
}

std::string Base64ToStr(const std::string& base64Text) {
    if (base64Text.size() % 4 != 0) throw std::invalid_argument("Невалиден Base64 текст");
    std::string out(3 * (base64Text.size() / 4) + 1, '\0');
    const int written = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                        reinterpret_cast<const unsigned char*>(base64Text.data()),
                                        static_cast<int>(base64Text.size()));
    if (written < 0) throw std::invalid_argument("Невалиден Base64 текст");
    // EVP_DecodeBlock counts the padding as zero bytes.
    size_t size = static_cast<size_t>(written);
    for (size_t i = base64Text.size(); i > 0 && base64Text[i - 1] == '='; --i) --size;
    out.resize(size);
    return out;
}

}  // namespace tavrek
