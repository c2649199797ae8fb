#include "platform/stop_signal.h"

#include <algorithm>
#include <chrono>

namespace dovel::platform {

void StopSignal::stop() {
  std::lock_guard guard(lock_);
  stopped_ = true;
  for (int fd : watched_) shutdown_socket(fd);
  woken_.notify_all();
}

bool StopSignal::pause_ms(int milliseconds) {
  std::unique_lock guard(lock_);
  return !woken_.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return stopped_.load(); });
}

bool StopSignal::watch(int fd) {
  std::lock_guard guard(lock_);
  if (stopped_) return false;
  watched_.push_back(fd);
  return true;
}

void StopSignal::forget(int fd) {
  std::lock_guard guard(lock_);
  std::erase(watched_, fd);
}

WatchedSocket::WatchedSocket(StopSignal& stop, int fd) : stop_(stop), fd_(fd) { watched_ = fd_.valid() && stop_.watch(fd_.get()); }

WatchedSocket::~WatchedSocket() {
  if (watched_) stop_.forget(fd_.get());
}

}  // namespace dovel::platform
