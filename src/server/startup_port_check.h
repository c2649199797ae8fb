#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/message.h"
#include "platform/socket.h"
#include "server/port_check.h"
#include "server/share_server_settings.h"

namespace dovel::server {

// What the start-up check found; travels to the front with UM_INIT_DONE.
struct StartupPortCheckOutcome : core::MessagePayload {
  bool server_usable = false;
  platform::Ipv4 external_address = 0;
  // One line per test run ("TCP 9910포트: OK 수신"), as the status log has them.
  std::vector<std::string> result_lines;
  // The warning to show once when UDP failed while the server is usable; else empty.
  std::string udp_warning;
};

// The share port the check tests. A stored value outside 1..65535 cannot be
// listened on: it gives 0, which the test reports as a port it cannot take.
uint16_t startup_check_port(const ShareServerSettings& settings);

// The note shown while the check runs.
std::string port_check_waiting_note(uint16_t port);
std::string udp_failure_warning(uint16_t port);

// The check before the share server starts: TCP on the share port, then UDP
// when TCP was reached. Sets the settings' `server_usable` and, from a TCP
// reply, `external_address` (the only place that writes them); logs each result
// line to the status log. A failed UDP test never clears `server_usable`.
StartupPortCheckOutcome run_startup_port_check(ShareServerSettings& settings, const PortTester& tester);

}  // namespace dovel::server
