#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace dovel::browse {

// At most the first `most` fields of a text split at `separator`; what follows
// them is not looked at. A peer's text may hold millions of separators: only
// the fields a reader uses are ever made.
std::vector<std::string_view> leading_fields(std::string_view text, char separator, size_t most);

}  // namespace dovel::browse
