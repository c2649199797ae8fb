#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/shared_folder.h"

namespace dovel::wire {

// The block that follows an accepted download request: who serves the file and
// where the file lives, so that the requester can come back for more.
inline constexpr size_t kInfoBlockSize = 2160;

struct InfoBlockLayout {
  static constexpr size_t kUserId = 0;  // letter-pair encoded, zero-terminated
  static constexpr size_t kUserIdWidth = 36;
  static constexpr size_t kTokenA = 36;
  static constexpr size_t kTokenB = 68;
  static constexpr size_t kTokenWidth = 32;
  static constexpr size_t kLevel = 100;  // the low byte of the level, then three zeros
  static constexpr size_t kShareIndex = 104;  // 32-bit little-endian
  static constexpr size_t kFolderPath = 108;
  static constexpr size_t kFolderPathWidth = 2016;
  static constexpr size_t kHash = 2124;  // 32 digits, no terminator
  static constexpr size_t kHashWidth = 32;
};
static_assert(InfoBlockLayout::kUserId + InfoBlockLayout::kUserIdWidth == InfoBlockLayout::kTokenA);
static_assert(InfoBlockLayout::kTokenA + InfoBlockLayout::kTokenWidth == InfoBlockLayout::kTokenB);
static_assert(InfoBlockLayout::kTokenB + InfoBlockLayout::kTokenWidth == InfoBlockLayout::kLevel);
static_assert(InfoBlockLayout::kLevel + 4 == InfoBlockLayout::kShareIndex);
static_assert(InfoBlockLayout::kShareIndex + 4 == InfoBlockLayout::kFolderPath);
static_assert(InfoBlockLayout::kFolderPath + InfoBlockLayout::kFolderPathWidth == InfoBlockLayout::kHash);
static_assert(InfoBlockLayout::kHash + InfoBlockLayout::kHashWidth + 4 == kInfoBlockSize, "four zero bytes close the block");

// What the block says. Texts are UTF-8.
struct InfoBlock {
  std::string user_id;
  std::string auth_token_a;
  std::string auth_token_b;
  int member_level = 0;
  settings::ShareIndex share_index = 0;
  std::string folder_path;  // inside the share, backslash-separated
  std::string hash;
};

// Texts go out in their CP949 form; one that does not fit its field is cut at a
// character boundary and keeps its terminator, except the hash, which fills its
// field exactly. nullopt when a text has no CP949 form.
std::optional<std::string> build_info_block(const InfoBlock& block);

// Reads the block. nullopt when it is not exactly one block long, its owner ID
// does not decode to a name (the sender does not speak this version of the
// protocol) or a text is not valid CP949.
std::optional<InfoBlock> parse_info_block(std::string_view block);

}  // namespace dovel::wire
