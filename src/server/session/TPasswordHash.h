#pragma once

#include <string>

namespace tavrek::server {

// An Argon2id hash of the password, with its salt and costs, in libsodium's text form.
std::string HashPassword(const std::string& password);
// Whether the password is the one hashed; false for an empty or unreadable hash.
bool VerifyPassword(const std::string& hash, const std::string& password);

}  // namespace tavrek::server
