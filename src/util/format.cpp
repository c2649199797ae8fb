#include "util/format.h"

#include <cinttypes>

#include "base/string_printf.h"
#include "base/text.h"

namespace dovel::util {

std::string FormatNumber(int64_t value) {
  // The magnitude as unsigned, so that the most negative value has one too.
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return value < 0 ? "-" + grouped : grouped;
}

std::string FormatSize(int64_t value) {
  if (value == 0) return "0";
  if (value < 0) return base::string_printf("%" PRId64, value);
  static constexpr struct {
    double unit;
    const char* suffix;
  } kUnits[] = {{1099511627776.0, "T"}, {1073741824.0, "G"}, {1048576.0, "M"}, {1024.0, "K"}, {1.0, ""}};
  for (const auto& [unit, suffix] : kUnits) {
    double scaled = static_cast<double>(value) / unit;
    if (scaled >= 1.0) return base::string_printf("%.02f%s", scaled, suffix);
  }
  return "0";
}

std::string MaskText(std::string_view text) {
  // Work on code points so that a Korean ID is not cut inside a character.
  std::string result;
  size_t characters = base::utf8_length(text);
  size_t keep = (characters + 1) / 2;
  size_t index = 0;
  for (size_t i = 0; i < text.size();) {
    size_t length = 1;
    while (i + length < text.size() && (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) ++length;
    result += index < keep ? std::string(text.substr(i, length)) : std::string("*");
    i += length;
    ++index;
  }
  return result;
}

}  // namespace dovel::util
