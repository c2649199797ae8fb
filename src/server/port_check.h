#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/socket.h"
#include "service/endpoints.h"
#include "service/port_test_messages.h"

namespace dovel::server {

// Result codes of a port test: 0..3 come from the service's test server,
// 4..6 (and 1 for a UDP probe that never came) are decided here.
inline constexpr uint32_t kPortTestReached = 0;
inline constexpr uint32_t kPortTestTimedOut = 1;
inline constexpr uint32_t kPortTestBadValue = 2;
inline constexpr uint32_t kPortTestServerBusy = 3;
inline constexpr uint32_t kPortTestUnreachable = 4;
inline constexpr uint32_t kPortTestNetworkError = 5;
inline constexpr uint32_t kPortTestPortInUse = 6;

// One test of the share port from outside.
struct PortTestResult {
  service::PortTestKind kind = service::PortTestKind::Tcp;
  uint16_t port = 0;
  uint32_t code = kPortTestReached;
  // As the test server saw this machine (network order); 0 until a reply came.
  platform::Ipv4 external_address = 0;
};

// "TCP 9910포트: OK 수신": the kind, the port and the code's text.
std::string port_test_text(const PortTestResult& result);

// How long each step may take; the defaults are the program's, tests shorten them.
struct PortTestTiming {
  int connect_ms = 5000;             // to one test endpoint
  int connect_back_wait_ms = 5000;   // for the test server's TCP connection to the port
  int tcp_reply_read_ms = 6000;      // each read of the TCP test's reply
  int probe_wait_ms = 5000;          // for the test server's UDP datagram
  int udp_reply_read_ms = 5000;      // each read of the UDP test's reply
  // The whole reply, whatever the server trickles (each read alone would allow 15 times its limit).
  int reply_total_ms = 12000;
};

// Which of the two test endpoints a test tries first (0 or 1; other values
// count modulo 2). Random unless a test fixes it.
using PortTestStartChooser = std::function<size_t()>;
size_t random_port_test_start();

// Asks the service's port-test server to reach this machine on a port. Each test
// uses sockets of its own, so tests may run on any thread, one after another or
// side by side (on different ports).
class PortTester {
 public:
  explicit PortTester(service::ServiceEndpoints endpoints, PortTestTiming timing = {},
                      PortTestStartChooser choose_start = random_port_test_start);

  // Runs one test of `kind` on `port`; true when the test server's reply was
  // read, the code and the external address then in `result`. On false `result`
  // holds the local code: 6 when the port cannot be taken here (port 0 included),
  // 4 when neither endpoint answers, 1 when no UDP probe came from the test server
  // reached, 5 when no reply came.
  bool port_test(PortTestResult& result, uint16_t port, service::PortTestKind kind) const;

 private:
  platform::UniqueFd connect_to_test_server(service::Endpoint& reached) const;
  bool send_request(int connection, uint16_t port, service::PortTestKind kind) const;
  bool read_reply(int connection, int read_timeout_ms, PortTestResult& result) const;
  void take_connect_back(int listener) const;
  bool echo_probe(int udp_socket, service::Endpoint test_server) const;
  bool test_tcp(PortTestResult& result) const;
  bool test_udp(PortTestResult& result) const;

  service::ServiceEndpoints endpoints_;
  PortTestTiming timing_;
  PortTestStartChooser choose_start_;
};

}  // namespace dovel::server
