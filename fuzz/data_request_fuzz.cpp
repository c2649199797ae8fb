// A download request's text comes from any peer that connects to the share port.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "server/data_access.h"
#include "server/data_request.h"
#include "server/info_block.h"
#include "settings/shared_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dovel::server;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto request = parse_data_request(text);
  if (!request) return 0;
  if (request->level < 1 || request->level > 10) __builtin_trap();
  if (request->mode != -1 && request->mode != kRequestByHash && request->mode != kRequestByPath) __builtin_trap();
  if (has_valid_range(*request) && (request->start < 0 || request->end > request->size)) __builtin_trap();
  names_plain_file(*request);
  is_file_hash(request->hash);
  check_folder_access(dovel::settings::SHARE_ADULT | dovel::settings::SHARE_FRIEND | dovel::settings::SHARE_SECRET, request->adult, false,
                      request->password, "password");
  // The peer's texts stand in for everything the block carries: it must stay its size.
  const dovel::service::SessionIdentity owner{request->user_id, request->level, request->nickname, request->password, request->address};
  if (build_info_block(owner, request->share_index, request->folder_path, request->hash).size() != kInfoBlockSize) __builtin_trap();
  return 0;
}
