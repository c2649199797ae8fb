#include "download/data_reply.h"

#include "platform/cp949.h"
#include "server/info_block.h"
#include "util/letter_pair.h"
#include "util/little_endian.h"

namespace dovel::download {
namespace {

// A zero-terminated field (or the whole field when it has no terminator).
std::string_view terminated(std::string_view block, size_t offset, size_t width) {
  std::string_view field = block.substr(offset, width);
  return field.substr(0, field.find('\0'));
}

std::string utf8_or_empty(std::string_view cp949) { return platform::cp949_to_utf8(cp949).value_or(""); }

}  // namespace

std::optional<DataReply> parse_data_reply(std::string_view bytes) {
  if (bytes.size() != kDataReplySize) return std::nullopt;
  DataReply reply;
  reply.status = static_cast<uint8_t>(bytes[0]);
  reply.requester_is_friend = bytes[1] != 0;
  reply.share_flags = static_cast<int8_t>(bytes[2]);
  return reply;
}

std::optional<ServingOwner> parse_info_block(std::string_view block) {
  using Layout = server::InfoBlockLayout;
  if (block.size() != server::kInfoBlockSize) return std::nullopt;
  ServingOwner owner;
  owner.user_id = util::DecodeWire(terminated(block, Layout::kUserId, Layout::kUserIdWidth));
  if (owner.user_id.empty()) return std::nullopt;
  owner.auth_token_a = utf8_or_empty(terminated(block, Layout::kTokenA, Layout::kTokenWidth));
  owner.auth_token_b = utf8_or_empty(terminated(block, Layout::kTokenB, Layout::kTokenWidth));
  owner.member_level = static_cast<uint8_t>(block[Layout::kLevel]);
  owner.share_index = static_cast<int32_t>(util::read_u32(block.data() + Layout::kShareIndex));
  owner.folder_path = utf8_or_empty(terminated(block, Layout::kFolderPath, Layout::kFolderPathWidth));
  owner.hash = std::string(terminated(block, Layout::kHash, Layout::kHashWidth));
  return owner;
}

}  // namespace dovel::download
