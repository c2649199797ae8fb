#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

#include "platform/socket.h"

namespace dovel::platform {

// The stop of one piece of network work (a search, an address look-up), seen
// by all of its threads: a flag, the sockets that a thread may be blocked on
// (shut down on stop, which wakes connects and reads), and pauses that end
// early on stop.
class StopSignal {
 public:
  void stop();
  bool stopped() const { return stopped_; }
  // Waits `milliseconds` unless stopped first; true when the whole pause passed.
  bool pause_ms(int milliseconds);

  // Shuts `fd` down on stop until forgotten; false (and nothing watched) when
  // already stopped.
  bool watch(int fd);
  void forget(int fd);

 private:
  std::atomic<bool> stopped_{false};
  std::mutex lock_;
  std::condition_variable woken_;
  std::vector<int> watched_;
};

// A socket that its StopSignal shuts down on stop, forgotten before it is closed.
class WatchedSocket {
 public:
  WatchedSocket(StopSignal& stop, int fd);
  ~WatchedSocket();
  WatchedSocket(const WatchedSocket&) = delete;
  WatchedSocket& operator=(const WatchedSocket&) = delete;

  // False when the socket could not be made or the work was already stopped.
  bool valid() const { return watched_; }
  int get() const { return fd_.get(); }

 private:
  StopSignal& stop_;
  UniqueFd fd_;
  bool watched_ = false;
};

}  // namespace dovel::platform
