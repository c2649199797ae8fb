#include "central/password_hash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <stdexcept>

#include "base/string_printf.h"

namespace dovel::central {
namespace {

constexpr int kIterations = 20000;
constexpr size_t kSaltBytes = 16;
constexpr size_t kHashBytes = 32;

std::string hex(const unsigned char* bytes, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += base::string_printf("%02x", bytes[i]);
  return text;
}

std::string derive(std::string_view password, std::string_view salt) {
  std::array<unsigned char, kHashBytes> key{};
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), reinterpret_cast<const unsigned char*>(salt.data()),
                        static_cast<int>(salt.size()), kIterations, EVP_sha256(), static_cast<int>(key.size()), key.data()) != 1) {
    throw std::runtime_error("cannot hash a password");
  }
  return hex(key.data(), key.size());
}

}  // namespace

PasswordHash hash_password(std::string_view password) {
  std::array<unsigned char, kSaltBytes> salt{};
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) throw std::runtime_error("no random bytes for a salt");
  PasswordHash stored;
  stored.salt = hex(salt.data(), salt.size());
  stored.hash = derive(password, stored.salt);
  return stored;
}

bool password_matches(std::string_view password, const PasswordHash& stored) {
  const std::string hash = derive(password, stored.salt);
  return hash.size() == stored.hash.size() && CRYPTO_memcmp(hash.data(), stored.hash.data(), hash.size()) == 0;
}

}  // namespace dovel::central
