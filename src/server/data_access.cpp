#include "server/data_access.h"

#include "settings/shared_folder.h"

namespace dovel::server {

DataStatus check_folder_access(uint32_t share_flags, bool requester_is_adult, bool requester_is_friend, std::string_view password,
                               std::string_view folder_password) {
  if ((share_flags & settings::SHARE_ADULT) != 0 && !requester_is_adult) return DataStatus::AdultOnly;
  if ((share_flags & settings::SHARE_FRIEND) != 0 && !requester_is_friend) return DataStatus::FriendsOnly;
  if ((share_flags & settings::SHARE_SECRET) != 0 && (password.empty() || password != folder_password)) return DataStatus::WrongPassword;
  return DataStatus::Accepted;
}

}  // namespace dovel::server
