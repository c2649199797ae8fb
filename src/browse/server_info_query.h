#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"

namespace dovel::browse {

// How long the status question may take: the connect, and then the whole
// exchange after it.
inline constexpr int kServerInfoTimeoutMs = 5000;
// The status answer is a user ID and three numbers; anything longer is not one.
inline constexpr uint32_t kMaxServerInfoAnswer = 1023;

// A share server's own account of itself: who runs it and how busy it is.
struct ServerInfo {
  std::string user_id;
  int64_t max_uploads = 0;
  int64_t current_uploads = 0;
  std::string upload_speed;  // KiB/s as the server wrote it ("12.50")

  bool operator==(const ServerInfo&) const = default;
};

// The fields of a status answer (the bytes after the letter 'I', up to the
// terminating zero): exactly four, separated by 0x07; the ID in CP949, the
// counts whole decimal numbers, the speed a decimal number. nullopt otherwise.
std::optional<ServerInfo> parse_server_info(std::string_view answer);

// Asks the share server at address:port for its status over the side channel:
// the kind byte, its "OKKK", one "I" request, one answer (keep-alives skipped).
// Every read is bounded in time and length; nullopt on any failure, refusal or
// malformed answer. `bind_address` (0: any) is where the connection leaves from.
// Blocking: call it off the GUI thread.
std::optional<ServerInfo> query_server_info(platform::Ipv4 address, uint16_t port, int timeout_ms = kServerInfoTimeoutMs,
                                            platform::Ipv4 bind_address = 0);

}  // namespace dovel::browse
