#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace dovel::service {

// Fixed-width text fields of service messages: NUL-padded on the way out, read
// up to the first NUL or the field's end on the way in (a field may arrive
// without its terminator). Texts are UTF-8 here and CP949 on the wire.

// The CP949 form of `utf8` padded with NULs to `width` bytes; nullopt when it
// has no CP949 form or needs more than `width - 1` bytes (a terminator must fit
// unless `may_fill` allows the whole width).
std::optional<std::string> fixed_text(std::string_view utf8, size_t width, bool may_fill = false);

// The text of a fixed field as UTF-8; nullopt when it is not valid CP949.
std::optional<std::string> read_fixed_text(std::string_view field);

}  // namespace dovel::service
