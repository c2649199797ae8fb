#pragma once

#include <cstdint>

#include "app/listener_thread.h"
#include "core/message.h"
#include "platform/socket.h"

namespace dovel::app {

inline constexpr size_t kMaxLauncherRequest = 8192;
inline constexpr int kLauncherReadMs = 2000;

// Where the launcher and web pages hand the running program a dovel:// request:
// a TCP listener on a loopback address (service/launcher_address.h says which). Each
// connection replaces the one before; the text read up to its end (at most 8192
// bytes, within 2 s) goes to the hub as UM_CARRY_OUT_REQUEST. Nothing is
// answered. Any local process can connect, so the hub takes only UTF-8 text
// and parses it strictly (util/handed_request.h).
class LauncherChannel {
 public:
  explicit LauncherChannel(core::MessageTarget& hub) : hub_(hub) {}
  ~LauncherChannel();
  LauncherChannel(const LauncherChannel&) = delete;
  LauncherChannel& operator=(const LauncherChannel&) = delete;

  // False (errno) when the port cannot be listened on, or (EADDRNOTAVAIL) when
  // the address is not a loopback one.
  bool start(platform::Ipv4 address, uint16_t port);
  void stop();
  uint16_t port() const { return port_; }

 private:
  void run(int listener, int wake);

  core::MessageTarget& hub_;
  uint16_t port_ = 0;
  ListenerThread thread_;
};

}  // namespace dovel::app
