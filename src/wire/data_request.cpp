#include "wire/data_request.h"

#include <vector>

#include "base/text.h"
#include "share/shareable_name.h"
#include "wire/wire_text.h"

namespace dovel::wire {
namespace {

constexpr size_t kRequiredFields = 12;
constexpr size_t kAllFields = 18;
constexpr char kFieldSeparator = '|';

int64_t number_or(std::string_view text, int64_t fallback) { return base::parse_int64(text).value_or(fallback); }

bool contains_dot_segment(std::string_view text) {
  return text.find("./") != std::string_view::npos || text.find(".\\") != std::string_view::npos;
}

}  // namespace

std::optional<std::string> build_data_request(const DataRequest& request) {
  if (request.mode != kRequestByHash && request.mode != kRequestByPath) return std::nullopt;
  std::vector<std::string> fields;
  auto number = [&fields](int64_t value) { fields.push_back(std::to_string(value)); };
  auto text = [&fields](std::string_view value) {
    std::optional<std::string> converted = field(value, std::string_view(&kFieldSeparator, 1));
    if (!converted) return false;
    fields.push_back(std::move(*converted));
    return true;
  };
  number(request.mode);
  number(request.mode == kRequestByHash && !request.hash.empty() ? 0 : request.share_index);
  if (!text(request.folder_path) || !text(request.user_id)) return std::nullopt;
  number(request.level);
  if (!text(request.hash)) return std::nullopt;
  number(request.size);
  number(request.start);
  number(request.end);
  number(request.adult ? 1 : 0);
  if (!text(request.address)) return std::nullopt;
  number(request.port);
  if (!text(request.password) || !text(request.file_name)) return std::nullopt;
  number(request.follow_up ? 1 : 0);
  if (!text(request.nickname) || !text(request.client_tag)) return std::nullopt;
  number(request.skips_archive_check ? 1 : 0);
  return base::join(fields, std::string_view(&kFieldSeparator, 1));
}

std::optional<DataRequest> parse_data_request(std::string_view wire_text) {
  // '|' never occurs inside a CP949 character, so the split comes before the conversion.
  std::vector<std::string> fields = base::split(up_to_terminator(wire_text), kFieldSeparator);
  if (fields.size() < kRequiredFields) return std::nullopt;
  fields.resize(kAllFields);
  for (std::string& text : fields) {
    std::optional<std::string> utf8 = read_field(text);
    if (!utf8) return std::nullopt;
    text = std::move(*utf8);
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

}  // namespace dovel::wire
