// What a share server answers a download request, as the downloader reads it:
// the five status bytes, then for an accepted request the information block. A
// hostile server controls every byte; what the downloader takes from it must
// stay within the block's fields.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/cp949.h"
#include "wire/data_reply.h"
#include "wire/info_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::wire;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::optional<DataReply> reply = parse_data_reply(bytes.substr(0, kDataReplySize));
  if (!reply) return 0;
  if (reply->status < 0 || reply->status > 255 || reply->share_flags < -128 || reply->share_flags > 127) __builtin_trap();
  if (reply->status != kRequestAccepted) return 0;
  const std::optional<InfoBlock> block = parse_info_block(bytes.substr(kDataReplySize, kInfoBlockSize));
  if (!block) return 0;
  // Every text came from its field: CP949 grows by half at most on its way to UTF-8.
  using Layout = InfoBlockLayout;
  auto within = [](const std::string& text, size_t width) { return text.size() <= width + width / 2 && dovel::platform::is_valid_utf8(text); };
  if (block->user_id.empty() || !within(block->user_id, Layout::kUserIdWidth) || !within(block->auth_token_a, Layout::kTokenWidth) ||
      !within(block->auth_token_b, Layout::kTokenWidth) || !within(block->folder_path, Layout::kFolderPathWidth) ||
      block->hash.size() > Layout::kHashWidth || block->member_level < 0 || block->member_level > 255) {
    __builtin_trap();
  }
  // What was read goes out again as a block of its size when the downloader names the server back.
  const std::optional<std::string> again = build_info_block(*block);
  if (again && again->size() != kInfoBlockSize) __builtin_trap();
  return 0;
}
