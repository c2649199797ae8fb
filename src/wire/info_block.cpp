#include "wire/info_block.h"

#include <algorithm>
#include <cstring>

#include "util/letter_pair.h"
#include "util/little_endian.h"
#include "wire/wire_text.h"

namespace dovel::wire {
namespace {

using Layout = InfoBlockLayout;

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

// Copies the CP949 `text` into a zero-filled field of `width` bytes, leaving room for the terminator.
void put_terminated(std::string& block, size_t offset, size_t width, std::string_view text) {
  const size_t length = cp949_prefix_length(text, width - 1);
  std::memcpy(block.data() + offset, text.data(), length);
}

std::string_view field_at(std::string_view block, size_t offset, size_t width) { return block.substr(offset, width); }

}  // namespace

std::optional<std::string> build_info_block(const InfoBlock& info) {
  const std::string user_id = util::EncodeWire(info.user_id);
  const std::optional<std::string> token_a = field(info.auth_token_a);
  const std::optional<std::string> token_b = field(info.auth_token_b);
  const std::optional<std::string> folder_path = field(info.folder_path);
  if (user_id.empty() || !token_a || !token_b || !folder_path) return std::nullopt;
  std::string block(kInfoBlockSize, '\0');
  put_terminated(block, Layout::kUserId, Layout::kUserIdWidth, user_id);
  put_terminated(block, Layout::kTokenA, Layout::kTokenWidth, *token_a);
  put_terminated(block, Layout::kTokenB, Layout::kTokenWidth, *token_b);
  block[Layout::kLevel] = static_cast<char>(info.member_level & 0xFF);
  std::string index;
  util::append_u32(index, static_cast<uint32_t>(info.share_index));
  block.replace(Layout::kShareIndex, index.size(), index);
  put_terminated(block, Layout::kFolderPath, Layout::kFolderPathWidth, *folder_path);
  std::memcpy(block.data() + Layout::kHash, info.hash.data(), std::min(info.hash.size(), Layout::kHashWidth));
  return block;
}

std::optional<InfoBlock> parse_info_block(std::string_view block) {
  if (block.size() != kInfoBlockSize) return std::nullopt;
  InfoBlock info;
  info.user_id = util::DecodeWire(up_to_terminator(field_at(block, Layout::kUserId, Layout::kUserIdWidth)));
  std::optional<std::string> token_a = read_terminated_field(field_at(block, Layout::kTokenA, Layout::kTokenWidth));
  std::optional<std::string> token_b = read_terminated_field(field_at(block, Layout::kTokenB, Layout::kTokenWidth));
  std::optional<std::string> folder_path = read_terminated_field(field_at(block, Layout::kFolderPath, Layout::kFolderPathWidth));
  if (info.user_id.empty() || !token_a || !token_b || !folder_path) return std::nullopt;
  info.auth_token_a = std::move(*token_a);
  info.auth_token_b = std::move(*token_b);
  info.member_level = static_cast<uint8_t>(block[Layout::kLevel]);
  info.share_index = static_cast<int32_t>(util::read_u32(block.data() + Layout::kShareIndex));
  info.folder_path = std::move(*folder_path);
  info.hash = std::string(up_to_terminator(field_at(block, Layout::kHash, Layout::kHashWidth)));
  return info;
}

}  // namespace dovel::wire
