#pragma once

#include <string_view>

namespace dovel::share {

// A name that can travel: it has a CP949 form and holds none of the bytes the
// wire uses to separate fields and paths ('|', '*', '\\', ':', '/', control
// bytes). Files and folders with other names are not shared.
bool is_shareable_name(std::string_view utf8_name);

}  // namespace dovel::share
