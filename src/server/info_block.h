#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "service/service_session.h"
#include "settings/shared_folder.h"

namespace dovel::server {

// The block that follows an accepted download request: who serves the file and
// where the file lives, so that the requester can come back for more.
inline constexpr size_t kInfoBlockSize = 2160;

struct InfoBlockLayout {
  static constexpr size_t kUserId = 0;  // letter-pair encoded, zero-terminated
  static constexpr size_t kUserIdWidth = 36;
  static constexpr size_t kTokenA = 36;
  static constexpr size_t kTokenB = 68;
  static constexpr size_t kTokenWidth = 32;
  static constexpr size_t kLevel = 100;
  static constexpr size_t kShareIndex = 104;  // 32-bit little-endian
  static constexpr size_t kFolderPath = 108;
  static constexpr size_t kFolderPathWidth = 2016;
  static constexpr size_t kHash = 2124;  // 32 digits, no terminator
  static constexpr size_t kHashWidth = 32;
};

// Texts go out in their CP949 form; one that does not fit its field is cut at a
// character boundary and keeps its terminator, except the hash, which fills its
// field exactly.
std::string build_info_block(const service::SessionIdentity& owner, settings::ShareIndex share_index, std::string_view folder_path,
                             std::string_view hash);

}  // namespace dovel::server
