#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovel::central {

// What an account's texts must be so that they fit the login reply and every
// other place the wire carries them. Each returns nullopt and fills `problem`
// when the text does not fit.

// A user ID: 1..15 bytes in CP949, no control bytes; kept and compared in lower
// case, as clients send it.
std::optional<std::string> normalized_user_id(std::string_view id, std::string* problem = nullptr);
bool valid_password(std::string_view password, std::string* problem = nullptr);
// The member label: at most 20 bytes in CP949.
bool valid_label(std::string_view label, std::string* problem = nullptr);
// The warning text of the warning page: at most 1000 bytes in CP949.
bool valid_warning_text(std::string_view text, std::string* problem = nullptr);

}  // namespace dovel::central
