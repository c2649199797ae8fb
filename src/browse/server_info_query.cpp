#include "browse/server_info_query.h"

#include <cctype>
#include <vector>

#include "base/text.h"
#include "browse/side_channel_request.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr char kInfoLetter = 'I';
constexpr char kFieldSeparator = '\a';
constexpr size_t kMaxUserIdBytes = 15;
constexpr size_t kMaxSpeedText = 24;

bool is_speed_text(std::string_view text) {
  if (text.empty() || text.size() > kMaxSpeedText) return false;
  size_t digits = 0;
  bool point = false;
  for (char c : text) {
    if (c == '.' && !point && digits > 0) {
      point = true;
      continue;
    }
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    ++digits;
  }
  return text.back() != '.';
}

std::optional<int64_t> count_of(std::string_view text) {
  std::optional<int64_t> value = base::parse_int64(text);
  if (!value || *value < 0) return std::nullopt;
  return value;
}

}  // namespace

std::optional<ServerInfo> parse_server_info(std::string_view answer) {
  answer = answer.substr(0, answer.find('\0'));
  std::vector<std::string> fields = base::split(answer, kFieldSeparator);
  if (fields.size() != 4 || fields[0].size() > kMaxUserIdBytes) return std::nullopt;
  std::optional<std::string> user_id = wire::read_field(fields[0]);
  std::optional<int64_t> most = count_of(fields[1]);
  std::optional<int64_t> running = count_of(fields[2]);
  if (!user_id || !most || !running || !is_speed_text(fields[3])) return std::nullopt;
  return ServerInfo{*user_id, *most, *running, fields[3]};
}

std::optional<ServerInfo> query_server_info(platform::Ipv4 address, uint16_t port, int timeout_ms, platform::Ipv4 bind_address) {
  std::optional<std::string> answer =
      side_channel_request(address, port, std::string_view(&kInfoLetter, 1), {timeout_ms, kMaxServerInfoAnswer, bind_address});
  if (!answer || answer->empty() || answer->front() != kInfoLetter) return std::nullopt;
  return parse_server_info(std::string_view(*answer).substr(1));
}

}  // namespace dovel::browse
