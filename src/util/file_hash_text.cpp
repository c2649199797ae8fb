#include "util/file_hash_text.h"

#include <algorithm>

#include "base/text.h"

namespace dovel::util {
namespace {

bool is_lower_digit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
bool is_digit_of_either_case(char c) { return is_lower_digit(c) || (c >= 'A' && c <= 'F'); }

}  // namespace

bool is_file_hash_text(std::string_view text) {
  return text.size() == kFileHashDigits && std::all_of(text.begin(), text.end(), is_digit_of_either_case);
}

bool is_lower_case_file_hash(std::string_view text) {
  return text.size() == kFileHashDigits && std::all_of(text.begin(), text.end(), is_lower_digit);
}

std::optional<std::string> lower_case_file_hash(std::string_view text) {
  if (!is_file_hash_text(text)) return std::nullopt;
  return base::ascii_lower(text);
}

}  // namespace dovel::util
