#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "platform/socket.h"
#include "service/connection_watcher.h"

namespace dovel::service {

// A service connection kept open between exchanges (a registration, a file-index
// announcement): written under one lock, and watched so that its end, when the
// service closes it, is reported once. From that end on it counts as closed:
// what it held is gone, so nothing more is sent into it.
class HeldConnection {
 public:
  HeldConnection() = default;
  ~HeldConnection();
  HeldConnection(const HeldConnection&) = delete;
  HeldConnection& operator=(const HeldConnection&) = delete;

  // Holds `connection` from now on; `closed` runs once, on the watcher's thread,
  // when the service ends it (0 for an orderly close, otherwise the socket error).
  void hold(platform::UniqueFd connection, ConnectionWatcher::Closed closed);
  // Ends it from this side, without reporting.
  void close();
  bool open() const;
  bool send(uint16_t type, std::string_view payload);
  // Sends a frame and reads its reply with `read_reply` while no other frame can
  // go out; nullopt when not open, the send failed or the reader gave nothing.
  std::optional<std::string> request(uint16_t type, std::string_view payload,
                                     const std::function<std::optional<std::string>(int fd)>& read_reply);

 private:
  bool open_locked() const;

  mutable std::mutex lock_;
  platform::UniqueFd socket_;
  std::unique_ptr<ConnectionWatcher> watcher_;
  // Set by the watcher when the service ended the connection held now.
  std::shared_ptr<std::atomic<bool>> ended_;
};

}  // namespace dovel::service
