#include "server/test_peer.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <vector>

#include "platform/deadline.h"
#include "service/frame.h"
#include "service/service_socket.h"
#include "util/little_endian.h"
#include "wire/peer_frame.h"

namespace dovel::test {

std::optional<TestPeer> TestPeer::connect_silent(uint16_t port, std::string_view address, std::string_view source) {
  auto ipv4 = platform::parse_ipv4(address);
  platform::UniqueFd fd(platform::create_tcp_socket());
  if (!ipv4 || !fd.valid()) return std::nullopt;
  if (!source.empty()) {
    auto from = platform::parse_ipv4(source);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = from.value_or(0);
    if (!from || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return std::nullopt;
  }
  if (!platform::connect_tcp(fd.get(), *ipv4, port, 5000)) return std::nullopt;
  return TestPeer(std::move(fd));
}

std::optional<TestPeer> TestPeer::connect(uint16_t port, uint8_t kind, std::string_view address, std::string_view source) {
  auto peer = connect_silent(port, address, source);
  if (!peer || !peer->send_raw(std::string(1, static_cast<char>(kind)))) return std::nullopt;
  return peer;
}

bool TestPeer::send_raw(std::string_view bytes) { return platform::send_all(fd_.get(), bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size()); }

bool TestPeer::send_frame(std::string_view payload) { return send_raw(wire::build_peer_frame(payload)); }

std::string TestPeer::read_raw(size_t count, int timeout_ms) {
  std::string bytes;
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  char buffer[65536];
  while (bytes.size() < count && !deadline.expired()) {
    ssize_t got = platform::receive_some(fd_.get(), buffer, std::min(sizeof buffer, count - bytes.size()), deadline.remaining_ms());
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return bytes;
}

std::optional<std::string> TestPeer::read_frame(int timeout_ms) {
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  while (!deadline.expired()) {
    std::optional<std::string> frame = read_any_frame(deadline.remaining_ms());
    if (!frame || !frame->empty()) return frame;
  }
  return std::nullopt;
}

std::optional<std::string> TestPeer::read_any_frame(int timeout_ms) {
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  std::string word = read_raw(4, deadline.remaining_ms());
  if (word.size() != 4) return std::nullopt;
  uint32_t length = util::read_u32(word.data()) ^ service::kScrambleKey;
  std::string payload = read_raw(length, deadline.remaining_ms());
  if (payload.size() != length) return std::nullopt;
  return service::scrambled(payload);
}

bool TestPeer::closed_within(int timeout_ms) {
  platform::Deadline deadline = platform::Deadline::after_ms(timeout_ms);
  char buffer[4096];
  while (!deadline.expired()) {
    if (platform::wait_readable(fd_.get(), deadline.remaining_ms()) != platform::WaitResult::Ready) return false;
    ssize_t got = ::recv(fd_.get(), buffer, sizeof buffer, 0);
    if (got == 0) return true;
    if (got < 0) return errno == ECONNRESET || errno == EPIPE;
  }
  return false;
}

std::vector<std::string> TestPeer::read_greeting() {
  std::vector<std::string> frames;
  while (auto frame = read_frame()) {
    frames.push_back(*frame);
    if (*frame == "5") break;
  }
  return frames;
}

}  // namespace dovel::test
