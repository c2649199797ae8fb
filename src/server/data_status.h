#pragma once

#include <cstdint>

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

}  // namespace dovel::server
