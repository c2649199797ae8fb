#include "server/port_check.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <cerrno>
#include <random>
#include <string_view>
#include <utility>

#include "base/string_printf.h"
#include "platform/clock.h"
#include "platform/deadline.h"
#include "service/reply_readers.h"
#include "service/service_socket.h"

namespace dovel::server {
namespace {

constexpr int kListenBacklog = 5;
constexpr size_t kProbeBytes = 4;

constexpr std::array<std::string_view, 7> kCodeTexts = {
    "OK 수신", "타임아웃", "잘못된 값", "서버폭주", "서버접속불가", "네트웍에러", "이미 사용중 - 본 프로그램일수도 있음",
};

bool fail_with(PortTestResult& result, uint32_t code) {
  result.code = code;
  return false;
}

// Without SO_REUSEADDR: a port another socket already holds must fail here,
// not quietly share its datagrams.
platform::UniqueFd bind_udp_port(platform::Ipv4 address, uint16_t port) {
  platform::UniqueFd fd(platform::create_udp_socket());
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = address;
  local.sin_port = htons(port);
  if (fd.valid() && ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) fd.reset();
  return fd;
}

}  // namespace

std::string port_test_text(const PortTestResult& result) {
  const char* kind = result.kind == service::PortTestKind::Tcp ? "TCP" : "UDP";
  // The code of a reply is the service's word: one outside the table is shown, not looked up.
  const std::string text =
      result.code < kCodeTexts.size() ? std::string(kCodeTexts[result.code]) : base::string_printf("알 수 없는 결과(%u)", result.code);
  return base::string_printf("%s %d포트: %s", kind, static_cast<int>(result.port), text.c_str());
}

size_t random_port_test_start() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  return generator() % 2;
}

PortTester::PortTester(service::ServiceEndpoints endpoints, PortTestTiming timing, PortTestStartChooser choose_start)
    : endpoints_(std::move(endpoints)), timing_(timing), choose_start_(std::move(choose_start)) {}

bool PortTester::port_test(PortTestResult& result, uint16_t port, service::PortTestKind kind) const {
  result = PortTestResult{kind, port, kPortTestReached, 0};
  // Port 0 would bind whatever port is free and test that one instead.
  if (port == 0) return fail_with(result, kPortTestPortInUse);
  return kind == service::PortTestKind::Tcp ? test_tcp(result) : test_udp(result);
}

bool PortTester::test_tcp(PortTestResult& result) const {
  platform::UniqueFd listener(platform::make_tcp_listener(endpoints_.bind_address, result.port, kListenBacklog));
  if (!listener.valid()) return fail_with(result, kPortTestPortInUse);
  service::Endpoint reached;
  platform::UniqueFd connection = connect_to_test_server(reached);
  if (!connection.valid()) return fail_with(result, kPortTestUnreachable);
  if (!send_request(connection.get(), result.port, result.kind)) return fail_with(result, kPortTestNetworkError);
  take_connect_back(listener.get());
  return read_reply(connection.get(), timing_.tcp_reply_read_ms, result);
}

bool PortTester::test_udp(PortTestResult& result) const {
  platform::UniqueFd udp = bind_udp_port(endpoints_.bind_address, result.port);
  if (!udp.valid()) return fail_with(result, kPortTestPortInUse);
  service::Endpoint reached;
  platform::UniqueFd connection = connect_to_test_server(reached);
  if (!connection.valid()) return fail_with(result, kPortTestUnreachable);
  if (!send_request(connection.get(), result.port, result.kind)) return fail_with(result, kPortTestNetworkError);
  if (!echo_probe(udp.get(), reached)) return fail_with(result, kPortTestTimedOut);
  return read_reply(connection.get(), timing_.udp_reply_read_ms, result);
}

platform::UniqueFd PortTester::connect_to_test_server(service::Endpoint& reached) const {
  const size_t start = choose_start_ ? choose_start_() % 2 : 0;
  for (size_t attempt = 0; attempt < 2; ++attempt) {
    const service::Endpoint& endpoint = endpoints_.port_test[(start + attempt) % 2];
    int fd = service::kInvalidSocket;
    if (service::connect_to_service(fd, endpoints_, endpoint, timing_.connect_ms)) {
      reached = endpoint;
      return platform::UniqueFd(fd);
    }
  }
  return platform::UniqueFd();
}

bool PortTester::send_request(int connection, uint16_t port, service::PortTestKind kind) const {
  const std::string request = service::build_port_test_request({kind, port, platform::system_clock().tick()});
  return service::send_frame(connection, service::kPortTestType, request) > 0;
}

// The connect-back only proves the port open to the test server; it carries nothing.
void PortTester::take_connect_back(int listener) const {
  if (platform::wait_readable(listener, timing_.connect_back_wait_ms) != platform::WaitResult::Ready) return;
  // Non-blocking, so that a connection reset between the wait and the accept cannot hold the test.
  if (!platform::set_nonblocking(listener, true)) return;
  platform::UniqueFd accepted(::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC));
}

// Only the test server's probe counts. Anything else that reaches the port
// first (a search query at start-up, say) is read and dropped unanswered, so
// that the probe behind it is still found and nobody else gets an echo.
bool PortTester::echo_probe(int udp_socket, service::Endpoint test_server) const {
  const platform::Deadline deadline = platform::Deadline::after_ms(timing_.probe_wait_ms);
  while (!deadline.expired()) {
    if (platform::wait_readable(udp_socket, deadline.remaining_ms()) != platform::WaitResult::Ready) return false;
    char probe[kProbeBytes];
    sockaddr_in sender{};
    socklen_t sender_size = sizeof sender;
    const ssize_t got = ::recvfrom(udp_socket, probe, sizeof probe, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&sender), &sender_size);
    if (got < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return false;
    }
    if (sender_size != sizeof sender || sender.sin_family != AF_INET || sender.sin_addr.s_addr != test_server.address) continue;
    sockaddr_in echo_to = sender;
    echo_to.sin_port = htons(test_server.port);
    // A lost echo is the test server's to judge: its reply then says so.
    ::sendto(udp_socket, probe, static_cast<size_t>(got), 0, reinterpret_cast<const sockaddr*>(&echo_to), sizeof echo_to);
    return true;
  }
  return false;
}

bool PortTester::read_reply(int connection, int read_timeout_ms, PortTestResult& result) const {
  const service::ReplyTiming timing{read_timeout_ms, platform::Deadline::after_ms(timing_.reply_total_ms)};
  std::optional<std::string> bytes = service::read_fixed_reply(connection, service::kPortTestReplySize, timing);
  std::optional<service::PortTestReply> reply = bytes ? service::parse_port_test_reply(*bytes) : std::nullopt;
  if (!reply) return fail_with(result, kPortTestNetworkError);
  result.code = reply->code;
  result.external_address = reply->address;
  return true;
}

}  // namespace dovel::server
