#include "server/data_request.h"

#include <vector>

#include "base/text.h"
#include "platform/cp949.h"
#include "share/shareable_name.h"

namespace dovel::server {
namespace {

constexpr size_t kRequiredFields = 12;
constexpr size_t kAllFields = 18;

int64_t number_or(std::string_view text, int64_t fallback) { return base::parse_int64(text).value_or(fallback); }

bool contains_dot_segment(std::string_view text) {
  return text.find("./") != std::string_view::npos || text.find(".\\") != std::string_view::npos;
}

}  // namespace

std::optional<DataRequest> parse_data_request(std::string_view wire_text) {
  // Senders may include a terminating zero; whatever follows it is not part of the text.
  wire_text = wire_text.substr(0, wire_text.find('\0'));
  // '|' never occurs inside a CP949 character, so the split comes before the conversion.
  std::vector<std::string> fields = base::split(wire_text, '|');
  if (fields.size() < kRequiredFields) return std::nullopt;
  fields.resize(kAllFields);
  for (std::string& field : fields) {
    std::optional<std::string> utf8 = platform::cp949_to_utf8(field);
    if (!utf8) return std::nullopt;
    field = std::move(*utf8);
  }

  DataRequest request;
  const int64_t mode = number_or(fields[0], -1);
  request.mode = mode == kRequestByHash || mode == kRequestByPath ? static_cast<int>(mode) : -1;
  const int64_t index = number_or(fields[1], -1);
  request.share_index = index >= 0 && index <= INT32_MAX ? static_cast<settings::ShareIndex>(index) : -1;
  request.folder_path = std::move(fields[2]);
  request.user_id = std::move(fields[3]);
  const int64_t level = number_or(fields[4], 9);
  request.level = level >= 1 && level <= 10 ? static_cast<int>(level) : 9;
  request.hash = std::move(fields[5]);
  request.size = number_or(fields[6], -1);
  request.start = number_or(fields[7], -1);
  request.end = number_or(fields[8], -1);
  request.adult = number_or(fields[9], 0) != 0;
  request.address = std::move(fields[10]);
  const int64_t port = number_or(fields[11], 0);
  request.port = port > 0 && port <= UINT16_MAX ? static_cast<uint16_t>(port) : 0;
  request.password = std::move(fields[12]);
  request.file_name = std::move(fields[13]);
  request.follow_up = number_or(fields[14], 0) != 0;
  request.nickname = std::move(fields[15]);
  request.client_tag = std::move(fields[16]);
  request.skips_archive_check = fields[17] == "1";
  return request;
}

bool has_valid_range(const DataRequest& request) {
  return request.start >= 0 && request.start < request.end && request.end <= request.size;
}

bool names_plain_file(const DataRequest& request) {
  return !contains_dot_segment(request.folder_path) && !contains_dot_segment(request.file_name) &&
         share::is_shareable_name(request.file_name);
}

bool is_file_hash(std::string_view text) {
  if (text.size() != 32) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

}  // namespace dovel::server
