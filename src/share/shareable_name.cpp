#include "share/shareable_name.h"

#include "platform/cp949.h"

namespace dovel::share {

bool is_shareable_name(std::string_view utf8_name) {
  if (utf8_name.empty()) return false;
  for (char c : utf8_name) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f || c == '|' || c == '*' || c == '\\' || c == ':' || c == '/') return false;
  }
  return platform::utf8_to_cp949(utf8_name).has_value();
}

}  // namespace dovel::share
