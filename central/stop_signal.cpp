#include "central/stop_signal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace dovel::central {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (fd_ < 0) throw std::runtime_error("cannot create the stop signal");
}

StopSignal::~StopSignal() { ::close(fd_); }

void StopSignal::raise() {
  // Nobody ever reads the counter, so the descriptor stays readable.
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t written = ::write(fd_, &one, sizeof one);
}

bool StopSignal::raised() const {
  pollfd entry{fd_, POLLIN, 0};
  return ::poll(&entry, 1, 0) > 0;
}

}  // namespace dovel::central
