#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Small text helpers with no dependencies, used from every layer.
namespace dovel::base {

std::string ascii_lower(std::string_view text);
bool iequals_ascii(std::string_view a, std::string_view b);
bool starts_with_ascii_nocase(std::string_view text, std::string_view prefix);

// Blanks are space, tab, CR and LF, as the trimming of typed texts expects.
std::string_view trim(std::string_view text);

// Without the backslashes at either end: "\\a\\b\\" -> "a\\b" (wire paths, registry keys).
std::string_view trim_backslashes(std::string_view text);

// Splits at every separator; empty fields are kept ("a;;b" gives three fields).
std::vector<std::string> split(std::string_view text, char separator);
std::string join(const std::vector<std::string>& parts, std::string_view separator);

void replace_all(std::string& text, std::string_view from, std::string_view to);

// A byte below 0x20 or DEL: never part of a name or a typed text.
bool has_control_byte(std::string_view text);

// Number of code points of a UTF-8 text (invalid bytes count one each).
size_t utf8_length(std::string_view text);
// Longest prefix of at most max_bytes that does not end inside a UTF-8 character.
std::string_view utf8_truncate(std::string_view text, size_t max_bytes);

// Strict decimal parsing: optional leading '-' (signed only), digits, nothing else.
std::optional<uint64_t> parse_uint64(std::string_view text);
std::optional<int64_t> parse_int64(std::string_view text);
std::optional<uint32_t> parse_uint32(std::string_view text);

}  // namespace dovel::base
