#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovel::platform {

// The text of an INI-style file ("[section]" lines followed by "key=value"
// lines); section and key names compare without regard to ASCII case.

std::optional<std::string> find_ini_entry(std::string_view text, std::string_view section, std::string_view key);

// The text with `key` in `section` set to `value`; every other line is kept, a
// missing section is added at the end.
std::string with_ini_entry(std::string_view text, std::string_view section, std::string_view key, std::string_view value);

}  // namespace dovel::platform
