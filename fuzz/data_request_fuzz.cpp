// A download request's text comes from any peer that connects to the share port.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "server/share_access.h"
#include "settings/shared_folder.h"
#include "util/file_hash_text.h"
#include "wire/data_request.h"
#include "wire/info_block.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::wire;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto request = parse_data_request(text);
  if (!request) return 0;
  if (request->level < 1 || request->level > 10) __builtin_trap();
  if (request->mode != -1 && request->mode != kRequestByHash && request->mode != kRequestByPath) __builtin_trap();
  if (has_valid_range(*request) && (request->start < 0 || request->end > request->size)) __builtin_trap();
  names_plain_file(*request);
  dovel::util::is_file_hash_text(request->hash);
  dovel::server::decide_share_access(dovel::settings::SHARE_ADULT | dovel::settings::SHARE_FRIEND | dovel::settings::SHARE_SECRET,
                                     {.is_adult = request->adult, .password = request->password}, "password");
  // The peer's texts stand in for everything the block carries: it must stay its size.
  const std::optional<std::string> block =
      build_info_block({request->user_id, request->nickname, request->password, request->level, request->share_index, request->folder_path, request->hash});
  if (block && block->size() != kInfoBlockSize) __builtin_trap();
  return 0;
}
