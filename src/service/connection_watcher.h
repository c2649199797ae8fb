#pragma once

#include <functional>
#include <thread>

#include "platform/socket.h"

namespace dovel::service {

// Watches a connection that the program only writes to between exchanges, and
// reports once when the other side ends it: 0 for an orderly close, otherwise
// the socket error. Never reads, so replies stay for their exchange.
class ConnectionWatcher {
 public:
  using Closed = std::function<void(int error)>;

  ConnectionWatcher(int fd, Closed closed);
  // Stops watching without reporting.
  ~ConnectionWatcher();
  ConnectionWatcher(const ConnectionWatcher&) = delete;
  ConnectionWatcher& operator=(const ConnectionWatcher&) = delete;

 private:
  void watch(int fd);

  platform::UniqueFd wake_;
  Closed closed_;
  std::thread thread_;
};

}  // namespace dovel::service
