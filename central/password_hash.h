#pragma once

#include <string>
#include <string_view>

namespace dovel::central {

// Passwords are kept only as a salted, slow hash (PBKDF2 with SHA-256), so a
// copied database does not give away what users typed.
struct PasswordHash {
  std::string salt;  // hex
  std::string hash;  // hex
};

PasswordHash hash_password(std::string_view password);
bool password_matches(std::string_view password, const PasswordHash& stored);

}  // namespace dovel::central
