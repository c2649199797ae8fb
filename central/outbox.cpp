#include "central/outbox.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace dovel::central {

Outbox::Outbox(size_t limit) : limit_(limit), fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::runtime_error("cannot create an outbox");
}

Outbox::~Outbox() { ::close(fd_); }

bool Outbox::post(std::string bytes) {
  {
    std::lock_guard guard(lock_);
    if (end_ || items_.size() >= limit_) return false;
    items_.push_back(std::move(bytes));
  }
  signal();
  return true;
}

void Outbox::request_end() {
  {
    std::lock_guard guard(lock_);
    end_ = true;
  }
  signal();
}

Outbox::Taken Outbox::take() {
  uint64_t counter = 0;
  [[maybe_unused]] ssize_t drained = ::read(fd_, &counter, sizeof counter);
  std::lock_guard guard(lock_);
  Taken taken;
  taken.items.assign(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()));
  items_.clear();
  taken.end = end_;
  return taken;
}

void Outbox::signal() {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(fd_, &one, sizeof one);
}

}  // namespace dovel::central
