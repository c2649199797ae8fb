#include "download/download_names.h"

#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::download {
namespace {

constexpr size_t kMaxComponentBytes = 255;

bool is_control_byte(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// C1 controls (U+0080..U+009F) are written as 0xC2 0x80..0x9F in UTF-8.
bool has_c1_control(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    auto lead = static_cast<unsigned char>(text[i]);
    auto next = static_cast<unsigned char>(text[i + 1]);
    if (lead == 0xC2 && next >= 0x80 && next <= 0x9F) return true;
  }
  return false;
}

bool is_plain_component(std::string_view name, size_t max_bytes) {
  if (name.empty() || name.size() > max_bytes || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || c == '\\' || is_control_byte(static_cast<unsigned char>(c))) return false;
  }
  return platform::is_valid_utf8(name) && !has_c1_control(name);
}

}  // namespace

bool is_safe_file_name(std::string_view name) { return is_plain_component(name, kMaxFileNameBytes); }

bool is_safe_sub_folder(std::string_view sub_folder) {
  if (sub_folder.size() > kMaxSubFolderBytes) return false;
  sub_folder = base::trim_backslashes(sub_folder);
  if (sub_folder.empty()) return true;
  for (const std::string& component : base::split(sub_folder, '\\')) {
    if (!is_plain_component(component, kMaxComponentBytes)) return false;
  }
  return true;
}

std::string printable_name(std::string_view name) {
  std::string shown(base::utf8_truncate(name, kMaxComponentBytes));
  for (char& c : shown) {
    if (is_control_byte(static_cast<unsigned char>(c))) c = '?';
  }
  return shown;
}

}  // namespace dovel::download
