#pragma once

#include <atomic>
#include <cstddef>

#include "central/central_config.h"
#include "central/connection_handler.h"
#include "central/echo_probes.h"

namespace dovel::central {

// What the port tests of one endpoint share: its host (connect-backs come from
// there), its UDP socket on the port-test port, the probes waiting for an echo
// and the number of tests running.
struct PortTestContext {
  platform::Ipv4 host = 0;
  int udp_socket = -1;
  EchoProbes& probes;
  std::atomic<size_t>& running;
  const Limits& limits;
};

// A port test on one connection: TCP connects back to the caller's address at
// the port; UDP sends random bytes from the port-test port there and waits for
// them to come back. The 15-byte answer carries the code and the caller's
// address as seen here; then the connection ends.
class PortTestHandler final : public ConnectionHandler {
 public:
  explicit PortTestHandler(const PortTestContext& context) : context_(context) {}

  Next on_frame(Connection& connection, const service::Frame& frame) override;
  size_t max_payload() const override { return 64; }
  bool holds_state() const override { return false; }

 private:
  uint32_t test_tcp(const service::Endpoint& target) const;
  uint32_t test_udp(const service::Endpoint& target) const;

  const PortTestContext& context_;
};

}  // namespace dovel::central
