#include "util/md5.h"

#include <openssl/evp.h>

#include <stdexcept>

#include "base/string_printf.h"

namespace dovel::util {

struct Md5::Context {
  EVP_MD_CTX* handle = EVP_MD_CTX_new();
  ~Context() { EVP_MD_CTX_free(handle); }
};

Md5::Md5() : context_(std::make_unique<Context>()) {
  if (context_->handle == nullptr || EVP_DigestInit_ex(context_->handle, EVP_md5(), nullptr) != 1) {
    throw std::runtime_error("MD5 is not available");
  }
}

Md5::~Md5() = default;

void Md5::update(const void* data, size_t length) {
  if (length > 0) EVP_DigestUpdate(context_->handle, data, length);
}

std::string Md5::hex_digest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context_->handle, digest, &length);
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) hex += base::string_printf("%02x", digest[i]);
  return hex;
}

}  // namespace dovel::util
