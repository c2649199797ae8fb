#include "download/data_request_text.h"

#include <string_view>
#include <vector>

#include "base/text.h"
#include "platform/cp949.h"

namespace dovel::download {
namespace {

// Single files are looked up by their FileHash.
constexpr int kRequestByHash = 0;

std::optional<std::string> wire_field(std::string_view utf8) {
  if (utf8.find('|') != std::string_view::npos || utf8.find('\0') != std::string_view::npos) return std::nullopt;
  return platform::utf8_to_cp949(utf8);
}

}  // namespace

std::optional<std::string> build_data_request_text(const DataRequestFields& fields) {
  std::vector<std::string> wire;
  auto number = [&wire](int64_t value) { wire.push_back(std::to_string(value)); };
  auto text = [&wire](std::string_view value) {
    std::optional<std::string> converted = wire_field(value);
    if (!converted) return false;
    wire.push_back(std::move(*converted));
    return true;
  };
  number(kRequestByHash);
  number(fields.hash.empty() ? fields.share_index : 0);
  if (!text(fields.server_path) || !text(fields.user_id)) return std::nullopt;
  number(fields.member_level);
  if (!text(fields.hash)) return std::nullopt;
  number(fields.size);
  number(fields.start);
  number(fields.end);
  number(fields.adult ? 1 : 0);
  if (!text(fields.own_address)) return std::nullopt;
  number(fields.own_port);
  if (!text(fields.folder_password) || !text(fields.file_name)) return std::nullopt;
  number(fields.follow_up ? 1 : 0);
  if (!text(fields.member_label)) return std::nullopt;
  wire.emplace_back(kClientTag);
  number(fields.skips_archive_check ? 1 : 0);
  return base::join(wire, "|");
}

}  // namespace dovel::download
