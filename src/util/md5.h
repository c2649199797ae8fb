#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace dovel::util {

// Incremental MD5 (RFC 1321); the digest as 32 lower-case hex digits.
class Md5 {
 public:
  Md5();
  ~Md5();
  Md5(const Md5&) = delete;
  Md5& operator=(const Md5&) = delete;

  void update(const void* data, size_t length);
  void update(std::string_view data) { update(data.data(), data.size()); }
  std::string hex_digest();

 private:
  struct Context;
  std::unique_ptr<Context> context_;
};

}  // namespace dovel::util
