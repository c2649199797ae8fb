#include "central/account_rules.h"

#include <algorithm>

#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::central {
namespace {

constexpr size_t kMaxIdBytes = 15;
constexpr size_t kMaxPasswordBytes = 15;
constexpr size_t kMaxLabelBytes = 20;
constexpr size_t kMaxWarningBytes = 1000;

bool fail(std::string* problem, std::string text) {
  if (problem != nullptr) *problem = std::move(text);
  return false;
}

bool has_control_byte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// The CP949 form fits 1..max bytes (0..max when empty is allowed).
bool fits(std::string_view text, size_t max_bytes, bool may_be_empty, const char* what, std::string* problem) {
  auto wire = platform::utf8_to_cp949(text);
  if (!wire) return fail(problem, std::string(what) + " has no CP949 form");
  if (wire->empty() && !may_be_empty) return fail(problem, std::string(what) + " is empty");
  if (wire->size() > max_bytes) return fail(problem, std::string(what) + " is longer than " + std::to_string(max_bytes) + " bytes in CP949");
  return true;
}

}  // namespace

std::optional<std::string> normalized_user_id(std::string_view id, std::string* problem) {
  if (has_control_byte(id) || id.find_first_of(" |*\\:/") != std::string_view::npos) {
    fail(problem, "the ID holds a blank, a control byte or a separator");
    return std::nullopt;
  }
  if (!fits(id, kMaxIdBytes, false, "the ID", problem)) return std::nullopt;
  return base::ascii_lower(id);
}

bool valid_password(std::string_view password, std::string* problem) {
  if (has_control_byte(password)) return fail(problem, "the password holds a control byte");
  return fits(password, kMaxPasswordBytes, false, "the password", problem);
}

bool valid_label(std::string_view label, std::string* problem) {
  if (has_control_byte(label)) return fail(problem, "the label holds a control byte");
  return fits(label, kMaxLabelBytes, true, "the label", problem);
}

bool valid_warning_text(std::string_view text, std::string* problem) {
  if (text.find_first_of(std::string_view("\x06\0", 2)) != std::string_view::npos) return fail(problem, "the warning text holds 0x06 or NUL");
  return fits(text, kMaxWarningBytes, true, "the warning text", problem);
}

}  // namespace dovel::central
