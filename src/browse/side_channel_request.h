#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "platform/stop_signal.h"

namespace dovel::browse {

// How one side-channel question may go.
struct SideChannelLimits {
  int timeout_ms = 0;          // the connect, and then the whole exchange after it
  uint32_t max_answer = 1023;  // a longer answer is no answer
  platform::Ipv4 bind_address = 0;  // where the connection leaves from (0: any)
  platform::StopSignal* stop = nullptr;  // optional: a stop ends the exchange at once
};

// One request over the side channel of the share server at address:port: the
// kind byte, its "OKKK", the framed request, then the one framed answer
// (keep-alives skipped), unscrambled. Every read is bounded in time and
// length; nullopt on any failure, refusal or silence. Blocking: call it off
// the GUI thread.
std::optional<std::string> side_channel_request(platform::Ipv4 address, uint16_t port, std::string_view request,
                                                const SideChannelLimits& limits);

}  // namespace dovel::browse
