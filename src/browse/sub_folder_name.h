#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovel::browse {

// The check of a download sub-folder the user types: nullopt when it may be
// used, else the message that says why not. The nine characters a path may
// not hold are tried in order (backslash, '/', '*', '?', ':', '"', '<', '>',
// '|') and the first one found is named: "경로에 '%c' 문자는 사용할 수
// 없습니다.". Beyond those, "." and ".." and control characters are refused
// too, since they would lead the download out of its folder or into names
// nobody can type.
std::optional<std::string> sub_folder_refusal(std::string_view name);

}  // namespace dovel::browse
