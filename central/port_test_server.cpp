#include "central/port_test_server.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <random>

#include "central/udp_receiver.h"
#include "service/port_test_messages.h"

namespace dovel::central {
namespace {

constexpr uint32_t kReached = 0;
constexpr uint32_t kTimedOut = 1;
constexpr uint32_t kBadRequest = 2;
constexpr uint32_t kBusy = 3;
constexpr size_t kProbeBytes = 4;

// Holds one of the endpoint's test places for as long as a test runs.
class TestPlace {
 public:
  TestPlace(std::atomic<size_t>& running, size_t limit) : running_(running) {
    size_t now = running_.load();
    while (now < limit && !running_.compare_exchange_weak(now, now + 1)) {
    }
    taken_ = now < limit;
  }
  ~TestPlace() {
    if (taken_) --running_;
  }
  bool taken() const { return taken_; }

 private:
  std::atomic<size_t>& running_;
  bool taken_ = false;
};

std::string random_probe() {
  static thread_local std::mt19937 generator{std::random_device{}()};
  std::string bytes(kProbeBytes, '\0');
  for (char& byte : bytes) byte = static_cast<char>(generator());
  return bytes;
}

const char* code_text(uint32_t code) {
  switch (code) {
    case kReached: return "0 reached";
    case kTimedOut: return "1 not reached";
    case kBadRequest: return "2 bad request";
    default: return "3 busy";
  }
}

}  // namespace

ConnectionHandler::Next PortTestHandler::on_frame(Connection& connection, const service::Frame& frame) {
  std::optional<service::PortTestRequest> request;
  if (frame.type == service::kPortTestType) request = service::parse_port_test_request(frame.payload);
  uint32_t code = kBadRequest;
  std::string what = "port-test";
  if (request && request->port != 0) {
    what += (request->kind == service::PortTestKind::Tcp ? " tcp " : " udp ") + std::to_string(request->port);
    TestPlace place(context_.running, context_.limits.max_port_tests);
    const service::Endpoint target{connection.peer().address, request->port};
    code = !place.taken() ? kBusy : request->kind == service::PortTestKind::Tcp ? test_tcp(target) : test_udp(target);
  }
  connection.log(what, code_text(code));
  connection.send(service::build_port_test_reply({code, connection.peer().address}));
  return Next::Close;
}

uint32_t PortTestHandler::test_tcp(const service::Endpoint& target) const {
  platform::UniqueFd fd(platform::create_tcp_socket());
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = context_.host;
  // From the test host, so that the caller sees the service's address.
  if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) return kTimedOut;
  return platform::connect_tcp(fd.get(), target.address, target.port, context_.limits.connect_back_ms) ? kReached : kTimedOut;
}

uint32_t PortTestHandler::test_udp(const service::Endpoint& target) const {
  std::string probe = random_probe();
  const uint64_t waiting = context_.probes.expect(target, probe);
  send_datagram(context_.udp_socket, probe, target);
  return context_.probes.wait(waiting, context_.limits.echo_wait_ms) ? kReached : kTimedOut;
}

}  // namespace dovel::central
