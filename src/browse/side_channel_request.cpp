#include "browse/side_channel_request.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include "platform/deadline.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"
#include "wire/connection_kind.h"
#include "wire/peer_frame.h"

namespace dovel::browse {
namespace {

// A server sends a keep-alive to every side channel when another one opens;
// more than a few in a row before the answer is no longer a busy server.
constexpr int kMaxKeepAlives = 16;

bool connect_from(int fd, platform::Ipv4 address, uint16_t port, int timeout_ms, platform::Ipv4 bind_address) {
  if (bind_address != 0) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = bind_address;
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return false;
  }
  return platform::connect_tcp(fd, address, port, timeout_ms);
}

bool receive(int fd, void* buffer, size_t count, int timeout_ms, const platform::Deadline& deadline) {
  return service::receive_exact(fd, buffer, count, timeout_ms, deadline) == static_cast<int>(count);
}

// The next frame that is not a keep-alive, unscrambled; nullopt past the length limit.
std::optional<std::string> read_answer_frame(int fd, int timeout_ms, uint32_t max_answer, const platform::Deadline& deadline) {
  for (int keep_alives = 0; keep_alives <= kMaxKeepAlives; ++keep_alives) {
    uint8_t prefix[4];
    if (!receive(fd, prefix, sizeof prefix, timeout_ms, deadline)) return std::nullopt;
    const uint32_t length = util::read_u32(prefix) ^ service::kScrambleKey;
    if (length == 0) continue;
    if (length > max_answer) return std::nullopt;
    std::string body(length, '\0');
    if (!receive(fd, body.data(), length, timeout_ms, deadline)) return std::nullopt;
    return service::scrambled(body);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> side_channel_request(platform::Ipv4 address, uint16_t port, std::string_view request,
                                                const SideChannelLimits& limits) {
  if (address == 0 || port == 0 || limits.timeout_ms <= 0 || request.empty()) return std::nullopt;
  platform::StopSignal never_stopped;
  // Watched before the connect, so that a stop also ends the wait for it.
  platform::WatchedSocket connection(limits.stop != nullptr ? *limits.stop : never_stopped, platform::create_tcp_socket());
  if (!connection.valid() || !connect_from(connection.get(), address, port, limits.timeout_ms, limits.bind_address)) return std::nullopt;
  const platform::Deadline deadline = platform::Deadline::after_ms(limits.timeout_ms);
  const char kind = static_cast<char>(wire::kSideChannelKind);
  char status[4];
  if (platform::send_all(connection.get(), &kind, 1) != 1 || !receive(connection.get(), status, sizeof status, limits.timeout_ms, deadline) ||
      std::string_view(status, sizeof status) != "OKKK") {
    return std::nullopt;
  }
  const std::string frame = wire::build_peer_frame(request);
  if (platform::send_all(connection.get(), frame.data(), frame.size()) != static_cast<ssize_t>(frame.size())) return std::nullopt;
  std::optional<std::string> answer = read_answer_frame(connection.get(), limits.timeout_ms, limits.max_answer, deadline);
  platform::shutdown_socket(connection.get());
  return answer;
}

}  // namespace dovel::browse
