#include "server/info_block.h"

#include <algorithm>
#include <cstring>

#include "platform/cp949.h"
#include "util/letter_pair.h"
#include "util/little_endian.h"

namespace dovel::server {
namespace {

// The longest prefix of a CP949 text within `max_bytes` that does not end
// inside a two-byte character (lead bytes are 0x81..0xFE).
size_t cp949_prefix_length(std::string_view text, size_t max_bytes) {
  size_t length = 0;
  while (length < text.size()) {
    const auto byte = static_cast<unsigned char>(text[length]);
    const size_t width = byte >= 0x81 && byte <= 0xFE ? 2 : 1;
    if (length + width > max_bytes) break;
    length += width;
  }
  return std::min(length, text.size());
}

std::string wire_form(std::string_view utf8) { return platform::utf8_to_cp949(utf8).value_or(""); }

// Copies `text` into a zero-filled field of `width` bytes, leaving room for the terminator.
void put_terminated(std::string& block, size_t offset, size_t width, std::string_view text) {
  const size_t length = cp949_prefix_length(text, width - 1);
  std::memcpy(block.data() + offset, text.data(), length);
}

}  // namespace

std::string build_info_block(const service::SessionIdentity& owner, settings::ShareIndex share_index, std::string_view folder_path,
                             std::string_view hash) {
  using Layout = InfoBlockLayout;
  std::string block(kInfoBlockSize, '\0');
  put_terminated(block, Layout::kUserId, Layout::kUserIdWidth, util::EncodeWire(owner.user_id));
  put_terminated(block, Layout::kTokenA, Layout::kTokenWidth, wire_form(owner.auth_token_a));
  put_terminated(block, Layout::kTokenB, Layout::kTokenWidth, wire_form(owner.auth_token_b));
  block[Layout::kLevel] = static_cast<char>(owner.member_level & 0xFF);
  std::string index;
  util::append_u32(index, static_cast<uint32_t>(share_index));
  block.replace(Layout::kShareIndex, index.size(), index);
  put_terminated(block, Layout::kFolderPath, Layout::kFolderPathWidth, wire_form(folder_path));
  std::memcpy(block.data() + Layout::kHash, hash.data(), std::min(hash.size(), Layout::kHashWidth));
  return block;
}

}  // namespace dovel::server
