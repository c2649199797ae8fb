#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovel::platform {

// The wire speaks CP949; everything stored or shown locally is UTF-8. These two
// are the only conversions between them. Both refuse (nullopt) rather than guess:
// a text that cannot be represented on the other side is not converted at all.
std::optional<std::string> utf8_to_cp949(std::string_view utf8);
std::optional<std::string> cp949_to_utf8(std::string_view cp949);

bool is_valid_utf8(std::string_view text);

}  // namespace dovel::platform
