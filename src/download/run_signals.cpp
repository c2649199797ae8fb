#include "download/run_signals.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace dovel::download {

RunSignals::RunSignals() : event_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void RunSignals::wake() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(event_.get(), &one, sizeof one);
}

void RunSignals::drain() {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t read = ::read(event_.get(), &count, sizeof count);
}

void RunSignals::hand_over(std::unique_ptr<ConnectAttempt> attempt) {
  {
    std::lock_guard guard(lock_);
    if (closed_) return;
    ready_.push_back(std::move(attempt));
  }
  wake();
}

std::vector<std::unique_ptr<ConnectAttempt>> RunSignals::take_ready() {
  std::lock_guard guard(lock_);
  std::vector<std::unique_ptr<ConnectAttempt>> taken;
  while (!ready_.empty()) {
    taken.push_back(std::move(ready_.front()));
    ready_.pop_front();
  }
  return taken;
}

void RunSignals::close() {
  std::lock_guard guard(lock_);
  closed_ = true;
  ready_.clear();
}

bool RunSignals::closed() const {
  std::lock_guard guard(lock_);
  return closed_;
}

}  // namespace dovel::download
