#include "platform/cp949.h"

#include <iconv.h>

#include <cerrno>

namespace dovel::platform {
namespace {

// One descriptor per direction and thread: iconv_t carries shift state and must
// not be shared between threads.
class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(handle_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  std::optional<std::string> convert(std::string_view input) {
    if (!valid()) return std::nullopt;
    iconv(handle_, nullptr, nullptr, nullptr, nullptr);
    std::string output;
    output.resize(input.size() * 2 + 8);
    char* in = const_cast<char*>(input.data());
    size_t in_left = input.size();
    size_t produced = 0;
    while (in_left > 0) {
      char* out = output.data() + produced;
      size_t out_left = output.size() - produced;
      size_t result = iconv(handle_, &in, &in_left, &out, &out_left);
      produced = output.size() - out_left;
      if (result != static_cast<size_t>(-1)) continue;
      if (errno != E2BIG) return std::nullopt;
      output.resize(output.size() * 2);
    }
    output.resize(produced);
    return output;
  }

 private:
  bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t handle_;
};

}  // namespace

std::optional<std::string> utf8_to_cp949(std::string_view utf8) {
  if (!is_valid_utf8(utf8)) return std::nullopt;
  thread_local Converter converter("CP949", "UTF-8");
  return converter.convert(utf8);
}

std::optional<std::string> cp949_to_utf8(std::string_view cp949) {
  thread_local Converter converter("UTF-8", "CP949");
  return converter.convert(cp949);
}

bool is_valid_utf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length;
    char32_t code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
      code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
      code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (size_t k = 1; k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

}  // namespace dovel::platform
