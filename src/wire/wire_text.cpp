#include "wire/wire_text.h"

#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::wire {

std::optional<std::string> field(std::string_view utf8, std::string_view separators) {
  std::optional<std::string> cp949 = platform::utf8_to_cp949(utf8);
  if (!cp949 || cp949->find('\0') != std::string::npos) return std::nullopt;
  if (!separators.empty() && cp949->find_first_of(separators) != std::string::npos) return std::nullopt;
  return cp949;
}

std::optional<std::string> terminated_field(std::string_view utf8, std::string_view separators) {
  std::optional<std::string> cp949 = field(utf8, separators);
  if (cp949) cp949->push_back('\0');
  return cp949;
}

std::optional<std::string> fixed_field(std::string_view utf8, size_t width) {
  std::optional<std::string> cp949 = field(utf8);
  if (!cp949 || cp949->size() > width) return std::nullopt;
  cp949->resize(width, '\0');
  return cp949;
}

std::string_view up_to_terminator(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

std::optional<std::string> read_field(std::string_view cp949, size_t max_bytes) {
  if (cp949.size() > max_bytes) return std::nullopt;
  return platform::cp949_to_utf8(cp949);
}

std::optional<std::string> read_terminated_field(std::string_view cp949) { return read_field(up_to_terminator(cp949)); }

std::optional<std::string> read_plain_field(std::string_view cp949) {
  if (base::has_control_byte(cp949)) return std::nullopt;
  return read_field(cp949);
}

}  // namespace dovel::wire
