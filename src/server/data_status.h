#pragma once

#include <cstdint>
#include <string>

namespace dovel::server {

// The first byte of the data thread's answer to a download request.
enum class DataStatus : uint8_t {
  Accepted = 1,
  TooManyUploads = 3,
  UnreadableRequest = 4,
  BadRequest = 5,
  UnknownHash = 6,
  AdultOnly = 7,
  Blocked = 30,
  FriendsOnly = 31,
  SameUserBusy = 33,
  WrongPassword = 35,
  ForbiddenArchive = 39,
  ArchiveCheckFailed = 40,
};

// The five answer bytes: status, friend byte, low byte of the share's flags, 0, 0.
std::string data_status_answer(DataStatus status, bool requester_is_friend, uint32_t share_flags);

}  // namespace dovel::server
