#pragma once

#include <string>
#include <string_view>

namespace dovel::util {

inline constexpr std::string_view kGuestUserId = "손님";

// The ID of the logged-in user, the guest before login. Kept in the letter-pair
// encoding in memory, under the session lock.
void SetCurrentUserId(std::string_view user_id);
std::string CurrentUserId();
bool IsGuest();

}  // namespace dovel::util
