#include "server/session/TPasswordHash.h"

#include <sodium.h>

#include <stdexcept>

namespace tavrek::server {
namespace {

void InitSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) throw std::runtime_error("libsodium не може да бъде инициализирана");
}

}  // namespace

std::string HashPassword(const std::string& password) {
    InitSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                              crypto_pwhash_MEMLIMIT_INTERACTIVE, crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw std::runtime_error("Няма достатъчно памет за хеширане на паролата");
    return hash;
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
    InitSodium();
    if (hash.empty()) return false;
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace tavrek::server
