#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace dovel::service {

// Why the login would refuse an ID and password before connecting: empty,
// without a CP949 form, or longer than the 15 bytes the request holds. nullopt
// when the login would send them.
std::optional<std::string> login_credentials_refusal(std::string_view user_id, std::string_view password);

}  // namespace dovel::service
