#include "app/listener_thread.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace dovel::app {

bool ListenerThread::start(platform::UniqueFd listener, Serve serve) {
  wake_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake_.valid()) return false;
  thread_ = std::thread([serve = std::move(serve), owned = std::move(listener), wake = wake_.get()] { serve(owned.get(), wake); });
  return true;
}

bool ListenerThread::stop() {
  if (!thread_.joinable()) return false;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
  thread_.join();
  wake_.reset();
  return true;
}

}  // namespace dovel::app
