// A share server's status answer for the server list's "서버정보": whatever the
// bytes, an answer taken is one short ID, two counts that are not negative and a
// decimal speed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "browse/server_info_query.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > dovel::browse::kMaxServerInfoAnswer) return 0;
  const std::optional<dovel::browse::ServerInfo> info =
      dovel::browse::parse_server_info(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!info) return 0;
  if (info->max_uploads < 0 || info->current_uploads < 0 || info->upload_speed.empty()) std::abort();
  if (info->upload_speed.find_first_not_of("0123456789.") != std::string::npos) std::abort();
  return 0;
}
