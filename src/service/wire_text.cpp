#include "service/wire_text.h"

#include "platform/cp949.h"

namespace dovel::service {

std::optional<std::string> fixed_text(std::string_view utf8, size_t width, bool may_fill) {
  std::optional<std::string> wire = platform::utf8_to_cp949(utf8);
  if (!wire || wire->find('\0') != std::string::npos) return std::nullopt;
  if (wire->size() > (may_fill ? width : width - 1)) return std::nullopt;
  wire->resize(width, '\0');
  return wire;
}

std::optional<std::string> read_fixed_text(std::string_view field) {
  return platform::cp949_to_utf8(field.substr(0, field.find('\0')));
}

}  // namespace dovel::service
