#include "base/text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace dovel::base {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

template <typename Number>
std::optional<Number> parse_number(std::string_view text) {
  if (text.empty() || text.front() == '+') return std::nullopt;
  Number value{};
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string ascii_lower(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), lower);
  return result;
}

bool iequals_ascii(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

bool starts_with_ascii_nocase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && iequals_ascii(text.substr(0, prefix.size()), prefix);
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string_view trim_backslashes(std::string_view text) {
  while (!text.empty() && text.front() == '\\') text.remove_prefix(1);
  while (!text.empty() && text.back() == '\\') text.remove_suffix(1);
  return text;
}

std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) {
      parts.emplace_back(text.substr(start));
      return parts;
    }
    parts.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string result;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) result += separator;
    result += parts[i];
  }
  return result;
}

void replace_all(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  size_t position = 0;
  while ((position = text.find(from, position)) != std::string::npos) {
    text.replace(position, from.size(), to);
    position += to.size();
  }
}

bool has_control_byte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

size_t utf8_length(std::string_view text) {
  return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string_view utf8_truncate(std::string_view text, size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  size_t end = max_bytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::optional<uint64_t> parse_uint64(std::string_view text) { return parse_number<uint64_t>(text); }
std::optional<int64_t> parse_int64(std::string_view text) { return parse_number<int64_t>(text); }
std::optional<uint32_t> parse_uint32(std::string_view text) { return parse_number<uint32_t>(text); }

}  // namespace dovel::base
