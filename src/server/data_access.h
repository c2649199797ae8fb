#pragma once

#include <cstdint>
#include <string_view>

#include "server/data_status.h"

namespace dovel::server {

// Who may download from a folder with these share flags: adults only, friends
// only, or whoever knows the folder password (an empty password never does).
// Accepted, AdultOnly, FriendsOnly or WrongPassword, checked in that order.
DataStatus check_folder_access(uint32_t share_flags, bool requester_is_adult, bool requester_is_friend, std::string_view password,
                               std::string_view folder_password);

}  // namespace dovel::server
