#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::util {

// A FileHash as text: 32 hexadecimal digits, written in lower case.
inline constexpr size_t kFileHashDigits = 32;

// 32 hexadecimal digits of either case (peers and stored rows may use capitals).
bool is_file_hash_text(std::string_view text);
// 32 digits of 0-9 and a-f only.
bool is_lower_case_file_hash(std::string_view text);
// The hash in lower case; nullopt when the text is not a FileHash.
std::optional<std::string> lower_case_file_hash(std::string_view text);

}  // namespace dovel::util
