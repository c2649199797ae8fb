#include "browse/server_info_query.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cctype>
#include <vector>

#include "base/text.h"
#include "platform/deadline.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"
#include "wire/connection_kind.h"
#include "wire/peer_frame.h"
#include "wire/wire_text.h"

namespace dovel::browse {
namespace {

constexpr char kInfoLetter = 'I';
constexpr char kFieldSeparator = '\a';
constexpr size_t kMaxUserIdBytes = 15;
constexpr size_t kMaxSpeedText = 24;
// A server sends a keep-alive to every side channel when another one opens;
// more than a few in a row before the answer is no longer a busy server.
constexpr int kMaxKeepAlives = 16;

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

platform::UniqueFd connected_socket(platform::Ipv4 address, uint16_t port, int timeout_ms, platform::Ipv4 bind_address) {
  platform::UniqueFd fd(platform::create_tcp_socket());
  if (!fd.valid()) return fd;
  if (bind_address != 0) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = bind_address;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return {};
  }
  if (!platform::connect_tcp(fd.get(), address, port, timeout_ms)) return {};
  return fd;
}

bool receive(int fd, void* buffer, size_t count, int timeout_ms, const platform::Deadline& deadline) {
  return service::receive_exact(fd, buffer, count, timeout_ms, deadline) == static_cast<int>(count);
}

// The next frame that is not a keep-alive, unscrambled; nullopt past the length limit.
std::optional<std::string> read_answer_frame(int fd, int timeout_ms, const platform::Deadline& deadline) {
  for (int keep_alives = 0; keep_alives <= kMaxKeepAlives; ++keep_alives) {
    uint8_t prefix[4];
    if (!receive(fd, prefix, sizeof prefix, timeout_ms, deadline)) return std::nullopt;
    const uint32_t length = util::read_u32(prefix) ^ service::kScrambleKey;
    if (length == 0) continue;
    if (length > kMaxServerInfoAnswer) return std::nullopt;
    std::string body(length, '\0');
    if (!receive(fd, body.data(), length, timeout_ms, deadline)) return std::nullopt;
    return service::scrambled(body);
  }
  return std::nullopt;
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
  if (address == 0 || port == 0 || timeout_ms <= 0) return std::nullopt;
  platform::UniqueFd fd = connected_socket(address, port, timeout_ms, bind_address);
  if (!fd.valid()) return std::nullopt;
  const platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  const char kind = static_cast<char>(wire::kSideChannelKind);
  char status[4];
  if (platform::send_all(fd.get(), &kind, 1) != 1 || !receive(fd.get(), status, sizeof status, timeout_ms, deadline) ||
      std::string_view(status, sizeof status) != "OKKK") {
    return std::nullopt;
  }
  const std::string request = wire::build_peer_frame(std::string_view(&kInfoLetter, 1));
  if (platform::send_all(fd.get(), request.data(), request.size()) != static_cast<ssize_t>(request.size())) return std::nullopt;
  std::optional<std::string> answer = read_answer_frame(fd.get(), timeout_ms, deadline);
  platform::shutdown_socket(fd.get());
  if (!answer || answer->empty() || answer->front() != kInfoLetter) return std::nullopt;
  return parse_server_info(std::string_view(*answer).substr(1));
}

}  // namespace dovel::browse
